#include "backends/qt/qt_form_peer.h"

#include <QBackingStore>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleObject>
#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <vector>

#include "backends/qt/fonts.h"
#include "backends/qt/key_map.h"
#include "backends/qt/units.h"
#include "backends/qt/window_icon.h"
#include "backends/qt/x11.h"

namespace qt_backend {

namespace {

// ------------------------------------------------------------ calls into the core
//
// A handler may unload its own form, and with it the widget whose event is
// still on the stack below (a label click that closes its window, a timer
// tick that unloads its form). So a destroyed peer only hides its window and
// leaves it here; the window is deleted once no call from our widgets into
// the core is running any more.

int callsIntoCore = 0;
std::vector<QPointer<QObject>> graveyard;

void sweepGraveyard() {
    if (callsIntoCore > 0) return;  // the outermost call sweeps when it returns
    std::vector<QPointer<QObject>> dead;
    dead.swap(graveyard);
    for (QPointer<QObject>& object : dead) delete object.data();
}

class CoreCall {
public:
    CoreCall() { ++callsIntoCore; }
    ~CoreCall() {
        if (--callsIntoCore == 0 && !graveyard.empty()) QTimer::singleShot(0, qApp, sweepGraveyard);
    }
    CoreCall(const CoreCall&) = delete;
    CoreCall& operator=(const CoreCall&) = delete;
};

void bury(QObject* object) {
    graveyard.emplace_back(object);
    if (callsIntoCore == 0) QTimer::singleShot(0, qApp, sweepGraveyard);
}

// Form windows in the order they were last shown: message boxes go to the
// newest that is still visible.
std::vector<QPointer<QWidget>> shownWindows;

void noteShown(QWidget* window) {
    std::erase_if(shownWindows, [window](const QPointer<QWidget>& w) { return w.isNull() || w == window; });
    shownWindows.emplace_back(window);
}

// The frame margins seen on any of our framed windows: the best guess for
// the next one when the window manager cannot be asked.
std::optional<QMargins> lastSeenFrame;

// ------------------------------------------------------------ a disabled form
//
// A disabled form takes no mouse or keyboard input but keeps its look, as on
// the desktop the game comes from; Qt's own disabling would grey its buttons
// and menu titles. So the window is marked, and one filter in front of every
// widget drops the input meant for a marked window.

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

class InputBlocker : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (!isInput(event->type()) || !receiver->isWidgetType()) return false;
        const QWidget* window = static_cast<QWidget*>(receiver)->window();
        return window != nullptr && window->property(kInputBlocked).toBool();
    }
};

void blockInput(QWidget* window, bool blocked) {
    static InputBlocker* blocker = [] {
        auto* filter = new InputBlocker(qApp);
        qApp->installEventFilter(filter);
        return filter;
    }();
    (void)blocker;
    window->setProperty(kInputBlocked, blocked);
}

// ------------------------------------------------------------ widgets

class FormWindow : public QWidget {
public:
    explicit FormWindow(QtFormPeer* peer) : peer_(peer) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        // The core decides, and unloads the form itself when it agrees.
        event->ignore();
        if (peer_) peer_->closeRequested();
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (peer_) peer_->keyPressed(*event);
    }
    // The window manager frames a window some time after it is shown and
    // moves it as it does: a moment to learn the frame for the next window.
    void moveEvent(QMoveEvent* event) override {
        QWidget::moveEvent(event);
        if (peer_) peer_->learnFrame();
    }
    void showEvent(QShowEvent* event) override {
        QWidget::showEvent(event);
        if (peer_) peer_->learnFrame();
    }

private:
    QPointer<QtFormPeer> peer_;
};

class ClientArea : public QWidget {
public:
    ClientArea(QtFormPeer* peer, QWidget* parent) : QWidget(parent), peer_(peer) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        event->accept();
        if (peer_) peer_->backgroundPressed();
    }

private:
    QPointer<QtFormPeer> peer_;
};

