#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/TaskHandle.h"

namespace tovra {

class MainQueue;

/// One Tovra per Wayland compositor: the running one listens on an abstract socket named after
/// the user and the compositor's socket. The kernel frees the name when the process ends,
/// however it ends; nothing is written to disk. A second launch connects, which asks the first
/// to come forward, and leaves.
class WaylandSingleInstance {
  public:
    /// Claims the compositor named by `displayName` (null: $WAYLAND_DISPLAY); nullptr when
    /// another instance holds it (asked to come forward). `onActivate` runs on later launches.
    static std::unique_ptr<WaylandSingleInstance> claim(const char* displayName,
                                                        MainQueue& mainQueue,
                                                        std::function<void()> onActivate);
    ~WaylandSingleInstance();
    WaylandSingleInstance(const WaylandSingleInstance&) = delete;
    WaylandSingleInstance& operator=(const WaylandSingleInstance&) = delete;

    /// The abstract socket name for a compositor socket, as claimed.
    static std::string nameFor(const char* displayName);

  private:
    WaylandSingleInstance(int listener, MainQueue& mainQueue, std::function<void()> onActivate);

    int listener_;
    std::function<void()> onActivate_;
    TaskHandle watch_;
};

}  // namespace tovra
