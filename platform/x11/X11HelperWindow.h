#pragma once

#include <xcb/xcb.h>

#include <cstdint>

namespace tovra {

/// An unmapped, input-only window that only we use (for selections, properties and server
/// times), destroyed with its owner. The connection must outlive it.
class X11HelperWindow {
  public:
    X11HelperWindow(xcb_connection_t* connection, xcb_window_t root, std::uint32_t eventMask);
    ~X11HelperWindow();
    X11HelperWindow(const X11HelperWindow&) = delete;
    X11HelperWindow& operator=(const X11HelperWindow&) = delete;

    [[nodiscard]] xcb_window_t id() const { return window_; }
    operator xcb_window_t() const { return window_; }  // NOLINT: reads as the window it is

  private:
    xcb_connection_t* connection_;
    xcb_window_t window_;
};

}  // namespace tovra
