#include "screen/x_screen.h"

#include <time.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace xscreen {

namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> reply(T* raw) {
    return Reply<T>(raw, &std::free);
}

}  // namespace

double nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double serverTimeMs(uint32_t serverTime, double receivedMs) {
    constexpr uint32_t kPlausibleMs = 60000;
    const auto received = static_cast<uint64_t>(receivedMs);
    // Unsigned arithmetic unwraps the 32 bits: how long before the receipt.
    const uint32_t before = static_cast<uint32_t>(received) - serverTime;
    if (before > kPlausibleMs || before > received) return receivedMs;
    return static_cast<double>(received - before);
}

Connection::Connection() {
    int screenNumber = 0;
    c_ = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c_) != 0) return;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c_));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
    if (screens.rem == 0) return;
    root_ = screens.data->root;
    ok_ = true;
}

Connection::~Connection() { xcb_disconnect(c_); }

xcb_atom_t Connection::atom(const char* name) const {
    auto r = reply(xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, static_cast<uint16_t>(std::strlen(name)), name),
                                         nullptr));
    return r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

void Connection::sync() const { std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)); }

std::optional<uint8_t> Connection::startDamage() const {
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c_, &xcb_damage_id);
    if (extension == nullptr || !extension->present) return std::nullopt;
    std::free(xcb_damage_query_version_reply(c_, xcb_damage_query_version(c_, 1, 1), nullptr));
    return extension->first_event;
}

std::vector<uint32_t> Connection::cardinals(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) const {
    auto r = reply(xcb_get_property_reply(c_, xcb_get_property(c_, 0, window, property, type, 0, 4096), nullptr));
    if (!r || r->format != 32) return {};
    const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(r.get()));
    return std::vector<uint32_t>(data, data + xcb_get_property_value_length(r.get()) / 4);
}

long Connection::windowPid(xcb_window_t window) const {
    const auto values = cardinals(window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL);
    return values.size() == 1 ? static_cast<long>(values[0]) : -1;
}

std::string Connection::title(xcb_window_t window) const {
    for (const auto& [property, type] : {std::pair{atom("_NET_WM_NAME"), atom("UTF8_STRING")},
                                         std::pair{static_cast<xcb_atom_t>(XCB_ATOM_WM_NAME),
                                                   static_cast<xcb_atom_t>(XCB_ATOM_STRING)}}) {
        auto r = reply(xcb_get_property_reply(c_, xcb_get_property(c_, 0, window, property, type, 0, 1024), nullptr));
        if (r && r->format == 8 && xcb_get_property_value_length(r.get()) > 0)
            return std::string(static_cast<const char*>(xcb_get_property_value(r.get())),
                               static_cast<std::size_t>(xcb_get_property_value_length(r.get())));
    }
    return {};
}

std::vector<xcb_window_t> Connection::clientWindows() const {
    const auto values = cardinals(root_, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    return std::vector<xcb_window_t>(values.begin(), values.end());
}

Placement placementOf(const Connection& c, xcb_window_t window) {
    Placement p;
    auto attributes =
        reply(xcb_get_window_attributes_reply(c.get(), xcb_get_window_attributes(c.get(), window), nullptr));
    if (!attributes) return p;
    p.viewable = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    auto geometry = reply(xcb_get_geometry_reply(c.get(), xcb_get_geometry(c.get(), window), nullptr));
    auto origin = reply(xcb_translate_coordinates_reply(
        c.get(), xcb_translate_coordinates(c.get(), window, c.root(), 0, 0), nullptr));
    if (!geometry || !origin) return Placement{};
    p.x = origin->dst_x;
    p.y = origin->dst_y;
    p.width = geometry->width;
    p.height = geometry->height;
    return p;
}

xcb_window_t frameOf(const Connection& c, xcb_window_t window) {
    for (xcb_window_t current = window;;) {
        auto tree = reply(xcb_query_tree_reply(c.get(), xcb_query_tree(c.get(), current), nullptr));
        if (!tree || tree->parent == tree->root || tree->parent == XCB_WINDOW_NONE) return current;
        current = tree->parent;
    }
}

std::vector<uint8_t> grab(const Connection& c, int x, int y, int width, int height) {
    if (width <= 0 || height <= 0) return {};
    auto rootGeometry = reply(xcb_get_geometry_reply(c.get(), xcb_get_geometry(c.get(), c.root()), nullptr));
    if (!rootGeometry) return {};
    // Only the part on the screen can be read; the rest stays black.
    const int left = std::max(0, x), top = std::max(0, y);
    const int right = std::min<int>(rootGeometry->width, x + width);
    const int bottom = std::min<int>(rootGeometry->height, y + height);
    std::vector<uint8_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
    if (right <= left || bottom <= top) return pixels;
    auto image = reply(xcb_get_image_reply(
        c.get(),
        xcb_get_image(c.get(), XCB_IMAGE_FORMAT_Z_PIXMAP, c.root(), static_cast<int16_t>(left),
                      static_cast<int16_t>(top), static_cast<uint16_t>(right - left),
                      static_cast<uint16_t>(bottom - top), ~0u),
        nullptr));
    if (!image || image->depth != 24) return {};
    const uint8_t* data = xcb_get_image_data(image.get());
    const std::size_t rowBytes = static_cast<std::size_t>(right - left) * 4;
    for (int row = top; row < bottom; ++row) {
        std::memcpy(&pixels[(static_cast<std::size_t>(row - y) * static_cast<std::size_t>(width) +
                             static_cast<std::size_t>(left - x)) * 4],
                    data + static_cast<std::size_t>(row - top) * rowBytes, rowBytes);
    }
    return pixels;
}

}  // namespace xscreen
