#pragma once

#include <xcb/xcb.h>

#include <optional>
#include <string>

#include "X11HelperWindow.h"
#include "platform/Workspace.h"

namespace tovra {

class X11Connection;

/// The application in front on X11: the window manager's active window (or, without one, the
/// input focus), walked up to its top-level client window. Its id is the GTK application id,
/// the KDE desktop file or the WM_CLASS class, in that order; its pid comes from _NET_WM_PID or
/// the X-Resource extension.
class X11Workspace final : public Workspace {
  public:
    explicit X11Workspace(X11Connection& connection);
    ~X11Workspace() override;

    [[nodiscard]] std::optional<FrontmostApplication> frontmostApplication() override;
    bool activate(const FrontmostApplication& application) override;

    /// True when an EWMH window manager runs.
    [[nodiscard]] bool hasWindowManager();

  private:
    std::optional<xcb_window_t> windowProperty(xcb_window_t window, const char* name);
    std::optional<std::string> textProperty(xcb_window_t window, const char* name);
    /// The class part of WM_CLASS.
    std::optional<std::string> className(xcb_window_t window);
    std::optional<std::int64_t> processId(xcb_window_t window);
    bool hasProperty(xcb_window_t window, const char* name);
    xcb_window_t topLevel(xcb_window_t window);
    bool exists(xcb_window_t window);

    X11Connection& connection_;
    X11HelperWindow helper_;
};

}  // namespace tovra
