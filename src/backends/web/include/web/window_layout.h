#pragma once
// The one place where the game's units meet the page's: twips, 0x00BBGGRR
// colours, the desktop's font names, and the frame drawn around a window.
#include <string>

#include "platform/form.h"
#include "web/page.h"

namespace web {

// The page is a 96 DPI screen: 15 twips a CSS pixel.
int toPixels(float twips);
float toTwips(int pixels);

// Where the frame, the menu bar and the client area go. A window keeps its
// outer size whether its menu bar shows or not: the bar takes its row from
// the client area, as on the desktop.
page::WindowLayout layoutOf(const platform::Form& form);

std::string cssColor(platform::Color color);
// The CSS font-family list for one of the game's font names.
std::string cssFontFamily(const std::string& face);
float cssPixels(float points);

}  // namespace web
