#include "map_watcher.hpp"

#include <poll.h>

#include <cstdlib>
#include <cstring>

namespace vantrel::bench {
namespace {

using Clock = std::chrono::steady_clock;

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T>
using XcbReply = std::unique_ptr<T, FreeDeleter>;

}  // namespace

MapWatcher::MapWatcher() {
    connection_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection_) != 0) {
        return;
    }
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    // Every screen's root: Xvfb has one.
    for (auto screens = xcb_setup_roots_iterator(setup); screens.rem > 0; xcb_screen_next(&screens)) {
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, screens.data->root, XCB_CW_EVENT_MASK, &mask);
    }
    netWmName_ = Atom("_NET_WM_NAME");
    netWmPid_ = Atom("_NET_WM_PID");
    xcb_flush(connection_);
    ok_ = xcb_connection_has_error(connection_) == 0;
}

MapWatcher::~MapWatcher() {
    xcb_disconnect(connection_);
}

xcb_atom_t MapWatcher::Atom(const char* name) const {
    const auto cookie = xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    const XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection_, cookie, nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::string MapWatcher::TextProperty(xcb_window_t window, xcb_atom_t property) const {
    const auto cookie =
        xcb_get_property(connection_, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024);
    const XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection_, cookie, nullptr));
    if (!reply || reply->format != 8) {
        return {};
    }
    const auto* text = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return std::string(text, static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

std::string MapWatcher::Title(xcb_window_t window) const {
    const std::string title = TextProperty(window, netWmName_);
    return title.empty() ? TextProperty(window, XCB_ATOM_WM_NAME) : title;
}

std::optional<pid_t> MapWatcher::Pid(xcb_window_t window) const {
    const auto cookie = xcb_get_property(connection_, 0, window, netWmPid_, XCB_ATOM_CARDINAL, 0, 1);
    const XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection_, cookie, nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 4) {
        return std::nullopt;
    }
    return static_cast<pid_t>(*static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get())));
}

void MapWatcher::Drain() {
    while (XcbReply<xcb_generic_event_t>(xcb_poll_for_event(connection_))) {
    }
}

std::optional<xcb_window_t> MapWatcher::WaitForWindow(pid_t pid, const std::optional<std::string>& title,
                                                      std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (xcb_connection_has_error(connection_) == 0) {
        XcbReply<xcb_generic_event_t> event(xcb_poll_for_event(connection_));
        if (!event) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) {
                return std::nullopt;
            }
            pollfd display{xcb_get_file_descriptor(connection_), POLLIN, 0};
            ::poll(&display, 1, static_cast<int>(left.count()) + 1);
            continue;
        }
        if ((event->response_type & 0x7F) != XCB_MAP_NOTIFY) {
            continue;
        }
        const xcb_window_t window = reinterpret_cast<const xcb_map_notify_event_t*>(event.get())->window;
        if (Pid(window) == pid && (!title || Title(window) == *title)) {
            return window;
        }
    }
    return std::nullopt;
}

}  // namespace vantrel::bench
