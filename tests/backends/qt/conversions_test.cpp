// Units, colours, key codes, fonts and the window icon: the conversions at
// the border between the game's desktop terms and Qt's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QImage>
#include <cmath>

#include "qt/fonts.h"
#include "qt/key_map.h"
#include "qt/units.h"

namespace {

using namespace qt_backend;

TEST(Twips, FifteenTwipsAPixelAtNinetySixDpi) {
    EXPECT_EQ(toPixels(15, 96), 1);
    EXPECT_EQ(toPixels(5115, 96), 341);
    EXPECT_EQ(toPixels(3600, 96), 240);
    EXPECT_EQ(toPixels(4815, 96), 321);
    EXPECT_EQ(toPixels(615, 96), 41);
    EXPECT_FLOAT_EQ(toTwips(341, 96), 5115.0f);
    EXPECT_FLOAT_EQ(toTwips(1024, 96), 15360.0f);
}

TEST(Twips, OtherDpiAndRounding) {
    EXPECT_EQ(toPixels(1440, 120), 120);
    EXPECT_EQ(toPixels(1440, 144), 144);
    EXPECT_FLOAT_EQ(toTwips(144, 144), 1440.0f);
    // 1000 twips is 66.67 pixels: the nearest pixel, not the one below.
    EXPECT_EQ(toPixels(1000, 96), 67);
    EXPECT_EQ(toPixels(7.4f, 96), 0);
    EXPECT_EQ(toPixels(7.6f, 96), 1);
    EXPECT_EQ(toPixels(-1000, 96), -67);
}

TEST(Twips, ImpossibleDpiCountsAsNinetySix) {
    EXPECT_EQ(saneDpi(0), 96);
    EXPECT_EQ(saneDpi(-5), 96);
    EXPECT_EQ(saneDpi(NAN), 96);
    EXPECT_EQ(saneDpi(10000), 96);
    EXPECT_EQ(saneDpi(120), 120);
    EXPECT_EQ(saneDpi(144), 144);
}

TEST(Twips, ScreenReportsNinetySixLogicalDpi) {
    // The offscreen platform, like a plain Xvfb, reports 96: the geometry
    // tests below rely on 15 twips a pixel.
    EXPECT_EQ(logicalDpi(), 96);
    EXPECT_EQ(toPixels(1440), 96);
}

TEST(Colours, BgrWordBecomesRgb) {
    EXPECT_EQ(toQColor(0x00808000), QColor(0, 128, 128));  // dark cyan
    EXPECT_EQ(toQColor(0x000000FF), QColor(255, 0, 0));
    EXPECT_EQ(toQColor(0x00FF0000), QColor(0, 0, 255));
    EXPECT_EQ(toQColor(0x00039C38), QColor(56, 156, 3));
    EXPECT_EQ(toQColor(0x00C0E0FF), QColor(255, 224, 192));
    EXPECT_EQ(toQColor(0x00FF80FF), QColor(255, 128, 255));
}

struct KeyCase {
    int key;
    Qt::KeyboardModifiers modifiers;
    int16_t vk;
};

TEST(KeyMap, VirtualKeyCodes) {
    const KeyCase cases[] = {
        {Qt::Key_Left, Qt::NoModifier, 37},   {Qt::Key_Up, Qt::NoModifier, 38},
        {Qt::Key_Right, Qt::NoModifier, 39},  {Qt::Key_Down, Qt::NoModifier, 40},
        {Qt::Key_Home, Qt::NoModifier, 36},   {Qt::Key_End, Qt::NoModifier, 35},
        {Qt::Key_PageUp, Qt::NoModifier, 33}, {Qt::Key_PageDown, Qt::NoModifier, 34},
        {Qt::Key_Insert, Qt::NoModifier, 45}, {Qt::Key_Delete, Qt::NoModifier, 46},
        {Qt::Key_Shift, Qt::ShiftModifier, 16}, {Qt::Key_Control, Qt::ControlModifier, 17},
        {Qt::Key_Alt, Qt::AltModifier, 18},   {Qt::Key_Escape, Qt::NoModifier, 27},
        {Qt::Key_Return, Qt::NoModifier, 13}, {Qt::Key_Enter, Qt::KeypadModifier, 13},
        {Qt::Key_Space, Qt::NoModifier, 32},  {Qt::Key_Tab, Qt::NoModifier, 9},
        {Qt::Key_Backtab, Qt::ShiftModifier, 9}, {Qt::Key_Backspace, Qt::NoModifier, 8},
        {Qt::Key_A, Qt::NoModifier, 65},      {Qt::Key_Z, Qt::ShiftModifier, 90},
        {Qt::Key_0, Qt::NoModifier, 48},      {Qt::Key_9, Qt::NoModifier, 57},
        {Qt::Key_F1, Qt::NoModifier, 112},    {Qt::Key_F12, Qt::NoModifier, 123},
        // Keypad digits and operators have codes of their own.
        {Qt::Key_0, Qt::KeypadModifier, 96},  {Qt::Key_5, Qt::KeypadModifier, 101},
        {Qt::Key_Plus, Qt::KeypadModifier, 107}, {Qt::Key_Minus, Qt::KeypadModifier, 109},
        // With Num Lock off the keypad sends the cursor keys.
        {Qt::Key_Home, Qt::KeypadModifier, 36},
        // A shifted symbol is the key it is on.
        {Qt::Key_Exclam, Qt::ShiftModifier, 49}, {Qt::Key_Plus, Qt::ShiftModifier, 187},
        {Qt::Key_Minus, Qt::NoModifier, 189}, {Qt::Key_Period, Qt::NoModifier, 190},
        {Qt::Key_unknown, Qt::NoModifier, 0},
    };
    for (const KeyCase& c : cases)
        EXPECT_EQ(virtualKey(c.key, c.modifiers), c.vk) << "Qt key 0x" << std::hex << c.key;
}

TEST(KeyMap, ShiftStateBits) {
    EXPECT_EQ(shiftState(Qt::Key_A, Qt::NoModifier), 0);
    EXPECT_EQ(shiftState(Qt::Key_A, Qt::ShiftModifier), 1);
    EXPECT_EQ(shiftState(Qt::Key_A, Qt::ControlModifier), 2);
    EXPECT_EQ(shiftState(Qt::Key_A, Qt::AltModifier), 4);
    EXPECT_EQ(shiftState(Qt::Key_Home, Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier), 7);
    EXPECT_EQ(shiftState(Qt::Key_5, Qt::KeypadModifier), 0);
    // X reports a modifier's own press without the modifier held; the
    // desktop counts it as held.
    EXPECT_EQ(shiftState(Qt::Key_Shift, Qt::NoModifier), 1);
    EXPECT_EQ(shiftState(Qt::Key_Control, Qt::NoModifier), 2);
    EXPECT_EQ(shiftState(Qt::Key_Alt, Qt::NoModifier), 4);
}

TEST(Fonts, SystemNamesResolveToIpaFaces) {
    const QFont base = QApplication::font();
    EXPECT_EQ(QFontInfo(qtFont({"ＭＳ ゴシック", 12, true}, base)).family(), "IPAGothic");
    EXPECT_EQ(QFontInfo(qtFont({"ＭＳ Ｐゴシック", 15.75f, false}, base)).family(), "IPAPGothic");
    // Through the substitution table too, for fonts built by name elsewhere.
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("ＭＳ ゴシック"))).family(), "IPAGothic");
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("ＭＳ Ｐゴシック"))).family(), "IPAPGothic");
}

TEST(Fonts, SizesWeightsAndTheDefaultUiFont) {
    const QFont big = qtFont({"ＭＳ ゴシック", 48, false}, QApplication::font());
    EXPECT_EQ(QFontInfo(big).pixelSize(), 64);  // 48 pt at 96 DPI
    EXPECT_EQ(big.weight(), QFont::Normal);
    const QFont bold = qtFont({"ＭＳ Ｐゴシック", 15.75f, true}, QApplication::font());
    EXPECT_EQ(QFontInfo(bold).pixelSize(), 21);
    EXPECT_EQ(bold.weight(), QFont::Bold);

    const QFontInfo ui(QApplication::font());
    EXPECT_EQ(ui.family(), "IPAPGothic");
    EXPECT_DOUBLE_EQ(QApplication::font().pointSizeF(), 9.0);
    // No face of its own: the fallback's face in the asked size.
    const QFont plain = qtFont({"", 12, false}, QApplication::font());
    EXPECT_EQ(QFontInfo(plain).family(), "IPAPGothic");
    EXPECT_DOUBLE_EQ(plain.pointSizeF(), 12.0);
}

}  // namespace
