#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/TaskHandle.h"

namespace tovra {

class MainQueue;

/// One Tovra per Wayland compositor and user. The running one holds a lock on a file in the
/// user's private runtime directory (the kernel lets go of it however the process ends) and
/// listens on a socket beside it; no other user can reach either. A second launch finds the
/// lock held, knocks on the socket without waiting, which asks the first to come forward, and
/// leaves. Nothing but these two names is written.
class WaylandSingleInstance {
  public:
    /// Claims the compositor named by `displayName` (null: $WAYLAND_DISPLAY); nullptr when
    /// another instance holds it (asked to come forward). `onActivate` runs on later launches.
    /// With no private directory to claim it in, it is claimed without a lock: never refused.
    static std::unique_ptr<WaylandSingleInstance> claim(const char* displayName,
                                                        MainQueue& mainQueue,
                                                        std::function<void()> onActivate);
    ~WaylandSingleInstance();
    WaylandSingleInstance(const WaylandSingleInstance&) = delete;
    WaylandSingleInstance& operator=(const WaylandSingleInstance&) = delete;

    /// Where the lock and the socket for a compositor live: `<directory>/tovra-<hash>`, the
    /// directory $XDG_RUNTIME_DIR when it is the user's own and private, empty otherwise.
    static std::string pathFor(const char* displayName);

  private:
    WaylandSingleInstance(int lock, int listener, std::string socketPath, MainQueue& mainQueue,
                          std::function<void()> onActivate);

    int lock_;
    int listener_;
    std::string socketPath_;
    std::function<void()> onActivate_;
    TaskHandle watch_;
};

}  // namespace tovra
