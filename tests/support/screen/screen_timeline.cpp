// Records what the X screen shows over time, from outside every program: which
// managed windows are shown, their titles and places, and what the screen
// shows over each one's client area, each change with the time it was seen.
//
//   mochitama-screen-timeline OUTDIR
//
// Runs until SIGTERM or SIGINT, or until the X server goes. Writes
// OUTDIR/timeline.jsonl, one JSON object a line, one line a change:
//
//   {"t": 81234.567, "window": 4194307, "pid": 4242, "shown": true, "title": "もちたま",
//    "rect": [341, 254, 341, 240], "outer": [340, 233, 343, 262], "frame": "frames/000017.bgrx"}
//
// t is CLOCK_MONOTONIC in milliseconds (Python's time.monotonic() × 1000), read
// when the first event of the change was taken off the X socket. "rect" is
// the client area on the screen, "outer" the window manager's frame around it
// (the same as "rect" for a window without one). "frame"
// appears when the pixels changed and names a file of width × height × 4 bytes,
// B G R and one unused byte a pixel, row by row: what the screen showed over
// the client area, any window on top of it (a message box) included.
//
// It listens to the DAMAGE extension on the root window, so it wakes only when
// something on the screen changes, lets a burst of drawing settle (at most
// 3 ms), then reads every managed window afresh.
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "screen/x_screen.h"

namespace {

volatile sig_atomic_t stopRequested = 0;
void requestStop(int) { stopRequested = 1; }

constexpr double kSettleMs = 3.0;

struct Seen {
    bool shown = false;
    std::string title;
    xscreen::Placement place;
    xscreen::Placement outer;
    uint64_t pixelsHash = 0;
    bool hasFrame = false;
};

uint64_t fnv1a(const std::vector<uint8_t>& bytes) {
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (uint8_t b : bytes) {
        hash ^= b;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (const unsigned char ch : text) {
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += static_cast<char>(ch);
        } else if (ch < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", ch);
            out += escaped;
        } else {
            out += static_cast<char>(ch);
        }
    }
    return out + "\"";
}

class Recorder {
public:
    Recorder(const xscreen::Connection& x, std::string directory) : x_(x), directory_(std::move(directory)) {
        ::mkdir(directory_.c_str(), 0755);
        ::mkdir((directory_ + "/frames").c_str(), 0755);
        out_ = std::fopen((directory_ + "/timeline.jsonl").c_str(), "w");
    }
    ~Recorder() {
        if (out_ != nullptr) std::fclose(out_);
    }
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    bool ok() const { return out_ != nullptr; }

    // Looks at every managed window and writes down what changed.
    void look(double at) {
        const std::vector<xcb_window_t> clients = x_.clientWindows();
        for (xcb_window_t window : clients) {
            if (!listening_.count(window)) {
                // Titles and mapping of the window itself, not only its frame.
                const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
                xcb_change_window_attributes(x_.get(), window, XCB_CW_EVENT_MASK, &mask);
                listening_[window] = x_.windowPid(window);
            }
            lookAt(at, window);
        }
        for (auto& [window, seen] : seen_) {
            const bool managed = std::find(clients.begin(), clients.end(), window) != clients.end();
            if (!managed && seen.shown) {
                seen.shown = false;
                write(at, window, seen, nullptr);
            }
        }
    }

private:
    void lookAt(double at, xcb_window_t window) {
        Seen now;
        now.place = xscreen::placementOf(x_, window);
        now.outer = xscreen::placementOf(x_, xscreen::frameOf(x_, window));
        now.shown = now.place.viewable;
        now.title = x_.title(window);
        Seen& before = seen_[window];
        std::vector<uint8_t> pixels;
        if (now.shown) pixels = xscreen::grab(x_, now.place.x, now.place.y, now.place.width, now.place.height);
        const bool newPixels = !pixels.empty() && (!before.hasFrame || fnv1a(pixels) != before.pixelsHash);
        const bool changed = newPixels || now.shown != before.shown || now.title != before.title ||
                             now.place.x != before.place.x || now.place.y != before.place.y ||
                             now.place.width != before.place.width || now.place.height != before.place.height ||
                             now.outer.x != before.outer.x || now.outer.y != before.outer.y ||
                             now.outer.width != before.outer.width || now.outer.height != before.outer.height;
        if (!changed) return;
        now.hasFrame = before.hasFrame || newPixels;
        now.pixelsHash = newPixels ? fnv1a(pixels) : before.pixelsHash;
        before = now;
        write(at, window, before, newPixels ? &pixels : nullptr);
    }

