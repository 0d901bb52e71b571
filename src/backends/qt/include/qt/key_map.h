#pragma once
// Qt's key codes to the desktop's virtual-key codes that the game's key
// handlers compare with.
#include <Qt>
#include <cstdint>

namespace qt_backend {

// The virtual-key code of a key press, or 0 for a key the desktop has no code
// for. Keypad keys are told apart by Qt::KeypadModifier. A shifted symbol
// gives the code of the key it is on (a US layout): "!" is the key 1.
int16_t virtualKey(int qtKey, Qt::KeyboardModifiers modifiers);

// Shift 1, Ctrl 2, Alt 4. A modifier's own key press counts it as held, as
// the desktop reports it.
int16_t shiftState(int qtKey, Qt::KeyboardModifiers modifiers);

}  // namespace qt_backend
