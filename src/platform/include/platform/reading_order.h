#pragma once
// The order in which a reader takes in a form's controls: by their designed
// places, top to bottom, and left to right on a line. Every backend shows
// the controls to screen readers in this order, so that the title reads
// も, ち, た, ま before its version line, whichever order the form declares
// them in.
#include <vector>

#include "platform/controls.h"

namespace platform {

// `controls` side by side in one container. A line is a control and those
// whose tops lie above its bottom (they share some height with it).
std::vector<Control*> readingOrder(std::vector<Control*> controls);

}  // namespace platform