class LabelWidget : public QLabel {
public:
    LabelWidget(QtFormPeer* peer, platform::Control& control, QWidget* parent)
        : QLabel(parent), peer_(peer), control_(control) {}

protected:
    // A click is a press and a release on the label, as on the desktop; the
    // press is the label's and does not reach the window behind it.
    void mousePressEvent(QMouseEvent* event) override {
        event->accept();
        pressed_ = event->button() == Qt::LeftButton;
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        event->accept();
        const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
        pressed_ = false;
        if (click && peer_) peer_->labelClicked(control_);
    }

private:
    QPointer<QtFormPeer> peer_;
    platform::Control& control_;
    bool pressed_ = false;
};

class ButtonWidget : public QPushButton {
public:
    explicit ButtonWidget(QWidget* parent) : QPushButton(parent) {
        setAutoDefault(false);
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    // The desktop's buttons take Enter as well as Space.
    void keyPressEvent(QKeyEvent* event) override {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat()) {
            event->accept();
            click();
            return;
        }
        QPushButton::keyPressEvent(event);
    }
};

class FrameWidget : public QFrame {
public:
    explicit FrameWidget(QWidget* parent) : QFrame(parent) {
        setFrameStyle(QFrame::Box | QFrame::Sunken);  // the desktop's etched frame line
        setLineWidth(1);
        setMidLineWidth(0);
    }

protected:
    // A press on the frame is the frame's, not the window's.
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
};

QString menuText(const platform::Menu& menu) {
    if (menu.caption().empty()) {
        // A blank entry must still be something to click: ideographic spaces
        // give it the width of one or two characters.
        return menu.parent() == nullptr ? QStringLiteral("\u3000\u3000") : QStringLiteral("\u3000");
    }
    return QString::fromStdString(menu.caption());
}

// ------------------------------------------------------------ accessibility
//
// A screen reader names a menu entry by its text, and a blank entry's text is
// only spaces. So a blank entry's action carries a name of its own, and an
// accessible interface of ours reads it; every other entry keeps Qt's.

constexpr char kBlankEntryName[] = "mochitamaBlankEntryName";

QString blankEntryName(const platform::Menu& menu) {
    return menu.parent() == nullptr ? QStringLiteral("空白のメニュー") : QStringLiteral("空白の項目");
}

// What a screen reader calls an open drop-down menu: its caption without the
// access-key marker, or the blank entry's own name.
QString popupName(const platform::Menu& menu) {
    if (menu.caption().empty()) return blankEntryName(menu);
    QString caption = QString::fromStdString(menu.caption());
    return caption.remove(QLatin1Char('&'));
}

// The menu bar or the menu that shows the action.
QWidget* shownIn(const QAction* action) {
    if (action == nullptr) return nullptr;
    for (QObject* object : action->associatedObjects())
        if (qobject_cast<QMenu*>(object) != nullptr || qobject_cast<QMenuBar*>(object) != nullptr)
            return static_cast<QWidget*>(object);
    return nullptr;
}

// A blank menu entry as Qt's own menu items present an entry, with a name.
class BlankMenuEntry : public QAccessibleObject, public QAccessibleActionInterface {
public:
    explicit BlankMenuEntry(QAction* action) : QAccessibleObject(action) {}

