#pragma once
// The X server as seen from outside a program: a connection, the root window
// and the few questions the watchers (the screen timeline, the first-paint
// benchmark) ask about other clients' windows.
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace xscreen {

// CLOCK_MONOTONIC in milliseconds: the clock of Python's time.monotonic().
double nowMs();

// An X server time (its CLOCK_MONOTONIC in whole milliseconds, cut to 32
// bits) on nowMs()'s clock, given when the event that carried it was
// received. A time ahead of the receipt or more than a minute before it is
// not on this clock: the receipt stands in for it.
double serverTimeMs(uint32_t serverTime, double receivedMs);

class Connection {
public:
    // Opens $DISPLAY; ok() says whether that worked.
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool ok() const { return ok_; }
    xcb_connection_t* get() const { return c_; }
    xcb_window_t root() const { return root_; }
    int fd() const { return xcb_get_file_descriptor(c_); }

    xcb_atom_t atom(const char* name) const;
    // Waits until the server has done everything asked so far.
    void sync() const;
    // The DAMAGE extension's first event code; nullopt when it is missing.
    std::optional<uint8_t> startDamage() const;

    // The _NET_WM_PID of a window, or -1.
    long windowPid(xcb_window_t window) const;
    // The window's title as the window manager shows it (UTF-8).
    std::string title(xcb_window_t window) const;
    // The windows the window manager manages (_NET_CLIENT_LIST).
    std::vector<xcb_window_t> clientWindows() const;
    // 32-bit values of a window property (CARDINAL, WINDOW, ATOM lists).
    std::vector<uint32_t> cardinals(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) const;

private:
    xcb_connection_t* c_ = nullptr;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    bool ok_ = false;
};

// Where a window is on the screen and whether it is shown.
struct Placement {
    bool viewable = false;
    int x = 0, y = 0, width = 0, height = 0;
};
Placement placementOf(const Connection& c, xcb_window_t window);

// The window right below the root that holds `window`: the window manager's
// frame around it, or the window itself when nothing frames it.
xcb_window_t frameOf(const Connection& c, xcb_window_t window);

// What the screen shows in a rectangle (clipped to the screen), 4 bytes a
// pixel (B, G, R, unused), row by row; empty when it cannot be read.
std::vector<uint8_t> grab(const Connection& c, int x, int y, int width, int height);

}  // namespace xscreen
