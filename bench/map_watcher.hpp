#pragma once

// Watches the X display for top-level windows being mapped, the moment a program's window appears on the
// screen. The X server reports each mapping as an event, so nothing polls and the time is the server's
// own: no window manager is needed (under a bare Xvfb, top-level windows are the root window's children).

#include <sys/types.h>
#include <xcb/xcb.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace vantrel::bench {

class MapWatcher {
  public:
    // Connects to the display DISPLAY names; ok() tells whether that worked.
    MapWatcher();
    ~MapWatcher();
    MapWatcher(const MapWatcher&) = delete;
    MapWatcher& operator=(const MapWatcher&) = delete;

    [[nodiscard]] bool ok() const { return ok_; }

    // Forgets the mappings reported so far.
    void Drain();

    // Waits until a top-level window of process `pid` with exactly this title (any title when nullopt) is
    // mapped; its window id, or nullopt when the time runs out (or the display goes away) first.
    std::optional<xcb_window_t> WaitForWindow(pid_t pid, const std::optional<std::string>& title,
                                              std::chrono::milliseconds timeout);

    // The window's title (_NET_WM_NAME, else WM_NAME); empty when it has none.
    [[nodiscard]] std::string Title(xcb_window_t window) const;

  private:
    [[nodiscard]] std::optional<pid_t> Pid(xcb_window_t window) const;
    [[nodiscard]] std::string TextProperty(xcb_window_t window, xcb_atom_t property) const;
    xcb_atom_t Atom(const char* name) const;

    xcb_connection_t* connection_ = nullptr;
    bool ok_ = false;
    xcb_atom_t netWmName_ = XCB_ATOM_NONE;
    xcb_atom_t netWmPid_ = XCB_ATOM_NONE;
};

}  // namespace vantrel::bench