    bool isValid() const override { return QAccessibleObject::isValid() && owner() != nullptr; }
    QWindow* window() const override {
        const QWidget* shown = owner();
        return shown != nullptr ? shown->window()->windowHandle() : nullptr;
    }

    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(owner()); }
    int childCount() const override { return submenu() != nullptr ? 1 : 0; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 && submenu() != nullptr ? QAccessible::queryAccessibleInterface(submenu()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child != nullptr && submenu() != nullptr && child->object() == submenu() ? 0 : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        QAccessibleInterface* menu = child(0);
        return menu != nullptr && menu->rect().contains(x, y) ? menu : nullptr;
    }

    QString text(QAccessible::Text t) const override {
        // Only blank entries, never separators, have this interface
        // (markBlankEntry keeps it so).
        if (t != QAccessible::Name || action() == nullptr) return {};
        return action()->property(kBlankEntryName).toString();
    }
    QRect rect() const override {
        QWidget* shown = owner();
        QRect area;
        if (auto* menu = qobject_cast<QMenu*>(shown)) {
            area = menu->actionGeometry(action());
        } else if (auto* bar = qobject_cast<QMenuBar*>(shown)) {
            area = bar->actionGeometry(action());
        }
        return area.isValid() ? QRect(shown->mapToGlobal(area.topLeft()), area.size()) : QRect();
    }
    QAccessible::Role role() const override { return QAccessible::MenuItem; }
    QAccessible::State state() const override {
        QAccessible::State state;
        QAction* entry = action();
        QWidget* shown = owner();
        if (entry == nullptr || shown == nullptr) {
            state.invalid = true;
            return state;
        }
        state.invisible = !shown->isVisible() || !entry->isVisible();
        if (auto* menu = qobject_cast<QMenu*>(shown)) state.focused = menu->activeAction() == entry;
        if (auto* bar = qobject_cast<QMenuBar*>(shown)) state.focused = bar->activeAction() == entry;
        state.disabled = !entry->isEnabled();
        state.hasPopup = submenu() != nullptr;
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override {
        return {submenu() != nullptr ? showMenuAction() : pressAction()};
    }
    void doAction(const QString& name) override {
        QAction* entry = action();
        if (entry == nullptr || !entry->isEnabled()) return;
        if (name == pressAction()) {
            entry->trigger();
        } else if (name == showMenuAction()) {
            if (submenu() != nullptr && submenu()->isVisible()) {
                submenu()->hide();
            } else if (auto* bar = qobject_cast<QMenuBar*>(owner())) {
                bar->setActiveAction(entry);
            } else if (auto* menu = qobject_cast<QMenu*>(owner())) {
                menu->setActiveAction(entry);
            }
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QAction* action() const { return static_cast<QAction*>(object()); }
    QWidget* owner() const { return shownIn(action()); }
    QMenu* submenu() const { return action() != nullptr ? action()->menu() : nullptr; }
};

QAccessibleInterface* blankMenuEntryFactory(const QString& className, QObject* object) {
    if (className != QLatin1String("QAction") || !object->property(kBlankEntryName).isValid()) return nullptr;
    return new BlankMenuEntry(static_cast<QAction*>(object));
}

void installAccessibleFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(blankMenuEntryFactory);
        return true;
    }();
    (void)installed;
}

// Marks a blank entry for the factory. Qt picks an entry's interface once,
// when it is first asked for: after a change, drop the one it picked.
void markBlankEntry(const platform::Menu& menu, QAction* action) {
    const bool blank = menu.caption().empty();
    if (blank == action->property(kBlankEntryName).isValid()) return;
    action->setProperty(kBlankEntryName, blank ? QVariant(blankEntryName(menu)) : QVariant());
    if (QAccessibleInterface* picked = QAccessible::queryAccessibleInterface(action))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(picked));
}

Qt::Alignment qtAlignment(platform::Alignment alignment) {
    switch (alignment) {
        case platform::Alignment::Right: return Qt::AlignRight | Qt::AlignTop;
        case platform::Alignment::Center: return Qt::AlignHCenter | Qt::AlignTop;
        case platform::Alignment::Left: break;
    }
    return Qt::AlignLeft | Qt::AlignTop;
}

QPoint screenOrigin() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry().topLeft() : QPoint();
}

}  // namespace

// ------------------------------------------------------------ life

