#include "qt/window_geometry.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QWindow>
#include <algorithm>

#include "qt/units.h"
#include "qt/window_frames.h"

namespace qt_backend {

QPoint screenOrigin() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry().topLeft() : QPoint();
}

QPoint reachableCorner(QPoint frameCorner) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return frameCorner;
    const QRect area = screen->availableGeometry();
    return {std::clamp(frameCorner.x(), area.left(), area.right()),
            std::clamp(frameCorner.y(), area.top(), area.bottom())};
}

WindowGeometry::WindowGeometry(platform::Form& form, QWidget* window, QWidget* client, QMenuBar* bar,
                               WindowFrames& frames)
    : form_(form),
      window_(window),
      client_(client),
      bar_(bar),
      frames_(frames),
      placedLeft_(form.requestedGeometry().left),
      placedTop_(form.requestedGeometry().top) {}

QSize WindowGeometry::clientSize() const {
    // A framed window keeps its designed client area whatever outer size is
    // asked for; a frameless one is all client area, so the asked size is it.
    if (form_.borderStyle() == platform::BorderStyle::None) {
        const platform::Geometry& g = form_.requestedGeometry();
        return {std::max(1, toPixels(g.width)), std::max(1, toPixels(g.height))};
    }
    return {std::max(1, toPixels(form_.clientWidth())), std::max(1, toPixels(form_.clientHeight()))};
}

int WindowGeometry::menuBarHeight() const {
    if (!form_.hasVisibleTopMenu()) return 0;
    return bar_->heightForWidth(clientSize().width());
}

int WindowGeometry::roomForMenuBar() const {
    if (form_.topMenus().empty()) return 0;
    // One row of the bar with every top-level menu in it, whichever of them
    // shows now: measured on a bar that is never shown, so that the real one
    // keeps its menus as the game set them.
    QMenuBar probe;
    probe.setNativeMenuBar(false);
    probe.setStyle(bar_->style());
    probe.setFont(bar_->font());
    for (const QAction* menu : bar_->actions()) probe.addAction(menu->text());
    probe.resize(QWIDGETSIZE_MAX, 1);
    return probe.heightForWidth(QWIDGETSIZE_MAX);
}

void WindowGeometry::relayout() {
    // The window's outer size does not change with the menu bar: the bar
    // takes its rows from the client area, and what is laid out in the
    // client area moves down with it. A window with menus therefore keeps
    // room for one row of the bar whether the bar shows or not.
    const QSize designed = clientSize();
    const int height = designed.height() + roomForMenuBar();
    const int bar = menuBarHeight();
    if (bar > 0) {
        bar_->setGeometry(0, 0, designed.width(), bar);
        bar_->show();
    } else {
        bar_->hide();
    }
    client_->setGeometry(0, bar, designed.width(), std::max(1, height - bar));
    window_->setFixedSize(designed.width(), height);
}

void WindowGeometry::applyRequested() {
    if (form_.borderStyle() == platform::BorderStyle::None) relayout();
    // Only a new Left or Top moves the window: a new size leaves it where it
    // is, even where the player has dragged it.
    const platform::Geometry& g = form_.requestedGeometry();
    if (g.left != placedLeft_ || g.top != placedTop_) {
        moveFrame(g.left != placedLeft_, g.top != placedTop_);
        placedLeft_ = g.left;
        placedTop_ = g.top;
        positioned_ = true;
    }
}

void WindowGeometry::placeIfUnplaced() {
    if (positioned_) return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen != nullptr ? screen->geometry().size() : QSize();
    const QSize outer = window_->size().grownBy(frameMargins());
    moveFrameTo(screenOrigin() + QPoint((screenSize.width() - outer.width()) / 2,
                                        (screenSize.height() - outer.height()) / 2));
    positioned_ = true;
}

void WindowGeometry::moveFrame(bool left, bool top) {
    // QWidget::move places a top-level window's frame, as Left and Top do;
    // the coordinate not asked for stays where the window is. A corner past
    // the screen's top or left edge (a window centred on a smaller screen)
    // would put the title bar, menus and close box out of reach. Left and
    // Top are read back from the frame, so they say where it really went.
    const platform::Geometry& g = form_.requestedGeometry();
    // While the window is where it was put, the other coordinate is the one
    // asked for then: Left set after Top keeps the Top asked for, not the
    // one the screen's edge held the window to.
    QPoint place = window_->pos() == reachableCorner(askedCorner_) ? askedCorner_ : window_->pos();
    if (left) place.setX(screenOrigin().x() + toPixels(g.left));
    if (top) place.setY(screenOrigin().y() + toPixels(g.top));
    moveFrameTo(place);
}

void WindowGeometry::moveFrameTo(QPoint corner) {
    askedCorner_ = corner;
    window_->move(reachableCorner(corner));
}

std::optional<QMargins> WindowGeometry::frameOnScreen() const {
    if (form_.borderStyle() == platform::BorderStyle::None || !window_ || !window_->isVisible()) return std::nullopt;
    const QWindow* handle = window_->windowHandle();
    if (handle == nullptr || handle->frameMargins().isNull()) return std::nullopt;
    return handle->frameMargins();
}

void WindowGeometry::learnFrame() {
    if (const std::optional<QMargins> seen = frameOnScreen()) {
        knownFrame_ = *seen;
        frames_.noteSeen(*seen);
    }
}

QMargins WindowGeometry::frameMargins() const {
    if (form_.borderStyle() == platform::BorderStyle::None) return {};
    if (const std::optional<QMargins> seen = frameOnScreen()) return *seen;
    if (knownFrame_) return *knownFrame_;
    if (!estimatedFrame_) estimatedFrame_ = frames_.expected(window_);
    return *estimatedFrame_;
}

float WindowGeometry::outerLeft() const { return toTwips(window_->frameGeometry().left() - screenOrigin().x()); }

float WindowGeometry::outerTop() const { return toTwips(window_->frameGeometry().top() - screenOrigin().y()); }

float WindowGeometry::outerWidth() const {
    const QMargins frame = frameMargins();
    return toTwips(clientSize().width() + frame.left() + frame.right());
}

float WindowGeometry::outerHeight() const {
    const QMargins frame = frameMargins();
    return toTwips(clientSize().height() + roomForMenuBar() + frame.top() + frame.bottom());
}

}  // namespace qt_backend
