// Starts a program and watches the X server from outside it: how long from
// the exec until the program's first window is mapped, first drawn into, and
// drawn over its whole area. Prints one JSON line and ends the program.
//
//   mochitama_first_paint [--timeout-ms N] [--keep] -- program [args...]
//
// The watcher listens for windows created on the root window, takes a DAMAGE
// object on each before it can be mapped, and reads _NET_WM_PID at the map to
// know the program's window from the window manager's frames. Every time is
// CLOCK_MONOTONIC read when the event is taken off the socket (poll wakes at
// once), so the resolution is that of the kernel's wake-up: well under 0.1 ms
// on an idle machine. The program is then killed, and the CPU time it used
// up to there is read as it is reaped.
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "screen/x_screen.h"

extern char** environ;

namespace {

using xscreen::nowMs;

// The part of a window drawn so far, one flag a pixel.
struct Coverage {
    int width = 0, height = 0;
    std::vector<bool> drawn;
    long left = 0;
    void reset(int w, int h) {
        width = w;
        height = h;
        drawn.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), false);
        left = static_cast<long>(w) * h;
    }
    void add(int x, int y, int w, int h) {
        for (int row = std::max(0, y); row < std::min(height, y + h); ++row)
            for (int col = std::max(0, x); col < std::min(width, x + w); ++col) {
                auto bit = drawn[static_cast<std::size_t>(row) * static_cast<std::size_t>(width) + static_cast<std::size_t>(col)];
                if (!bit) {
                    bit = true;
                    --left;
                }
            }
    }
};

struct Watched {
    xcb_damage_damage_t damage = 0;
};

}  // namespace

int main(int argc, char** argv) {
    int timeoutMs = 10000;
    bool keep = false;
    int first = 1;
    for (; first < argc; ++first) {
        if (std::strcmp(argv[first], "--") == 0) {
            ++first;
            break;
        }
        if (std::strcmp(argv[first], "--timeout-ms") == 0 && first + 1 < argc) {
            timeoutMs = std::atoi(argv[++first]);
        } else if (std::strcmp(argv[first], "--keep") == 0) {
            keep = true;
        } else {
            break;
        }
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: %s [--timeout-ms N] [--keep] -- program [args...]\n", argv[0]);
        return 2;
    }

    const xscreen::Connection x;
    if (!x.ok()) {
        std::fprintf(stderr, "first_paint: cannot connect to the X display\n");
        return 1;
    }
    xcb_connection_t* c = x.get();
    const xcb_window_t root = x.root();
    const std::optional<uint8_t> damageEvents = x.startDamage();
    if (!damageEvents) {
        std::fprintf(stderr, "first_paint: the X server has no DAMAGE extension\n");
        return 1;
    }

    const uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &rootMask);
    // The server listens for us before the program starts.
    x.sync();

    pid_t child = 0;
    const double started = nowMs();
    if (posix_spawnp(&child, argv[first], nullptr, nullptr, argv + first, environ) != 0) {
        std::fprintf(stderr, "first_paint: cannot start %s\n", argv[first]);
        return 1;
    }

    std::map<xcb_window_t, Watched> windows;
    xcb_window_t target = XCB_WINDOW_NONE;
    Coverage coverage;
    double mapped = -1, firstDamage = -1, fullyDrawn = -1;
    const double deadline = started + timeoutMs;
    const int fd = x.fd();
    bool exited = false;

    while (fullyDrawn < 0 && !exited) {
        xcb_generic_event_t* event = xcb_poll_for_event(c);
        if (event == nullptr) {
            if (xcb_connection_has_error(c) != 0) break;
            const double left = deadline - nowMs();
            if (left <= 0) break;
            pollfd p{fd, POLLIN, 0};
            ::poll(&p, 1, std::min(50, static_cast<int>(left) + 1));
            int status = 0;
            if (::waitpid(child, &status, WNOHANG) == child) exited = true;
            continue;
        }
        const double at = nowMs();
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY) {
            const auto* e = reinterpret_cast<xcb_create_notify_event_t*>(event);
            if (e->parent == root && !windows.contains(e->window)) {
                const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
                xcb_change_window_attributes(c, e->window, XCB_CW_EVENT_MASK, &mask);
                Watched& w = windows[e->window];
                w.damage = xcb_generate_id(c);
                xcb_damage_create(c, w.damage, e->window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
                xcb_flush(c);
            }
        } else if (type == XCB_MAP_NOTIFY) {
            const auto* e = reinterpret_cast<xcb_map_notify_event_t*>(event);
            auto it = windows.find(e->window);
            if (target == XCB_WINDOW_NONE && it != windows.end() && e->event == e->window &&
                x.windowPid(e->window) == child) {
                target = e->window;
                mapped = at;
                xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, target), nullptr);
                if (g != nullptr) coverage.reset(g->width, g->height);
                std::free(g);
            }
        } else if (type == *damageEvents + XCB_DAMAGE_NOTIFY) {
            const auto* e = reinterpret_cast<xcb_damage_notify_event_t*>(event);
            if (e->drawable == target && target != XCB_WINDOW_NONE) {
                if (firstDamage < 0) firstDamage = at;
                coverage.add(e->area.x, e->area.y, e->area.width, e->area.height);
                if (coverage.left <= 0) fullyDrawn = at;
            }
        }
        std::free(event);
    }

    // The CPU time the program took to get there (it is stopped at once, so
    // hardly anything after the paint counts).
    double cpuMs = -1;
    if (!keep && !exited) {
        ::kill(child, SIGKILL);
        int status = 0;
        rusage usage{};
        if (::wait4(child, &status, 0, &usage) == child)
            cpuMs = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                    static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    }

    auto field = [&](double t) { return t < 0 ? std::string("null") : std::to_string(t - started); };
    std::printf("{\"mapped_ms\": %s, \"first_drawn_ms\": %s, \"fully_drawn_ms\": %s, \"cpu_ms\": %s, \"window\": %u}\n",
                field(mapped).c_str(), field(firstDamage).c_str(), field(fullyDrawn).c_str(),
                cpuMs < 0 ? "null" : std::to_string(cpuMs).c_str(), target);
    return fullyDrawn < 0 ? 1 : 0;
}