QtFormPeer::QtFormPeer(platform::Form& form)
    : form_(form), placedLeft_(form.requestedGeometry().left), placedTop_(form.requestedGeometry().top) {
    installAccessibleFactory();
    buildWindow();
    // Frames first: their labels go inside them.
    for (platform::Control* control : form_.controls())
        if (control->kind() == platform::Control::Kind::Frame) buildControl(*control);
    for (platform::Control* control : form_.controls())
        if (control->kind() != platform::Control::Kind::Frame) buildControl(*control);
    // The desktop draws labels under frames and buttons, whatever their order.
    for (platform::Control* control : form_.controls())
        if (control->kind() == platform::Control::Kind::Frame) widgets_.at(control)->raise();
    for (platform::Control* control : form_.controls())
        if (control->kind() == platform::Control::Kind::CommandButton) widgets_.at(control)->raise();
    applyTabOrder();
    buildMenus();
    buildTimers();
    relayout();
}

QtFormPeer::~QtFormPeer() {
    for (auto& [timer, qtimer] : timers_) {
        qtimer->stop();
        qtimer->disconnect();
    }
    if (window_) {
        learnFrame();  // remember what the window manager gave it
        window_->hide();
        bury(window_);
    }
    // Signals and queued calls bound to this object die with it (QObject).
}

// ------------------------------------------------------------ building

void QtFormPeer::buildWindow() {
    auto* window = new FormWindow(this);
    window_ = window;
    window->setAttribute(Qt::WA_QuitOnClose, false);
    window->setObjectName(QString::fromStdString(form_.name()));
    if (form_.borderStyle() == platform::BorderStyle::None) {
        window->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    } else {
        window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    }
    window->setWindowIcon(windowIcon(form_.icon()));
    window->setFont(formFont());

    menuBar_ = new QMenuBar(window);
    menuBar_->setNativeMenuBar(false);
    menuBar_->hide();

    client_ = new ClientArea(this, window);
    client_->setAutoFillBackground(true);

    applyForm(platform::Property::Caption);
    applyForm(platform::Property::BackColor);
    applyForm(platform::Property::Enabled);
}

QFont QtFormPeer::formFont() const {
    if (form_.font().face.empty()) return QApplication::font();
    return qtFont(form_.font(), QApplication::font());
}

void QtFormPeer::buildControl(platform::Control& control) {
    QWidget* parent = client_;
    if (control.container() != nullptr) parent = widgets_.at(control.container());

    QWidget* widget = nullptr;
    switch (control.kind()) {
        case platform::Control::Kind::Label: {
            auto* label = new LabelWidget(this, control, parent);
            label->setTextFormat(Qt::PlainText);
            label->setWordWrap(true);  // the desktop's labels wrap at their width
            label->setFocusPolicy(Qt::NoFocus);
            widget = label;
            break;
        }
        case platform::Control::Kind::CommandButton: {
            auto* button = new ButtonWidget(parent);
            connect(button, &QPushButton::clicked, this, [&control] {
                CoreCall call;
                control.click();
            });
            widget = button;
            break;
        }
        case platform::Control::Kind::Frame: {
            auto* frame = new FrameWidget(parent);
            frame->setAutoFillBackground(true);
            widget = frame;
            break;
        }
    }
    widget->setObjectName(QString::fromStdString(control.name()));
    widgets_[&control] = widget;
    for (platform::Property p : {platform::Property::Caption, platform::Property::Font, platform::Property::Alignment,
                                 platform::Property::BackColor, platform::Property::Geometry,
                                 platform::Property::Enabled, platform::Property::Visible})
        applyControl(control, p);
}

void QtFormPeer::buildMenus() {
    for (platform::Menu* top : form_.topMenus()) {
        auto* qmenu = new QMenu(menuText(*top), menuBar_);
        qmenu->setObjectName(QString::fromStdString(top->name()));
        qmenu->setAccessibleName(popupName(*top));
        menuBar_->addMenu(qmenu);
        menus_[top] = qmenu;
        actions_[top] = qmenu->menuAction();
        markBlankEntry(*top, qmenu->menuAction());
        // The desktop tells a top-level menu it was clicked as it drops down.
        connect(qmenu, &QMenu::aboutToShow, this, [this, top] {
            QMetaObject::invokeMethod(this, [top] {
                CoreCall call;
                top->click();
            }, Qt::QueuedConnection);
        });
        for (platform::Menu* item : form_.items(*top)) {
            auto* action = new QAction(qmenu);
            action->setObjectName(QString::fromStdString(item->name()));
            qmenu->addAction(action);
            actions_[item] = action;
            // Queued: the popup closes before the handler runs.
            connect(action, &QAction::triggered, this, [this, item] {
                QMetaObject::invokeMethod(this, [item] {
                    CoreCall call;
                    item->click();
                }, Qt::QueuedConnection);
            });
            applyMenu(*item, platform::Property::Caption);
            applyMenu(*item, platform::Property::Visible);
            applyMenu(*item, platform::Property::Enabled);
        }
        applyMenu(*top, platform::Property::Visible);
        applyMenu(*top, platform::Property::Enabled);
    }
}

