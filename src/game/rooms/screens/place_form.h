#pragma once
// Sizing and centring a window, shared by the title and the main window.
#include <cstdint>

namespace platform {
class Form;
}

namespace game {

// Gives a window its outer size (height first) and centres it on the screen,
// using the size the window system actually applied.
void PlaceForm(platform::Form& form, int32_t height, int32_t width);

// Centres a window on the screen by its current outer size, top first.
void CentreOnScreen(platform::Form& form);

}  // namespace game
