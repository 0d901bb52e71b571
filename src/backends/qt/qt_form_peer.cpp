#include "qt/qt_form_peer.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QTimer>
#include <algorithm>
#include <map>
#include <vector>

#include "platform/reading_order.h"
#include "qt/accessibility.h"
#include "qt/core_calls.h"
#include "qt/fonts.h"
#include "qt/input_blocker.h"
#include "qt/key_map.h"
#include "qt/painting.h"
#include "qt/shown_windows.h"
#include "qt/units.h"
#include "qt/x11.h"

namespace qt_backend {

// ------------------------------------------------------------ life

QtFormPeer::QtFormPeer(platform::Form& form, SharedByPeers shared) : form_(form), shared_(shared) {
    buildWindow();
    buildControls();
    menus_ = std::make_unique<FormMenus>(form_, menuBar_, this, shared_.coreCalls);
    buildTimers();
    geometry_->relayout();
}

QtFormPeer::~QtFormPeer() {
    for (auto& [timer, qtimer] : timers_) {
        qtimer->stop();
        qtimer->disconnect();
    }
    if (window_) {
        geometry_->learnFrame();  // remember what the window manager gave it
        window_->hide();
        // A handler may unload its own form, and with it the widget whose
        // event is still on the stack below: the window goes later.
        shared_.coreCalls.deleteWhenNoneRuns(window_);
    }
    // Signals and queued calls bound to this object die with it (QObject).
}

// ------------------------------------------------------------ building

void QtFormPeer::buildWindow() {
    auto* window = new FormWindow(InputTarget(this, this));
    window_ = window;
    window->setAttribute(Qt::WA_QuitOnClose, false);
    window->setObjectName(QString::fromStdString(form_.name()));
    if (form_.borderStyle() == platform::BorderStyle::None) {
        window->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    } else {
        window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    }
    const Identity& identity = shared_.identity;
    if (!form_.icon().empty() && identity.icon) window->setWindowIcon(identity.icon(form_.icon()));
    window->setFont(formFont());

    menuBar_ = new QMenuBar(window);
    menuBar_->setNativeMenuBar(false);
    menuBar_->hide();

    client_ = new ClientArea(InputTarget(this, this), window);
    client_->setAutoFillBackground(true);

    geometry_ = std::make_unique<WindowGeometry>(form_, window_, client_, menuBar_, shared_.frames);
    for (platform::Property p : {platform::Property::Caption, platform::Property::BackColor, platform::Property::Enabled})
        formChanged(p);
}

QFont QtFormPeer::formFont() const {
    if (form_.font().face.empty()) return QApplication::font();
    return qtFont(form_.font(), QApplication::font());
}

void QtFormPeer::buildControls() {
    const QFont font = formFont();
    // Frames first: their labels go inside them.
    for (platform::Frame* frame : form_.frames()) views_[frame] = makeFrameView(*frame, client_, font);
    for (platform::Label* label : form_.labels()) {
        QWidget* parent = label->container() != nullptr ? views_.at(label->container())->widget() : client_;
        views_[label] = makeLabelView(*label, InputTarget(this, this), parent, font);
    }
    for (platform::CommandButton* button : form_.buttons())
        views_[button] = makeButtonView(*button, client_, font, shared_.coreCalls);
    for (auto& [control, view] : views_) view->applyAll();
    // The desktop draws labels under frames and buttons, whatever their order.
    for (platform::Frame* frame : form_.frames()) views_.at(frame)->widget()->raise();
    for (platform::CommandButton* button : form_.buttons()) views_.at(button)->widget()->raise();
    applyTabOrder();
    applyReadingOrder();
}

// Screen readers take each container's controls by their places, not in
// the order the widgets stack in.
void QtFormPeer::applyReadingOrder() {
    std::map<QWidget*, std::vector<platform::Control*>> byContainer;
    for (platform::Control* control : form_.controls()) {
        QWidget* container = control->container() != nullptr ? views_.at(control->container())->widget() : client_;
        byContainer[container].push_back(control);
    }
    for (auto& [container, controls] : byContainer) {
        std::vector<QWidget*> widgets;
        for (platform::Control* control : platform::readingOrder(controls)) widgets.push_back(views_.at(control)->widget());
        readInOrder(container, container == client_ ? QAccessible::Client : QAccessible::Grouping, widgets);
    }
}

void QtFormPeer::buildTimers() {
    for (platform::Timer* timer : form_.timers()) {
        // Owned by the window, not by this peer: a tick that unloads the form
        // destroys the peer while the QTimer is still emitting.
        auto* qtimer = new QTimer(window_);
        qtimer->setTimerType(Qt::PreciseTimer);
        qtimer->setObjectName(QString::fromStdString(timer->name()));
        connect(qtimer, &QTimer::timeout, this, [this, timer] { shared_.coreCalls.run([timer] { timer->tick(); }); });
        timers_[timer] = qtimer;
        applyTimer(*timer);
    }
}

// ------------------------------------------------------------ property changes

void QtFormPeer::formChanged(platform::Property property) {
    switch (property) {
        case platform::Property::Caption:
            window_->setWindowTitle(QString::fromStdString(form_.caption()));
            break;
        case platform::Property::Visible:
            if (form_.visible()) {
                showWindow();
            } else {
                window_->hide();
            }
            break;
        case platform::Property::Enabled:
            shared_.inputBlocker.setBlocked(window_, !form_.enabled());
            break;
        case platform::Property::BackColor: {
            QPalette palette = client_->palette();
            palette.setColor(QPalette::Window, toQColor(form_.backColor()));
            client_->setPalette(palette);
            break;
        }
        case platform::Property::Geometry:
            geometry_->applyRequested();
            break;
        default:
            break;
    }
}

void QtFormPeer::controlChanged(platform::Control& control, platform::Property property) {
    if (property == platform::Property::TabIndex) {
        applyTabOrder();
        return;
    }
    views_.at(&control)->apply(property);
}

void QtFormPeer::menuChanged(platform::Menu& menu, platform::Property property) {
    menus_->apply(menu, property);
    // The bar comes and goes with its top-level menus.
    if (property == platform::Property::Visible && menu.parent() == nullptr) geometry_->relayout();
}

void QtFormPeer::timerChanged(platform::Timer& timer, platform::Property) { applyTimer(timer); }

void QtFormPeer::applyTimer(platform::Timer& timer) {
    // Every change starts the countdown again. The peer exists only while the
    // form is loaded, so enabled with an interval means running.
    QTimer* qtimer = timers_.at(&timer);
    qtimer->stop();
    if (timer.enabled() && timer.interval() > 0) qtimer->start(timer.interval());
}

void QtFormPeer::applyTabOrder() {
    std::vector<platform::CommandButton*> buttons = form_.buttons();
    std::stable_sort(buttons.begin(), buttons.end(),
                     [](const platform::Control* a, const platform::Control* b) { return a->tabIndex() < b->tabIndex(); });
    for (size_t i = 1; i < buttons.size(); ++i)
        QWidget::setTabOrder(views_.at(buttons[i - 1])->widget(), views_.at(buttons[i])->widget());
}

// ------------------------------------------------------------ showing and painting

void QtFormPeer::showWindow() {
    geometry_->placeIfUnplaced();
    // Our pauses block the only thread on purpose, up to 18 s at the results.
    // A window manager asked to close a window pings it, and one that gets no
    // answer takes the program for hung and offers to kill it (openbox after
    // 6.5 s, xfwm4 after 3.3 s), where the close is only meant to wait for
    // the end of the pause. Answering from elsewhere is not open to us (Qt
    // gets the pings and answers them on this thread), and the ping cannot
    // be withdrawn for the length of a pause: openbox and xfwm4 read the
    // protocols once, when they take the window in. So our windows never
    // offer pings; the window manager then only sends the close request, as
    // to any program that does not offer them.
    stopOfferingPings(window_->winId());
    window_->show();
    window_->raise();
    window_->activateWindow();
    shared_.shownWindows.note(window_);
    focusFirstButton();
    geometry_->noteShown();
    // On the screen and painted when Show returns: what follows (the title
    // window's two seconds) counts from there, however slow the window
    // manager is to map it.
    waitUntilOnScreen(window_->winId(), 1000);
    paintNow(window_);
}

void QtFormPeer::focusFirstButton() {
    // Focus starts on the first button in tab order, and goes back there when
    // the button that had it has since been hidden or disabled.
    const QWidget* focus = window_->focusWidget();
    const bool focusUsable = focus != nullptr && focus != window_ && focus != client_ &&
                             focus->isVisibleTo(window_) && focus->isEnabled();
    if (geometry_->shownOnce() && focusUsable) return;
    if (platform::CommandButton* first = form_.firstFocusable()) {
        views_.at(first)->widget()->setFocus(Qt::OtherFocusReason);
        // Show where the focus is from the start: Return answers with that button.
        window_->setAttribute(Qt::WA_KeyboardFocusChange);
    } else {
        // No control takes the focus: the window itself hears the keys.
        window_->setFocus(Qt::OtherFocusReason);
    }
}

void QtFormPeer::refresh() {
    if (window_->isVisible()) paintNow(window_);
}

// ------------------------------------------------------------ input

void QtFormPeer::backgroundPressed() {
    shared_.coreCalls.run([this] { form_.mouseDown(); });
}

void QtFormPeer::keyPressed(const QKeyEvent& event) {
    // Keys reach the form only when no control holds the focus; keys that a
    // focused button leaves unused are not the form's.
    const QWidget* focus = QApplication::focusWidget();
    if (focus != nullptr && focus != window_ && focus != client_) return;
    const int16_t code = virtualKey(event.key(), event.modifiers());
    if (code == 0) return;
    const int16_t shift = shiftState(event.key(), event.modifiers());
    shared_.coreCalls.run([this, code, shift] { form_.keyDown(code, shift); });
}

void QtFormPeer::closeRequested() {
    QMetaObject::invokeMethod(
        this, [this] { shared_.coreCalls.run([this] { form_.userClose(); }); }, Qt::QueuedConnection);
}

void QtFormPeer::labelClicked(platform::Control& label) {
    shared_.coreCalls.run([&label] { label.click(); });
}

// ------------------------------------------------------------ lookup

QWidget* QtFormPeer::widget(const platform::Control& control) const {
    auto it = views_.find(&control);
    return it != views_.end() ? it->second->widget() : nullptr;
}

QTimer* QtFormPeer::timer(const platform::Timer& timer) const {
    auto it = timers_.find(&timer);
    return it != timers_.end() ? it->second : nullptr;
}

}  // namespace qt_backend
