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
// t is CLOCK_MONOTONIC in milliseconds (Python's time.monotonic() × 1000): when
// the X server made the first event of the change (its own time of a DAMAGE or
// property notify), so that a recorder running late does not move the change.
// Where no event of the change carries a time, t is when the first was taken
// off the X socket. "rect" is
// the client area on the screen, "outer" the window manager's frame around it
// (the same as "rect" for a window without one). "frame"
// appears when the pixels changed and names a file of width × height × 4 bytes,
// B G R and one unused byte a pixel, row by row: what the screen showed over
// the client area, any window on top of it (a message box) included.
//
// It listens to the DAMAGE extension on the root window, so it wakes only when
// something on the screen changes, lets a burst of drawing settle (at most
// 3 ms), then reads every managed window afresh.
//
// Beside it a reference timer wakes every 10 ms and writes each wake-up that
// came more than a millisecond late, as {"t": …, "lag": ms late}: how far
// behind the machine ran while the screen was being timed.
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
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

    // A window of a watched program stopped existing: at the latest when its
    // program ended, which closes its connection.
    void writeDestroyed(double at, xcb_window_t window) {
        const auto found = listening_.find(window);
        if (found == listening_.end()) return;
        const std::lock_guard<std::mutex> lock(outLock_);
        std::fprintf(out_, "{\"t\": %.3f, \"destroyed\": %u, \"pid\": %ld}\n", at, window, found->second);
        std::fflush(out_);
        // The server tells it twice: to the window and to its parent.
        listening_.erase(found);
    }

    // From the reference timer's thread.
    void writeLag(double at, double lateMs) {
        const std::lock_guard<std::mutex> lock(outLock_);
        std::fprintf(out_, "{\"t\": %.3f, \"lag\": %.3f}\n", at, lateMs);
        std::fflush(out_);
    }

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
        const std::lock_guard<std::mutex> lock(outLock_);
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
    std::mutex outLock_;
    std::map<xcb_window_t, long> listening_;
    std::map<xcb_window_t, Seen> seen_;
    unsigned frames_ = 0;
};

// The server's own time of an event, for the kinds that carry one.
std::optional<uint32_t> serverTimeOf(const xcb_generic_event_t* event, uint8_t damageEvents) {
    const uint8_t type = event->response_type & 0x7f;
    if (type == XCB_PROPERTY_NOTIFY) return reinterpret_cast<const xcb_property_notify_event_t*>(event)->time;
    if (type == damageEvents + XCB_DAMAGE_NOTIFY) {
        return reinterpret_cast<const xcb_damage_notify_event_t*>(event)->timestamp;
    }
    return std::nullopt;
}

// When a change began, from the events that told of it: the receipt of the
// first, or the server's time of the first that carries one when that is
// earlier. The server sends events in the order it made them, so one
// without a time (a map, unmap or configure notify) came no later than the
// timed one after it.
class ChangeStart {
public:
    ChangeStart(const xcb_generic_event_t* first, uint8_t damageEvents)
        : damageEvents_(damageEvents), received_(xscreen::nowMs()), at_(received_) {
        add(first);
    }
    void add(const xcb_generic_event_t* event) {
        if (timed_) return;
        if (const std::optional<uint32_t> t = serverTimeOf(event, damageEvents_)) {
            timed_ = true;
            at_ = std::min(at_, xscreen::serverTimeMs(*t, xscreen::nowMs()));
        }
    }
    double received() const { return received_; }
    double at() const { return at_; }

private:
    uint8_t damageEvents_;
    double received_;
    double at_;
    bool timed_ = false;
};

int64_t monotonicNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// The reference timer: wakes every 10 ms on absolute deadlines and writes
// each wake-up more than 1 ms late. After a long stall it starts afresh from
// the late wake-up, so a stall is written once, not once for every deadline
// it swallowed.
void watchLag(const std::stop_token& stop, Recorder& recorder) {
    constexpr int64_t kPeriodNs = 10'000'000;
    constexpr int64_t kWorthWritingNs = 1'000'000;
    int64_t due = monotonicNs();
    while (!stop.stop_requested()) {
        due += kPeriodNs;
        const timespec deadline{static_cast<time_t>(due / 1'000'000'000), static_cast<long>(due % 1'000'000'000)};
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
        }
        const int64_t woke = monotonicNs();
        const int64_t late = woke - due;
        if (late > kWorthWritingNs) recorder.writeLag(static_cast<double>(woke) / 1e6, static_cast<double>(late) / 1e6);
        if (late >= kPeriodNs) due = woke;
    }
}

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
    // The timer's thread leaves SIGTERM and SIGINT to this one, whose poll
    // they must interrupt.
    sigset_t stops, before;
    sigemptyset(&stops);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stops, &before);
    const std::jthread lagWatch(watchLag, std::ref(recorder));
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    double lastChange = xscreen::nowMs();
    recorder.look(lastChange);
    // Ready: whoever started us may now start what is to be watched.
    std::printf("ready\n");
    std::fflush(stdout);

    while (!stopRequested && xcb_connection_has_error(x.get()) == 0) {
        xcb_generic_event_t* event = xcb_poll_for_event(x.get());
        if (event == nullptr) {
            waitForEvent(x, 100);
            continue;
        }
        ChangeStart change(event, *damageEvents);
        std::vector<xcb_window_t> destroyed;
        const auto noteDestroyed = [&destroyed](const xcb_generic_event_t* e) {
            if ((e->response_type & 0x7f) == XCB_DESTROY_NOTIFY) {
                destroyed.push_back(reinterpret_cast<const xcb_destroy_notify_event_t*>(e)->window);
            }
        };
        noteDestroyed(event);
        std::free(event);
        // Let the burst of drawing settle, then take everything that came.
        const double settled = change.received() + kSettleMs;
        const auto takeAll = [&] {
            while ((event = xcb_poll_for_event(x.get())) != nullptr) {
                change.add(event);
                noteDestroyed(event);
                std::free(event);
            }
        };
        for (double now = change.received(); now < settled; now = xscreen::nowMs()) {
            takeAll();
            waitForEvent(x, 1);
        }
        takeAll();
        // Damage from now on wakes us again.
        xcb_damage_subtract(x.get(), damage, XCB_NONE, XCB_NONE);
        // An event the server held back could carry a time before the change
        // already written: the states stay in order.
        lastChange = std::max(lastChange, change.at());
        recorder.look(lastChange);
        for (const xcb_window_t window : destroyed) recorder.writeDestroyed(lastChange, window);
    }
    return 0;
}