void QtFormPeer::buildTimers() {
    for (platform::Timer* timer : form_.timers()) {
        // Owned by the window, not by this peer: a tick that unloads the form
        // destroys the peer while the QTimer is still emitting.
        auto* qtimer = new QTimer(window_);
        qtimer->setTimerType(Qt::PreciseTimer);
        qtimer->setObjectName(QString::fromStdString(timer->name()));
        connect(qtimer, &QTimer::timeout, this, [timer] {
            CoreCall call;
            timer->tick();
        });
        timers_[timer] = qtimer;
        applyTimer(*timer);
    }
}

// ------------------------------------------------------------ property changes

void QtFormPeer::changed(platform::Object& object, platform::Property property) {
    if (&object == &form_) {
        applyForm(property);
    } else if (auto* control = dynamic_cast<platform::Control*>(&object)) {
        applyControl(*control, property);
    } else if (auto* menu = dynamic_cast<platform::Menu*>(&object)) {
        applyMenu(*menu, property);
    } else if (auto* timer = dynamic_cast<platform::Timer*>(&object)) {
        applyTimer(*timer);
    }
}

void QtFormPeer::applyForm(platform::Property property) {
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
            blockInput(window_, !form_.enabled());
            break;
        case platform::Property::BackColor: {
            QPalette palette = client_->palette();
            palette.setColor(QPalette::Window, toQColor(form_.backColor()));
            client_->setPalette(palette);
            break;
        }
        case platform::Property::Geometry: {
            if (form_.borderStyle() == platform::BorderStyle::None) relayout();
            // Only a new Left or Top moves the window: a new size leaves it
            // where it is, even where the player has dragged it.
            const platform::Geometry& g = form_.requestedGeometry();
            if (g.left != placedLeft_ || g.top != placedTop_) {
                moveFrame(g.left != placedLeft_, g.top != placedTop_);
                placedLeft_ = g.left;
                placedTop_ = g.top;
                positioned_ = true;
            }
            break;
        }
        default:
            break;
    }
}

void QtFormPeer::applyLabelColours(platform::Control& control) {
    QWidget* widget = widgets_.at(&control);
    QPalette palette = widget->palette();
    const QColor fore = toQColor(control.foreColor());
    palette.setColor(QPalette::Active, QPalette::WindowText, fore);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, fore);
    // A disabled window keeps its labels' colours; a disabled label is greyed.
    palette.setColor(QPalette::Disabled, QPalette::WindowText,
                     control.enabled() ? fore : QApplication::palette().color(QPalette::Disabled, QPalette::WindowText));
    palette.setColor(QPalette::Window, toQColor(control.backColor()));
    widget->setPalette(palette);
    widget->setAutoFillBackground(!control.transparent());
}

