#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <optional>

#include "platform/TaskHandle.h"

namespace tovra {

class MainQueue;
class PasteboardCoordinator;
class StackStore;

/// Empties queues: an idle stack when its timeout passes, and whole-queue clears (the clear
/// command, sleep, switching off, quitting), releasing our clipboard content and timers with
/// the items. Each stack has at most one pending expiry.
class QueueLifecycleController {
  public:
    /// The store, coordinator and queue must outlive the controller.
    QueueLifecycleController(StackStore& stackStore, PasteboardCoordinator& coordinator,
                             MainQueue& mainQueue);
    QueueLifecycleController(const QueueLifecycleController&) = delete;
    QueueLifecycleController& operator=(const QueueLifecycleController&) = delete;

    /// Restarts the active stack's idle timer; none for `never` or an empty stack. `onExpiry`
    /// runs after an expiry of the stack that is still active.
    void refreshTimeout(std::optional<std::chrono::seconds> interval,
                        std::function<void()> onExpiry);
    /// Empties stack `index`; touches the clipboard and calls back only if it is still active.
    void expireStack(int index, const std::function<void()>& onExpiry);
    void clearActiveQueue();
    void clearAllQueues();
    void cancelAllTimeouts();
    /// `cleared` runs for every clear of a whole stack (its index) or of all of them (none),
    /// before the clipboard is wiped.
    void setClearObserver(std::function<void(std::optional<int> stack)> cleared) {
        cleared_ = std::move(cleared);
    }

    [[nodiscard]] bool hasPendingTimeout(int index) const;

  private:
    StackStore& stackStore_;
    PasteboardCoordinator& coordinator_;
    MainQueue& mainQueue_;
    // Handles are owned here: once the controller is gone no expiry runs.
    std::map<int, TaskHandle> timeoutWorkItems_;
    std::function<void(std::optional<int>)> cleared_;
};

}  // namespace tovra
