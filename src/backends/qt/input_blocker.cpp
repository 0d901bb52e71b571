#include "qt/input_blocker.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

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
class BlockedInputFilter : public QObject {
protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (!isInput(event->type()) || !receiver->isWidgetType()) return false;
        const QWidget* window = static_cast<QWidget*>(receiver)->window();
        return window != nullptr && window->property(kInputBlocked).toBool();
    }
};

}  // namespace

InputBlocker::InputBlocker() = default;

InputBlocker::~InputBlocker() {
    if (filter_ && qApp != nullptr) qApp->removeEventFilter(filter_.get());
}

void InputBlocker::setBlocked(QWidget* window, bool blocked) {
    // The filter sees every event of the program: it goes in only when a
    // form is first disabled.
    if (!blocked && !filter_) return;
    if (!filter_) {
        filter_ = std::make_unique<BlockedInputFilter>();
        qApp->installEventFilter(filter_.get());
    }
    window->setProperty(kInputBlocked, blocked);
}

}  // namespace qt_backend