    void write(double at, xcb_window_t window, const Seen& seen, const std::vector<uint8_t>* pixels) {
        std::string frame;
        if (pixels != nullptr) {
            char name[32];
            std::snprintf(name, sizeof name, "frames/%06u.bgrx", ++frames_);
            frame = name;
            if (FILE* f = std::fopen((directory_ + "/" + frame).c_str(), "wb")) {
                std::fwrite(pixels->data(), 1, pixels->size(), f);
                std::fclose(f);
            }
        }
        std::fprintf(out_, "{\"t\": %.3f, \"window\": %u, \"pid\": %ld, \"shown\": %s, \"title\": %s, "
                           "\"rect\": [%d, %d, %d, %d], \"outer\": [%d, %d, %d, %d]%s%s%s}\n",
                     at, window, listening_[window], seen.shown ? "true" : "false", jsonString(seen.title).c_str(),
                     seen.place.x, seen.place.y, seen.place.width, seen.place.height, seen.outer.x, seen.outer.y,
                     seen.outer.width, seen.outer.height,
                     frame.empty() ? "" : ", \"frame\": \"", frame.c_str(), frame.empty() ? "" : "\"");
        std::fflush(out_);
    }

    const xscreen::Connection& x_;
    std::string directory_;
    std::FILE* out_ = nullptr;
    std::map<xcb_window_t, long> listening_;
    std::map<xcb_window_t, Seen> seen_;
    unsigned frames_ = 0;
};

// Waits for the next event; false when the time ran out or a stop was asked.
bool waitForEvent(const xscreen::Connection& x, int timeoutMs) {
    pollfd p{x.fd(), POLLIN, 0};
    return ::poll(&p, 1, timeoutMs) > 0 && !stopRequested;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    const xscreen::Connection x;
    if (!x.ok()) {
        std::fprintf(stderr, "screen-timeline: cannot connect to the X display\n");
        return 1;
    }
    const std::optional<uint8_t> damageEvents = x.startDamage();
    if (!damageEvents) {
        std::fprintf(stderr, "screen-timeline: the X server has no DAMAGE extension\n");
        return 1;
    }
    Recorder recorder(x, argv[1]);
    if (!recorder.ok()) {
        std::fprintf(stderr, "screen-timeline: cannot write to %s\n", argv[1]);
        return 1;
    }

    // Every drawing anywhere on the screen, and windows coming and going.
    const xcb_damage_damage_t damage = xcb_generate_id(x.get());
    xcb_damage_create(x.get(), damage, x.root(), XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
    const uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(x.get(), x.root(), XCB_CW_EVENT_MASK, &rootMask);
    x.sync();
    recorder.look(xscreen::nowMs());
    // Ready: whoever started us may now start what is to be watched.
    std::printf("ready\n");
    std::fflush(stdout);

    while (!stopRequested && xcb_connection_has_error(x.get()) == 0) {
        xcb_generic_event_t* event = xcb_poll_for_event(x.get());
        if (event == nullptr) {
            waitForEvent(x, 100);
            continue;
        }
        const double at = xscreen::nowMs();
        std::free(event);
        // Let the burst of drawing settle, then take everything that came.
        const double settled = at + kSettleMs;
        for (double now = at; now < settled; now = xscreen::nowMs()) {
            while ((event = xcb_poll_for_event(x.get())) != nullptr) std::free(event);
            waitForEvent(x, 1);
        }
        while ((event = xcb_poll_for_event(x.get())) != nullptr) std::free(event);
        // Damage from now on wakes us again.
        xcb_damage_subtract(x.get(), damage, XCB_NONE, XCB_NONE);
        recorder.look(at);
    }
    return 0;
}
