#include "qt/window_registry.h"

#include <QApplication>
#include <QEvent>
#include <QStyle>
#include <QTimer>
#include <algorithm>

#include "qt/painting.h"
#include "qt/x11.h"

namespace qt_backend {

namespace {

constexpr char kInputBlocked[] = "mochitamaInputBlocked";

bool isInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::Enter:
        case QEvent::HoverEnter:
        case QEvent::HoverMove:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            return true;
        default:
            return false;
    }
}

// In front of every widget: drops the input meant for a window whose form is
// disabled. Qt's own disabling would grey its buttons and menu titles, where
// the desktop the game comes from keeps their look.
class InputBlocker : public QObject {
protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (!isInput(event->type()) || !receiver->isWidgetType()) return false;
        const QWidget* window = static_cast<QWidget*>(receiver)->window();
        return window != nullptr && window->property(kInputBlocked).toBool();
    }
};

}  // namespace

WindowRegistry::WindowRegistry(Identity identity)
    : identity_(std::move(identity)), sweeper_(std::make_unique<QObject>()) {}

WindowRegistry::~WindowRegistry() {
    if (inputBlocker_ && qApp != nullptr) qApp->removeEventFilter(inputBlocker_.get());
    for (QPointer<QObject>& object : graveyard_) delete object.data();
}

// ------------------------------------------------------------ calls into the core

void WindowRegistry::callCore(const std::function<void()>& call) {
    ++callsIntoCore_;
    struct Leave {
        WindowRegistry& registry;
        ~Leave() {
            if (--registry.callsIntoCore_ == 0 && !registry.graveyard_.empty()) registry.sweepSoon();
        }
    } leave{*this};
    call();
}

void WindowRegistry::bury(QObject* object) {
    graveyard_.emplace_back(object);
    if (callsIntoCore_ == 0) sweepSoon();
}

void WindowRegistry::sweepSoon() {
    // Back in the event loop: Qt may still be using a widget whose event
    // led into the core when the core returns.
    QTimer::singleShot(0, sweeper_.get(), [this] { sweep(); });
}

void WindowRegistry::sweep() {
    if (callsIntoCore_ > 0) return;  // the outermost call sweeps when it returns
    std::vector<QPointer<QObject>> dead;
    dead.swap(graveyard_);
    for (QPointer<QObject>& object : dead) delete object.data();
}

// ------------------------------------------------------------ windows on the screen

void WindowRegistry::noteShown(QWidget* window) {
    std::erase_if(shownWindows_, [window](const QPointer<QWidget>& w) { return w.isNull() || w == window; });
    shownWindows_.emplace_back(window);
}

QWidget* WindowRegistry::dialogParent() const {
    QWidget* active = QApplication::activeWindow();
    for (const QPointer<QWidget>& w : shownWindows_)
        if (w && w == active && w->isVisible()) return w;
    for (auto it = shownWindows_.rbegin(); it != shownWindows_.rend(); ++it)
        if (*it && (*it)->isVisible()) return *it;
    return nullptr;
}

void WindowRegistry::repaintShownWindows() const {
    for (const QPointer<QWidget>& w : shownWindows_)
        if (w && w->isVisible()) paintNow(w);
}

// ------------------------------------------------------------ frames

QMargins WindowRegistry::expectedFrame(const QWidget* window) const {
    // Not framed yet: what we saw on another window; failing that, what the
    // window manager says it will put around a window; failing that, the
    // style's own idea of a title bar and border.
    if (lastSeenFrame_) return *lastSeenFrame_;
    if (!askedFrame_) askedFrame_ = askFrameExtents();
    const std::optional<QMargins>& asked = *askedFrame_;
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

// ------------------------------------------------------------ disabled forms

void WindowRegistry::blockInput(QWidget* window, bool blocked) {
    // The filter sees every event of the program: it goes in only when a
    // form is first disabled.
    if (!blocked && !inputBlocker_) return;
    if (!inputBlocker_) {
        inputBlocker_ = std::make_unique<InputBlocker>();
        qApp->installEventFilter(inputBlocker_.get());
    }
    window->setProperty(kInputBlocked, blocked);
}

}  // namespace qt_backend
