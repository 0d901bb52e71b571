#pragma once
// The main window's icon: the letters も ち た ま two by two, red, green,
// yellow and magenta, each with a darker shadow, on a blue field inside a
// bevelled frame of dark cyan and dark blue.
#include <QIcon>
#include <QImage>
#include <string>

namespace app {

// The icon drawn at size × size pixels; 32 is its designed size.
QImage renderWindowIcon(int size);

// The name the main window gives its icon.
inline constexpr const char* kIconName = "mochitama";

// The icon a form names (empty when the name is empty or unknown).
QIcon windowIcon(const std::string& name);

}  // namespace app
