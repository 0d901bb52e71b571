#include "qt/key_map.h"

namespace qt_backend {

namespace {

struct KeyCode {
    int qt;
    int16_t vk;
};

constexpr KeyCode kNamedKeys[] = {
    {Qt::Key_Backspace, 8}, {Qt::Key_Tab, 9}, {Qt::Key_Backtab, 9}, {Qt::Key_Clear, 12},
    {Qt::Key_Return, 13}, {Qt::Key_Enter, 13}, {Qt::Key_Shift, 16}, {Qt::Key_Control, 17},
    {Qt::Key_Alt, 18}, {Qt::Key_AltGr, 18}, {Qt::Key_Pause, 19}, {Qt::Key_CapsLock, 20},
    {Qt::Key_Kana_Shift, 21}, {Qt::Key_Kanji, 25}, {Qt::Key_Escape, 27}, {Qt::Key_Henkan, 28},
    {Qt::Key_Muhenkan, 29}, {Qt::Key_Space, 32}, {Qt::Key_PageUp, 33}, {Qt::Key_PageDown, 34},
    {Qt::Key_End, 35}, {Qt::Key_Home, 36}, {Qt::Key_Left, 37}, {Qt::Key_Up, 38},
    {Qt::Key_Right, 39}, {Qt::Key_Down, 40}, {Qt::Key_Select, 41}, {Qt::Key_Printer, 42},
    {Qt::Key_Execute, 43}, {Qt::Key_Print, 44}, {Qt::Key_SysReq, 44}, {Qt::Key_Insert, 45},
    {Qt::Key_Delete, 46}, {Qt::Key_Help, 47}, {Qt::Key_Meta, 91}, {Qt::Key_Super_L, 91},
    {Qt::Key_Super_R, 92}, {Qt::Key_Menu, 93}, {Qt::Key_Sleep, 95}, {Qt::Key_NumLock, 144},
    {Qt::Key_ScrollLock, 145}, {Qt::Key_Zenkaku_Hankaku, 244}, {Qt::Key_Hiragana_Katakana, 242},
    {Qt::Key_Eisu_toggle, 240},
    // Symbols, on the keys of a US layout (VK_OEM_*), shifted or not.
    {Qt::Key_Semicolon, 186}, {Qt::Key_Colon, 186}, {Qt::Key_Equal, 187}, {Qt::Key_Plus, 187},
    {Qt::Key_Comma, 188}, {Qt::Key_Less, 188}, {Qt::Key_Minus, 189}, {Qt::Key_Underscore, 189},
    {Qt::Key_Period, 190}, {Qt::Key_Greater, 190}, {Qt::Key_Slash, 191}, {Qt::Key_Question, 191},
    {Qt::Key_QuoteLeft, 192}, {Qt::Key_AsciiTilde, 192}, {Qt::Key_BracketLeft, 219},
    {Qt::Key_BraceLeft, 219}, {Qt::Key_Backslash, 220}, {Qt::Key_Bar, 220}, {Qt::Key_yen, 220},
    {Qt::Key_BracketRight, 221}, {Qt::Key_BraceRight, 221}, {Qt::Key_Apostrophe, 222},
    {Qt::Key_QuoteDbl, 222},
    // Shifted digits.
    {Qt::Key_Exclam, 49}, {Qt::Key_At, 50}, {Qt::Key_NumberSign, 51}, {Qt::Key_Dollar, 52},
    {Qt::Key_Percent, 53}, {Qt::Key_AsciiCircum, 54}, {Qt::Key_Ampersand, 55},
    {Qt::Key_Asterisk, 56}, {Qt::Key_ParenLeft, 57}, {Qt::Key_ParenRight, 48},
};

// Keypad keys with Num Lock on.
constexpr KeyCode kKeypadKeys[] = {
    {Qt::Key_Asterisk, 106}, {Qt::Key_Plus, 107}, {Qt::Key_Minus, 109},
    {Qt::Key_Period, 110}, {Qt::Key_Comma, 110}, {Qt::Key_Slash, 111},
};

}  // namespace

int16_t virtualKey(int qtKey, Qt::KeyboardModifiers modifiers) {
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return static_cast<int16_t>(keypad ? 96 + (qtKey - Qt::Key_0) : qtKey);
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return static_cast<int16_t>(qtKey);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return static_cast<int16_t>(112 + (qtKey - Qt::Key_F1));
    if (keypad) {
        for (const KeyCode& k : kKeypadKeys)
            if (k.qt == qtKey) return k.vk;
    }
    for (const KeyCode& k : kNamedKeys)
        if (k.qt == qtKey) return k.vk;
    return 0;
}

int16_t shiftState(int qtKey, Qt::KeyboardModifiers modifiers) {
    int16_t state = 0;
    if (modifiers.testFlag(Qt::ShiftModifier) || qtKey == Qt::Key_Shift) state |= 1;
    if (modifiers.testFlag(Qt::ControlModifier) || qtKey == Qt::Key_Control) state |= 2;
    if (modifiers.testFlag(Qt::AltModifier) || qtKey == Qt::Key_Alt) state |= 4;
    return state;
}

}  // namespace qt_backend
