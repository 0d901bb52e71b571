#pragma once
// The little the backend says to the X server itself, past Qt.
#include <QMargins>
#include <optional>
#include <string>

namespace qt_backend {

// Why the X display in $DISPLAY cannot be reached, in one line; nothing when
// it answers. Connects without Qt, which aborts the process when it cannot.
std::optional<std::string> unreachableXDisplay();

// The frame the window manager puts around an ordinary fixed-size window
// with a title bar, asked of it with _NET_REQUEST_FRAME_EXTENTS before any is mapped. No
// margins when no window manager runs; nothing when this is not X11 or the
// window manager does not answer.
std::optional<QMargins> askFrameExtents();

// Sends what Qt has drawn to the X server and waits until it has been done,
// so that it is on screen before the program blocks.
void flushDisplay();

// The window directly below the root that holds `window`: the window
// manager's frame around it, or the window itself when nothing frames it.
unsigned long frameOf(unsigned long window);

// Waits (at most timeoutMs) until a top-level window, a frame say, is off
// the screen: the window manager takes a frame away in its own time.
void waitUntilOffScreen(unsigned long frame, int timeoutMs);

// Waits (at most timeoutMs) until a window just shown is on the screen: the
// window manager maps it in its own time, later still on a busy machine.
void waitUntilOnScreen(unsigned long window, int timeoutMs);

// Takes _NET_WM_PING out of the protocols a window offers the window manager
// (WM_PROTOCOLS), keeping the others. For a window not yet mapped: window
// managers read the list only when they take a window in. Nothing happens
// when this is not X11.
void stopOfferingPings(unsigned long window);

}  // namespace qt_backend
