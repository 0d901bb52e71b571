#pragma once
// The Qt side of one loaded form: a top-level window with an optional menu
// bar above the designed client area, the form's controls inside it and a
// QTimer per timer. It copies properties and forwards input; the game's rules
// stay in the core.
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <map>
#include <optional>

#include "platform/object_model.h"

class QAction;
class QKeyEvent;
class QMenu;
class QMenuBar;
class QTimer;
class QWidget;

namespace qt_backend {

class QtFormPeer : public QObject, public platform::FormPeer {
public:
    explicit QtFormPeer(platform::Form& form);
    ~QtFormPeer() override;
    QtFormPeer(const QtFormPeer&) = delete;
    QtFormPeer& operator=(const QtFormPeer&) = delete;

    void changed(platform::Object& object, platform::Property property) override;
    void refresh() override;
    float outerLeft() const override;
    float outerTop() const override;
    float outerWidth() const override;
    float outerHeight() const override;

    platform::Form& form() const { return form_; }
    QWidget* window() const { return window_; }
    QWidget* clientArea() const { return client_; }
    QMenuBar* menuBar() const { return menuBar_; }
    // The widget of a label, button or frame; the QMenu of a top-level menu;
    // the action of a menu entry (a top-level menu's is its menu action).
    QWidget* widget(const platform::Control& control) const;
    QMenu* menu(const platform::Menu& menu) const;
    QAction* action(const platform::Menu& menu) const;
    QTimer* timer(const platform::Timer& timer) const;

    // The frame the window has, or will have once the window manager has
    // framed it.
    QMargins frameMargins() const;
    // Notes the frame once the window manager has put one around the window.
    void learnFrame() const;
    // The frame a framed window of ours will get, before it has one (window
    // may be nullptr).
    static QMargins expectedFrame(const QWidget* window);

    // Where a message box belongs: the active form window, else the form
    // window shown last that is still visible; nullptr when none is.
    static QWidget* dialogParent();
    // Paints every window of ours as it stands now (before a blocking pause).
    static void repaintShownWindows();

    // Input from the widgets, on its way to the core.
    void backgroundPressed();
    void keyPressed(const QKeyEvent& event);
    void closeRequested();
    void labelClicked(platform::Control& label);

private:
    void buildWindow();
    void buildControl(platform::Control& control);
    void buildMenus();
    void buildTimers();

    void applyForm(platform::Property property);
    void applyControl(platform::Control& control, platform::Property property);
    void applyMenu(platform::Menu& menu, platform::Property property);
    void applyTimer(platform::Timer& timer);
    void applyLabelColours(platform::Control& control);
    void applyTabOrder();

    void showWindow();
    void moveFrame(bool left, bool top);
    void relayout();
    QSize clientSize() const;
    int menuBarHeight() const;
    QFont formFont() const;

    platform::Form& form_;
    QPointer<QWidget> window_;
    QWidget* client_ = nullptr;
    QMenuBar* menuBar_ = nullptr;
    std::map<const platform::Control*, QWidget*> widgets_;
    std::map<const platform::Menu*, QMenu*> menus_;
    std::map<const platform::Menu*, QAction*> actions_;
    std::map<const platform::Timer*, QTimer*> timers_;
    // Left and Top as last applied; the window is unplaced until they change.
    float placedLeft_, placedTop_;
    bool positioned_ = false;
    bool shownOnce_ = false;
    mutable std::optional<QMargins> knownFrame_;
    mutable std::optional<QMargins> estimatedFrame_;
};

}  // namespace qt_backend
