#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "Tovra/core/StackItem.h"

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
    /// Empties the active stack. The user's own clear keeps the items for `undoWindow`, in
    /// memory only, so the one clear can be taken back.
    void clearActiveQueue(bool keepForUndo = false);
    /// Empties every stack, and drops what a clear kept for taking back.
    void clearAllQueues();
    /// True while the last clear can be taken back.
    [[nodiscard]] bool canUndoClear() const { return undo_.has_value(); }
    /// Puts the items of the last clear back into their stack, before what came since; false
    /// when there is nothing to take back.
    bool undoClear();
    /// `changed` runs when what can be taken back lapses.
    void setUndoLapsedObserver(std::function<void()> lapsed) { undoLapsed_ = std::move(lapsed); }
    static constexpr std::chrono::seconds undoWindow{8};
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
    struct Undo {
        int stack = 0;
        std::vector<StackItem> items;
    };
    std::optional<Undo> undo_;
    TaskHandle undoLapse_;
    std::function<void()> undoLapsed_;
};

}  // namespace tovra
