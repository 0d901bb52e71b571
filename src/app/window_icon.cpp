#include "app/window_icon.h"

#include <QPainter>
#include <algorithm>

#include "qt/fonts.h"

namespace app {

namespace {

// The 16-colour palette the icon keeps to.
const QColor kBlueQColor(0, 0, 255);
const QColor kDarkBlueQColor(0, 0, 128);
const QColor kDarkCyanQColor(0, 128, 128);

struct Letter {
    const char* text;
    QColor face;
    QColor shadow;
    int column, row;
};

}  // namespace

QImage renderWindowIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(kDarkBlueQColor);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Hard edges: the icon keeps to the 16 colours of the old desktop palette.
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    const double unit = size / 32.0;  // one pixel of the designed 32 × 32 icon

    // Bevel: light edge (dark cyan) along the top and left, dark edge (dark
    // blue, the background already) along the bottom and right.
    const int bevel = std::max(1, qRound(2 * unit));
    painter.fillRect(QRect(0, 0, size, bevel), kDarkCyanQColor);
    painter.fillRect(QRect(0, 0, bevel, size), kDarkCyanQColor);
    const QRect inner(bevel, bevel, size - 2 * bevel, size - 2 * bevel);
    painter.fillRect(inner, kBlueQColor);

    const Letter letters[] = {
        {"も", QColor(255, 0, 0), QColor(128, 0, 0), 0, 0},
        {"ち", QColor(0, 255, 0), QColor(0, 128, 0), 1, 0},
        {"た", QColor(255, 255, 0), QColor(128, 128, 0), 0, 1},
        {"ま", QColor(255, 0, 255), QColor(128, 0, 128), 1, 1},
    };

    QFont font;
    font.setFamilies(qt_backend::fontFamiliesFor("ＭＳ ゴシック"));
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    font.setPixelSize(std::max(4, qRound(13 * unit)));
    painter.setFont(font);

    const int cellWidth = inner.width() / 2;
    const int cellHeight = inner.height() / 2;
    const int shadowOffset = std::max(1, qRound(unit));
    for (const Letter& letter : letters) {
        // Letter and shadow together sit in the middle of their quarter.
        const QRect cell(inner.left() + letter.column * cellWidth - shadowOffset / 2,
                         inner.top() + letter.row * cellHeight - shadowOffset / 2, cellWidth, cellHeight);
        const QString text = QString::fromUtf8(letter.text);
        painter.setPen(letter.shadow);
        painter.drawText(cell.translated(shadowOffset, shadowOffset), Qt::AlignCenter, text);
        painter.setPen(letter.face);
        painter.drawText(cell, Qt::AlignCenter, text);
    }
    return image;
}

QIcon windowIcon(const std::string& name) {
    if (name != kIconName) return {};
    QIcon icon;
    for (int size : {16, 32, 48, 64}) icon.addPixmap(QPixmap::fromImage(renderWindowIcon(size)));
    return icon;
}

}  // namespace app
