#pragma once
// The Exit-button chase; the click handlers are Form1's (screens/main/form1.h).
#include <cstdint>

namespace game {

// How long the Exit button stays locked after the n-th chase click, in ms
// (before the timer clamps it to its largest interval).
int64_t ExitLockInterval(int32_t clicks);

}  // namespace game
