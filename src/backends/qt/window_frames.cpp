#include "qt/window_frames.h"

#include <QApplication>
#include <QStyle>
#include <QWidget>

#include "qt/x11.h"

namespace qt_backend {

QMargins WindowFrames::expected(const QWidget* window) const {
    // Not framed yet: what we saw on another window; failing that, what the
    // window manager says it will put around a window; failing that, the
    // style's own idea of a title bar and border.
    if (lastSeen_) return *lastSeen_;
    if (!asked_) asked_ = askFrameExtents();
    const std::optional<QMargins>& asked = *asked_;
    if (asked) {
        // The window manager answers in device pixels; we lay out in logical ones.
        const qreal ratio = window != nullptr ? window->devicePixelRatio() : qApp->devicePixelRatio();
        return QMargins(qRound(asked->left() / ratio), qRound(asked->top() / ratio), qRound(asked->right() / ratio),
                        qRound(asked->bottom() / ratio));
    }
    const QStyle* style = window != nullptr ? window->style() : QApplication::style();
    const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, window);
    const int title = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    return QMargins(border, title + border, border, border);
}

}  // namespace qt_backend
