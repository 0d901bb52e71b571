#pragma once
// The game names its fonts by the Japanese desktop's system names. Debian has
// none of them; without substitutes Qt would draw them in DejaVu Sans.
#include <QFont>

#include "platform/types.h"

namespace qt_backend {

// Installs the substitutes and makes a Japanese face the application's
// default UI font. Call once, after the QApplication and before any window.
void installJapaneseFonts();

// The faces tried, in order, for one of the game's font names (the name
// itself when we know no substitute for it).
QStringList fontFamiliesFor(const std::string& face);

// A QFont for a control. An empty face means "no font of its own": the
// fallback (the form's or the application's font) in the given size and weight.
QFont qtFont(const platform::FontSpec& wanted, const QFont& fallback);

}  // namespace qt_backend