void QtFormPeer::applyControl(platform::Control& control, platform::Property property) {
    QWidget* widget = widgets_.at(&control);
    const bool isLabel = control.kind() == platform::Control::Kind::Label;
    switch (property) {
        case platform::Property::Caption:
            if (auto* label = dynamic_cast<QLabel*>(widget)) {
                label->setText(QString::fromStdString(control.caption()));
                // An empty label is still where messages appear; a reader
                // that finds it should be able to say what it is.
                label->setAccessibleDescription(control.caption().empty() ? QStringLiteral("メッセージ") : QString());
            } else if (auto* button = dynamic_cast<QPushButton*>(widget)) {
                button->setText(QString::fromStdString(control.caption()));
            }
            break;
        case platform::Property::Visible:
            widget->setVisible(control.visible());
            break;
        case platform::Property::Enabled:
            widget->setEnabled(control.enabled());
            if (isLabel) applyLabelColours(control);
            break;
        case platform::Property::ForeColor:
        case platform::Property::BackColor:
            if (isLabel) {
                applyLabelColours(control);
            } else if (control.kind() == platform::Control::Kind::Frame) {
                QPalette palette = widget->palette();
                palette.setColor(QPalette::Window, toQColor(control.backColor()));
                widget->setPalette(palette);
            }
            break;
        case platform::Property::Font:
            if (control.kind() == platform::Control::Kind::CommandButton && control.font().face.empty()) {
                widget->setFont(QApplication::font());
            } else {
                widget->setFont(qtFont(control.font(), formFont()));
            }
            break;
        case platform::Property::Alignment:
            if (auto* label = dynamic_cast<QLabel*>(widget)) label->setAlignment(qtAlignment(control.alignment()));
            break;
        case platform::Property::Geometry: {
            const platform::Geometry& g = control.geometry();
            widget->setGeometry(toPixels(g.left), toPixels(g.top), toPixels(g.width), toPixels(g.height));
            break;
        }
        case platform::Property::TabIndex:
            applyTabOrder();
            break;
        case platform::Property::Interval:
            break;
    }
}

void QtFormPeer::applyTabOrder() {
    std::vector<platform::Control*> buttons;
    for (platform::Control* control : form_.controls())
        if (control->kind() == platform::Control::Kind::CommandButton) buttons.push_back(control);
    std::stable_sort(buttons.begin(), buttons.end(),
                     [](const platform::Control* a, const platform::Control* b) { return a->tabIndex() < b->tabIndex(); });
    for (size_t i = 1; i < buttons.size(); ++i) QWidget::setTabOrder(widgets_.at(buttons[i - 1]), widgets_.at(buttons[i]));
}

void QtFormPeer::applyMenu(platform::Menu& menu, platform::Property property) {
    QAction* action = actions_.at(&menu);
    switch (property) {
        case platform::Property::Caption:
            if (menu.parent() == nullptr) {
                menus_.at(&menu)->setTitle(menuText(menu));
                menus_.at(&menu)->setAccessibleName(popupName(menu));
            } else {
                action->setSeparator(menu.isSeparator());
                action->setText(menu.isSeparator() ? QString() : menuText(menu));
            }
            markBlankEntry(menu, action);
            break;
        case platform::Property::Visible:
            action->setVisible(menu.visible());
            if (menu.parent() == nullptr) relayout();
            break;
        case platform::Property::Enabled:
            action->setEnabled(menu.enabled());
            break;
        default:
            break;
    }
}

void QtFormPeer::applyTimer(platform::Timer& timer) {
    // Every change starts the countdown again. The peer exists only while the
    // form is loaded, so enabled with an interval means running.
    QTimer* qtimer = timers_.at(&timer);
    qtimer->stop();
    if (timer.enabled() && timer.interval() > 0) qtimer->start(timer.interval());
}

// ------------------------------------------------------------ geometry

QSize QtFormPeer::clientSize() const {
    // A framed window keeps its designed client area whatever outer size is
    // asked for; a frameless one is all client area, so the asked size is it.
    if (form_.borderStyle() == platform::BorderStyle::None) {
        const platform::Geometry& g = form_.requestedGeometry();
        return {std::max(1, toPixels(g.width)), std::max(1, toPixels(g.height))};
    }
    return {std::max(1, toPixels(form_.clientWidth())), std::max(1, toPixels(form_.clientHeight()))};
}

int QtFormPeer::menuBarHeight() const {
    if (!form_.hasVisibleTopMenu()) return 0;
    return menuBar_->heightForWidth(clientSize().width());
}

