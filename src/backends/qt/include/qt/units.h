#pragma once
// The one place where the game's units meet Qt's: twips and 0x00BBGGRR colours.
#include <QColor>

#include "platform/types.h"

namespace qt_backend {

// Logical dots per inch of the primary screen, as Qt reports them in
// device-independent pixels. A value outside any real screen's range (no
// screen yet, a bogus Xft.dpi) counts as the desktop's usual 96.
double logicalDpi();
double saneDpi(double reported);

// pixels = twips × logical DPI / 1440: 15 twips a pixel at 96 DPI.
int toPixels(float twips);
int toPixels(float twips, double dpi);
float toTwips(int pixels);
float toTwips(int pixels, double dpi);

QColor toQColor(platform::Color color);

}  // namespace qt_backend
