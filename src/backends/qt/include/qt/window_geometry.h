#pragma once
// Where a form's window is and how big it is: the designed client area, the
// menu bar above it, the frame the window manager puts around it, and the
// outer geometry read back in twips, as the program asks for it.
#include <QMargins>
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <optional>

#include "platform/form.h"

class QMenuBar;

namespace qt_backend {

class WindowFrames;

class WindowGeometry {
public:
    WindowGeometry(platform::Form& form, QWidget* window, QWidget* client, QMenuBar* bar, WindowFrames& frames);

    // Sizes the window for its client area and room for its menu bar, and
    // puts the bar and the client area in it as the bar stands.
    void relayout();
    // The program asked for a new Left, Top, Width or Height.
    void applyRequested();
    // Before the window is shown: one nobody placed goes to the middle of
    // the screen.
    void placeIfUnplaced();
    // The window has been on the screen.
    void noteShown() { shownOnce_ = true; }
    bool shownOnce() const { return shownOnce_; }
    // Notes the frame once the window manager has put one around the window.
    void learnFrame();

    // The frame the window has, or will have once the window manager has
    // framed it.
    QMargins frameMargins() const;
    float outerLeft() const;
    float outerTop() const;
    float outerWidth() const;
    float outerHeight() const;

private:
    // The frame the window manager has put around the shown window, if any yet.
    std::optional<QMargins> frameOnScreen() const;
    QSize clientSize() const;
    // The bar's height as it shows now; 0 while it is hidden.
    int menuBarHeight() const;
    // The room a window with menus keeps for its bar, shown or not.
    int roomForMenuBar() const;
    void moveFrame(bool left, bool top);
    // Puts the frame's corner here, or as near as keeps it on the screen.
    void moveFrameTo(QPoint corner);

    platform::Form& form_;
    QPointer<QWidget> window_;
    QWidget* client_;
    QMenuBar* bar_;
    WindowFrames& frames_;
    // Left and Top as last applied; the window is unplaced until they change.
    float placedLeft_, placedTop_;
    bool positioned_ = false;
    // The frame's corner as last asked for, before it was kept on the screen.
    QPoint askedCorner_;
    bool shownOnce_ = false;
    std::optional<QMargins> knownFrame_;
    mutable std::optional<QMargins> estimatedFrame_;
};

// The primary screen's top-left corner: where twips 0,0 are.
QPoint screenOrigin();
// Where a window's frame goes when asked for this top-left corner: the same
// place, or the nearest one whose corner is on the screen's free area (not
// under a panel), so that the title bar can be reached.
QPoint reachableCorner(QPoint frameCorner);

}  // namespace qt_backend