void QtFormPeer::relayout() {
    const int heightBefore = window_->height();
    const QSize client = clientSize();
    const int bar = menuBarHeight();
    if (bar > 0) {
        menuBar_->setGeometry(0, 0, client.width(), bar);
        menuBar_->show();
    } else {
        menuBar_->hide();
    }
    client_->setGeometry(0, bar, client.width(), client.height());
    window_->setFixedSize(client.width(), client.height() + bar);
    // Until the player has seen it, a placed window keeps its middle where
    // the program put it: the main window is centred with the menu bar that
    // its load then hides, and should still be centred as it is shown.
    const int shrunk = heightBefore - window_->height();
    if (!shownOnce_ && positioned_ && shrunk != 0) window_->move(window_->pos() + QPoint(0, shrunk / 2));
}

void QtFormPeer::learnFrame() const {
    if (form_.borderStyle() == platform::BorderStyle::None || !window_->isVisible()) return;
    if (const QWindow* handle = window_->windowHandle()) {
        const QMargins seen = handle->frameMargins();
        if (!seen.isNull()) {
            knownFrame_ = seen;
            lastSeenFrame = seen;
        }
    }
}

QMargins QtFormPeer::frameMargins() const {
    if (form_.borderStyle() == platform::BorderStyle::None) return {};
    learnFrame();
    if (knownFrame_) return *knownFrame_;
    if (!estimatedFrame_) estimatedFrame_ = expectedFrame(window_);
    return *estimatedFrame_;
}

