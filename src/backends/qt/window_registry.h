#pragma once
// What the Qt peers share, in one object that QtServices owns and hands to
// each peer: the windows shown and in which order, the frame the window
// manager gives a window, the calls from widgets into the core that are still
// running (and the windows waiting to be deleted until they return), the
// input filter of disabled forms, and the program's identity.
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "qt/identity.h"

namespace qt_backend {

class WindowRegistry {
public:
    explicit WindowRegistry(Identity identity);
    ~WindowRegistry();
    WindowRegistry(const WindowRegistry&) = delete;
    WindowRegistry& operator=(const WindowRegistry&) = delete;

    const Identity& identity() const { return identity_; }

    // ---- calls into the core
    // Runs a handler of the core for a widget. A handler may unload its own
    // form, and with it the widget whose event is still on the stack below:
    // windows buried meanwhile are deleted once the outermost call returns.
    void callCore(const std::function<void()>& call);
    // Hides nothing; deletes the object once no call into the core runs.
    void bury(QObject* object);

    // ---- windows on the screen
    void noteShown(QWidget* window);
    // Where a message box belongs: the active form window, else the form
    // window shown last that is still visible; nullptr when none is.
    QWidget* dialogParent() const;
    // Paints every window of ours as it stands now (before a blocking pause).
    void repaintShownWindows() const;

    // ---- frames
    // A frame the window manager put around one of our windows.
    void noteFrame(QMargins frame) { lastSeenFrame_ = frame; }
    // The frame a framed window of ours will get, before it has one (window
    // may be nullptr).
    QMargins expectedFrame(const QWidget* window) const;

    // ---- disabled forms
    // A disabled form takes no mouse or keyboard input but keeps its look.
    void blockInput(QWidget* window, bool blocked);

private:
    void sweepSoon();
    void sweep();

    Identity identity_;
    int callsIntoCore_ = 0;
    std::vector<QPointer<QObject>> graveyard_;
    std::vector<QPointer<QWidget>> shownWindows_;
    std::optional<QMargins> lastSeenFrame_;
    // What the window manager said it will put around a window, once asked.
    mutable std::optional<std::optional<QMargins>> askedFrame_;
    std::unique_ptr<QObject> inputBlocker_;
    std::unique_ptr<QObject> sweeper_;  // the delayed sweep dies with the registry
};

}  // namespace qt_backend
