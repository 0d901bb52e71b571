#pragma once
// The Qt side of one loaded form: a top-level window with an optional menu
// bar above the designed client area, a view per control, the form's menus
// and a QTimer per timer. It copies properties and forwards input; the game's
// rules stay in the core.
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <map>
#include <memory>

#include "qt/control_views.h"
#include "qt/form_menus.h"
#include "qt/identity.h"
#include "qt/widgets.h"
#include "qt/window_geometry.h"
#include "platform/form.h"

class QAction;
class QMenu;
class QMenuBar;
class QTimer;

namespace qt_backend {

class CoreCalls;
class InputBlocker;
class ShownWindows;
class WindowFrames;

// What the peers of all forms share; QtServices owns it.
struct SharedByPeers {
    const Identity& identity;
    CoreCalls& coreCalls;
    ShownWindows& shownWindows;
    WindowFrames& frames;
    InputBlocker& inputBlocker;
};

class QtFormPeer : public QObject, public platform::FormPeer, private FormInput {
public:
    QtFormPeer(platform::Form& form, SharedByPeers shared);
    ~QtFormPeer() override;
    QtFormPeer(const QtFormPeer&) = delete;
    QtFormPeer& operator=(const QtFormPeer&) = delete;

    // ---- platform::FormPeer
    void formChanged(platform::Property property) override;
    void controlChanged(platform::Control& control, platform::Property property) override;
    void menuChanged(platform::Menu& menu, platform::Property property) override;
    void timerChanged(platform::Timer& timer, platform::Property property) override;
    void refresh() override;
    float outerLeft() const override { return geometry_->outerLeft(); }
    float outerTop() const override { return geometry_->outerTop(); }
    float outerWidth() const override { return geometry_->outerWidth(); }
    float outerHeight() const override { return geometry_->outerHeight(); }

    // ---- what the tests look at
    QWidget* window() const { return window_; }
    QWidget* clientArea() const { return client_; }
    QMenuBar* menuBar() const { return menuBar_; }
    // The widget of a label, button or frame; the QMenu of a top-level menu;
    // the action of a menu entry (a top-level menu's is its menu action).
    QWidget* widget(const platform::Control& control) const;
    QMenu* menu(const platform::Menu& menu) const { return menus_->menu(menu); }
    QAction* action(const platform::Menu& menu) const { return menus_->action(menu); }
    QTimer* timer(const platform::Timer& timer) const;
    QMargins frameMargins() const { return geometry_->frameMargins(); }

private:
    // ---- FormInput: from the widgets, on the way to the core
    void backgroundPressed() override;
    void keyPressed(const QKeyEvent& event) override;
    void closeRequested() override;
    void labelClicked(platform::Control& label) override;
    void frameMayHaveChanged() override { geometry_->learnFrame(); }

    void buildWindow();
    void buildControls();
    void buildTimers();
    void applyTabOrder();
    void applyReadingOrder();
    void applyTimer(platform::Timer& timer);
    void showWindow();
    void focusFirstButton();
    QFont formFont() const;

    platform::Form& form_;
    SharedByPeers shared_;
    QPointer<QWidget> window_;
    QWidget* client_ = nullptr;
    QMenuBar* menuBar_ = nullptr;
    std::unique_ptr<WindowGeometry> geometry_;
    std::unique_ptr<FormMenus> menus_;
    std::map<const platform::Control*, std::unique_ptr<ControlView>> views_;
    std::map<const platform::Timer*, QTimer*> timers_;
};

}  // namespace qt_backend
