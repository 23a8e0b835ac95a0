#pragma once

#include <xcb/xcb.h>

#include <optional>
#include <string>
#include <unordered_map>

#include "X11HelperWindow.h"
#include "platform/TaskHandle.h"
#include "platform/Workspace.h"

namespace tovra {

class X11Connection;

/// The application in front on X11: the window manager's active window (or, without one, the
/// input focus), walked up to its top-level client window. Its id is the GTK application id,
/// the KDE desktop file or the WM_CLASS class, in that order; its pid comes from _NET_WM_PID or
/// the X-Resource extension.
///
/// Under a window manager the answer is kept up to date from _NET_ACTIVE_WINDOW changes on the
/// root, with what each window names cached until it is destroyed, so asking costs no round trip
/// (it is asked while a key waits). Without one the focus is asked for (the root hears nothing
/// when the focus moves between top-levels).
class X11Workspace final : public Workspace {
  public:
    explicit X11Workspace(X11Connection& connection);
    ~X11Workspace() override;

    [[nodiscard]] std::optional<FrontmostApplication> frontmostApplication() override;
    bool activate(const FrontmostApplication& application) override;

    /// True when an EWMH window manager runs (asks the server).
    [[nodiscard]] bool hasWindowManager();
    /// Windows whose application is remembered.
    [[nodiscard]] std::size_t cachedWindowCount() const { return known_.size(); }

  private:
    void handleEvent(const xcb_generic_event_t& event);
    /// Reads whether a window manager runs and which window it made active.
    void refresh();
    /// What `window` (a window the focus or the window manager names) belongs to.
    std::optional<FrontmostApplication> describe(xcb_window_t window);
    std::optional<FrontmostApplication> query(xcb_window_t window);

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
    TaskHandle subscription_;
    xcb_atom_t activeWindowAtom_;
    xcb_atom_t windowManagerCheckAtom_;
    /// The window manager's check window, while one runs.
    xcb_window_t windowManager_ = XCB_WINDOW_NONE;
    std::optional<FrontmostApplication> active_;
    /// By the window named active: what it belongs to, until it is destroyed.
    std::unordered_map<xcb_window_t, std::optional<FrontmostApplication>> known_;
};

}  // namespace tovra