QMargins QtFormPeer::expectedFrame(const QWidget* window) {
    // Not framed yet: what we saw on another window; failing that, what
    // the window manager says it will put around a window; failing that,
    // the style's own idea of a title bar and border.
    static const std::optional<QMargins> asked = askFrameExtents();
    if (lastSeenFrame) return *lastSeenFrame;
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

float QtFormPeer::outerLeft() const { return toTwips(window_->frameGeometry().left() - screenOrigin().x()); }

float QtFormPeer::outerTop() const { return toTwips(window_->frameGeometry().top() - screenOrigin().y()); }

float QtFormPeer::outerWidth() const {
    const QMargins frame = frameMargins();
    return toTwips(clientSize().width() + frame.left() + frame.right());
}

float QtFormPeer::outerHeight() const {
    const QMargins frame = frameMargins();
    return toTwips(clientSize().height() + menuBarHeight() + frame.top() + frame.bottom());
}

void QtFormPeer::moveFrame(bool left, bool top) {
    // QWidget::move places a top-level window's frame, as Left and Top do;
    // the coordinate not asked for stays where the window is.
    const platform::Geometry& g = form_.requestedGeometry();
    QPoint place = window_->pos();
    if (left) place.setX(screenOrigin().x() + toPixels(g.left));
    if (top) place.setY(screenOrigin().y() + toPixels(g.top));
    window_->move(place);
}

// ------------------------------------------------------------ showing and painting

namespace {
// Paints the window now and puts all of it on the screen. What Qt has posted
// to the window and its widgets (a label just made visible is only shown and
// laid out by posted events) goes first, or the paint leaves it out and the
// program then sleeps over a screen without it. Then all of the window goes
// out, not only what Qt thinks changed: a message box that has just gone left
// a hole that nobody repaints while the program sleeps.
void paintNow(QWidget* window) {
    QCoreApplication::sendPostedEvents(window, 0);
    for (QWidget* child : window->findChildren<QWidget*>()) QCoreApplication::sendPostedEvents(child, 0);
    window->repaint();
    if (QBackingStore* store = window->backingStore())
        store->flush(QRegion(window->rect()), window->windowHandle());
}
}  // namespace

void QtFormPeer::showWindow() {
    if (!positioned_) {
        // Nobody placed it: the middle of the screen.
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QSize screenSize = screen != nullptr ? screen->geometry().size() : QSize();
        const QMargins frame = frameMargins();
        const QSize outer(window_->width() + frame.left() + frame.right(),
                          window_->height() + frame.top() + frame.bottom());
        window_->move(screenOrigin() + QPoint((screenSize.width() - outer.width()) / 2,
                                              (screenSize.height() - outer.height()) / 2));
        positioned_ = true;
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
    noteShown(window_);
    // Focus starts on the first button in tab order, and goes back there
    // when the button that had it has since been hidden or disabled.
    const QWidget* focus = window_->focusWidget();
    const bool focusUsable = focus != nullptr && focus != window_ && focus != client_ &&
                             focus->isVisibleTo(window_) && focus->isEnabled();
    if (!shownOnce_ || !focusUsable) {
        shownOnce_ = true;
        if (platform::CommandButton* first = form_.firstFocusable()) {
            widgets_.at(first)->setFocus(Qt::OtherFocusReason);
            // Show where the focus is from the start: Return answers with that button.
            window_->setAttribute(Qt::WA_KeyboardFocusChange);
        } else {
            // No control takes the focus: the window itself hears the keys.
            window_->setFocus(Qt::OtherFocusReason);
        }
    }
    // On the screen and painted when Show returns: what follows (the title
    // window's two seconds) counts from there, however slow the window
    // manager is to map it.
    waitUntilOnScreen(window_->winId(), 1000);
    paintNow(window_);
    flushDisplay();
}


void QtFormPeer::refresh() {
    if (!window_->isVisible()) return;
    flushDisplay();
    paintNow(window_);
    // Out to the X server now: a Sleep may follow, and nothing is sent then.
    flushDisplay();
}

void QtFormPeer::repaintShownWindows() {
    flushDisplay();
    for (const QPointer<QWidget>& w : shownWindows)
        if (w && w->isVisible()) paintNow(w);
    flushDisplay();
}

QWidget* QtFormPeer::dialogParent() {
    QWidget* active = QApplication::activeWindow();
    for (const QPointer<QWidget>& w : shownWindows)
        if (w && w == active && w->isVisible()) return w;
    for (auto it = shownWindows.rbegin(); it != shownWindows.rend(); ++it)
        if (*it && (*it)->isVisible()) return *it;
    return nullptr;
}

// ------------------------------------------------------------ input

void QtFormPeer::backgroundPressed() {
    CoreCall call;
    form_.mouseDown();
}

void QtFormPeer::keyPressed(const QKeyEvent& event) {
    // Keys reach the form only when no control holds the focus; keys that a
    // focused button leaves unused are not the form's.
    const QWidget* focus = QApplication::focusWidget();
    if (focus != nullptr && focus != window_ && focus != client_) return;
    const int16_t code = virtualKey(event.key(), event.modifiers());
    if (code == 0) return;
    CoreCall call;
    form_.keyDown(code, shiftState(event.key(), event.modifiers()));
}

void QtFormPeer::closeRequested() {
    // A disabled window takes no input, its close box included.
    if (!form_.enabled()) return;
    QMetaObject::invokeMethod(this, [this] {
        CoreCall call;
        form_.userClose();
    }, Qt::QueuedConnection);
}

void QtFormPeer::labelClicked(platform::Control& label) {
    CoreCall call;
    label.click();
}

// ------------------------------------------------------------ lookup

QWidget* QtFormPeer::widget(const platform::Control& control) const {
    auto it = widgets_.find(&control);
    return it != widgets_.end() ? it->second : nullptr;
}

QMenu* QtFormPeer::menu(const platform::Menu& menu) const {
    auto it = menus_.find(&menu);
    return it != menus_.end() ? it->second : nullptr;
}

QAction* QtFormPeer::action(const platform::Menu& menu) const {
    auto it = actions_.find(&menu);
    return it != actions_.end() ? it->second : nullptr;
}

QTimer* QtFormPeer::timer(const platform::Timer& timer) const {
    auto it = timers_.find(&timer);
    return it != timers_.end() ? it->second : nullptr;
}

}  // namespace qt_backend
