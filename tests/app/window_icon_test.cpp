// The game's window icon, drawn by the code that draws it for the window and
// for the icon theme.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QRect>

#include "app/window_icon.h"

namespace {

// How many pixels of a part of the icon are exactly this colour.
int count(const QImage& image, const QRect& area, const QColor& colour) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y).rgb() == colour.rgb()) ++n;
    return n;
}

TEST(WindowIcon, LettersInTheirCornersOnABlueFieldInABevel) {
    const QImage icon = app::renderWindowIcon(32);
    ASSERT_EQ(icon.size(), QSize(32, 32));
    EXPECT_EQ(icon.pixelColor(0, 0).rgb(), QColor(0, 128, 128).rgb());   // light edge
    EXPECT_EQ(icon.pixelColor(31, 31).rgb(), QColor(0, 0, 128).rgb());   // dark edge
    EXPECT_GT(count(icon, QRect(2, 2, 28, 28), QColor(0, 0, 255)), 200);  // the field

    struct Quarter {
        QRect area;
        QColor face, shadow;
    };
    const Quarter quarters[] = {
        {QRect(0, 0, 16, 16), QColor(255, 0, 0), QColor(128, 0, 0)},      // も
        {QRect(16, 0, 16, 16), QColor(0, 255, 0), QColor(0, 128, 0)},     // ち
        {QRect(0, 16, 16, 16), QColor(255, 255, 0), QColor(128, 128, 0)}, // た
        {QRect(16, 16, 16, 16), QColor(255, 0, 255), QColor(128, 0, 128)} // ま
    };
    for (const Quarter& q : quarters) {
        EXPECT_GT(count(icon, q.area, q.face), 4) << q.face.name().toStdString();
        EXPECT_GT(count(icon, q.area, q.shadow), 2) << q.shadow.name().toStdString();
        // Each letter stays in its own quarter.
        for (const Quarter& other : quarters)
            if (&other != &q) {
                EXPECT_EQ(count(icon, q.area, other.face), 0);
            }
    }
}

TEST(WindowIcon, AnySizeAndOnlyForItsName) {
    EXPECT_EQ(app::renderWindowIcon(48).size(), QSize(48, 48));
    EXPECT_EQ(app::renderWindowIcon(16).size(), QSize(16, 16));
    EXPECT_FALSE(app::windowIcon("mochitama").isNull());
    EXPECT_TRUE(app::windowIcon("").isNull());
    EXPECT_TRUE(app::windowIcon("something else").isNull());
}

}  // namespace
