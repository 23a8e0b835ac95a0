#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Platform.h"

namespace tovra {

class MainQueue;

/// What the application asks of the platform it runs on.
struct PlatformRequest {
    /// The most bytes one captured copy may hold.
    std::size_t maxPayloadBytes = 0;
    /// Runs when a later launch on the same desktop asks this one to come forward.
    std::function<void()> bringForward;
    /// Opens what explains the session Tovra needs.
    std::function<void()> openHelp;
    /// Runs when the display server goes away (a toolkit on it would end the process itself).
    std::function<void()> sessionEnded;
    /// True for windows of this process's own toolkit: keys typed there pass untouched.
    std::function<bool(std::uint32_t window)> isOwnWindow;
    /// True while one of this process's windows may have the keyboard focus, known without
    /// asking the display server.
    std::function<bool()> ownWindowMayHaveFocus;
};

struct OpenedPlatform {
    enum class Status { opened, alreadyRunning, failed };
    Status status = Status::failed;
    std::unique_ptr<Platform> platform;
    /// Why it failed, for the user.
    std::string error;
    /// False for the null ports: nothing reaches a desktop.
    bool reachesDesktop = false;
};

/// A session Tovra can start in: an X11 display or a Wayland compositor.
bool graphicalSessionPresent();

/// The one place the backend is chosen, after claiming the display so one Tovra runs on each:
/// Wayland in a Wayland session (its window says what a compositor without data control
/// lacks), X11 where a display is reachable, the null ports where none is, a failure when the
/// session's display cannot be reached.
OpenedPlatform openPlatform(MainQueue& mainQueue, PlatformRequest request);

}  // namespace tovra
