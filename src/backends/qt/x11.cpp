#include "qt/x11.h"

#include <QGuiApplication>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace qt_backend {

namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_connection_t* qtConnection() {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::vector<uint32_t> cardinals(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
    Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, type, 0, 1024), nullptr), &std::free);
    if (!reply || reply->format != 32) return {};
    const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return std::vector<uint32_t>(data, data + xcb_get_property_value_length(reply.get()) / 4);
}

}  // namespace

std::optional<std::string> unreachableXDisplay() {
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screen);
    const int error = xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    if (error == 0) return std::nullopt;
    const char* display = std::getenv("DISPLAY");
    return std::string("cannot connect to the X display ") + (display != nullptr ? display : "");
}

std::optional<QMargins> askFrameExtents() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return std::nullopt;
    // A connection and a window of our own: a request about one of Qt's
    // windows makes the window manager configure it, and Qt then forgets
    // where the program placed it.
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    struct Disconnect {
        xcb_connection_t* c;
        ~Disconnect() { xcb_disconnect(c); }
    } disconnect{c};
    if (xcb_connection_has_error(c) != 0) return std::nullopt;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
    if (screens.rem == 0) return std::nullopt;
    const xcb_screen_t* screen = screens.data;

    // No window manager, no frame.
    if (cardinals(c, screen->root, atom(c, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW).empty()) return QMargins();

    const xcb_atom_t request = atom(c, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = atom(c, "_NET_FRAME_EXTENTS");
    bool canAsk = false;
    for (uint32_t a : cardinals(c, screen->root, atom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM)) canAsk = canAsk || a == request;
    if (!canAsk) return std::nullopt;

    // An ordinary window with a title bar and a fixed size, as ours are (a
    // window manager may give a resizable one a grip at the bottom), never mapped.
    const xcb_window_t probe = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, screen->root, 0, 0, 100, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    uint32_t sizeHints[18] = {};
    sizeHints[0] = 16 | 32;  // PMinSize | PMaxSize
    sizeHints[5] = sizeHints[7] = 100;
    sizeHints[6] = sizeHints[8] = 100;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, probe, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32, 18,
                        sizeHints);
    const xcb_atom_t normal = atom(c, "_NET_WM_WINDOW_TYPE_NORMAL");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, probe, atom(c, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1,
                        &normal);

    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = probe;
    event.type = request;
    xcb_send_event(c, 0, screen->root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(c);

    // The window manager answers by setting a property, within milliseconds
    // on a quiet machine; a busy one can take a good part of a second, and a
    // guess would put the window off the centre.
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(1000);
    std::optional<QMargins> answer;
    for (;;) {
        const std::vector<uint32_t> e = cardinals(c, probe, extents, XCB_ATOM_CARDINAL);
        if (e.size() == 4) {
            // The property lists left, right, top, bottom.
            answer = QMargins(static_cast<int>(e[0]), static_cast<int>(e[2]), static_cast<int>(e[1]),
                              static_cast<int>(e[3]));
            break;
        }
        if (steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(milliseconds(5));
    }
    xcb_destroy_window(c, probe);
    xcb_flush(c);
    return answer;
}

void flushDisplay() {
    xcb_connection_t* c = qtConnection();
    if (c == nullptr) return;
    // A round trip: every request sent before it has been carried out.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

unsigned long frameOf(unsigned long window) {
    xcb_connection_t* c = qtConnection();
    if (c == nullptr) return window;
    auto current = static_cast<xcb_window_t>(window);
    for (;;) {
        Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, current), nullptr), &std::free);
        if (!tree || tree->parent == tree->root || tree->parent == XCB_WINDOW_NONE) return current;
        current = tree->parent;
    }
}

namespace {
// Waits (at most timeoutMs) until the window is, or is no longer, viewable.
void waitUntilViewable(unsigned long window, bool viewable, int timeoutMs) {
    xcb_connection_t* c = qtConnection();
    if (c == nullptr) return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, static_cast<xcb_window_t>(window)), nullptr),
            &std::free);
        if (!attributes || (attributes->map_state == XCB_MAP_STATE_VIEWABLE) == viewable) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}
}  // namespace

void waitUntilOffScreen(unsigned long frame, int timeoutMs) { waitUntilViewable(frame, false, timeoutMs); }

void waitUntilOnScreen(unsigned long window, int timeoutMs) {
    flushDisplay();
    waitUntilViewable(window, true, timeoutMs);
}

void stopOfferingPings(unsigned long window) {
    xcb_connection_t* c = qtConnection();
    if (c == nullptr) return;
    const xcb_atom_t protocols = atom(c, "WM_PROTOCOLS");
    const xcb_atom_t ping = atom(c, "_NET_WM_PING");
    std::vector<uint32_t> offered = cardinals(c, static_cast<xcb_window_t>(window), protocols, XCB_ATOM_ATOM);
    if (std::erase(offered, ping) == 0) return;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window), protocols, XCB_ATOM_ATOM, 32,
                        static_cast<uint32_t>(offered.size()), offered.data());
}

}  // namespace qt_backend
