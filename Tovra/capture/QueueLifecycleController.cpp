#include "QueueLifecycleController.h"

#include "PasteboardCoordinator.h"
#include "Tovra/core/StackStore.h"
#include "platform/MainQueue.h"

namespace tovra {

QueueLifecycleController::QueueLifecycleController(StackStore& stackStore,
                                                   PasteboardCoordinator& coordinator,
                                                   MainQueue& mainQueue)
    : stackStore_(stackStore), coordinator_(coordinator), mainQueue_(mainQueue) {}

void QueueLifecycleController::refreshTimeout(std::optional<std::chrono::seconds> interval,
                                              std::function<void()> onExpiry) {
    const int index = stackStore_.activeIndex();
    timeoutWorkItems_.erase(index);
    if (!interval || stackStore_.activeQueue().isEmpty()) {
        return;
    }
    timeoutWorkItems_[index] = mainQueue_.after(
        *interval, [this, index, onExpiry = std::move(onExpiry)] { expireStack(index, onExpiry); });
}

void QueueLifecycleController::expireStack(int index, const std::function<void()>& onExpiry) {
    stackStore_.queue(static_cast<std::size_t>(index)).clear();
    // The running task's own handle is released here; it has already left the queue's schedule.
    const auto found = timeoutWorkItems_.find(index);
    std::function<void()> callback = onExpiry;  // the task owning onExpiry may be destroyed below
    if (found != timeoutWorkItems_.end()) {
        timeoutWorkItems_.erase(found);
    }
    if (cleared_) {
        cleared_(index);
    }
    if (index != stackStore_.activeIndex()) {
        return;
    }
    coordinator_.clearIfOwned();
    if (callback) {
        callback();
    }
}

void QueueLifecycleController::clearActiveQueue(bool keepForUndo) {
    std::vector<StackItem> items = stackStore_.activeQueue().takeAll();
    if (keepForUndo && !items.empty()) {
        // One clear can be taken back; an older one's items are let go (and wiped) now.
        undo_ = Undo{stackStore_.activeIndex(), std::move(items)};
        undoLapse_ = mainQueue_.after(undoWindow, [this] {
            undo_.reset();
            if (undoLapsed_) {
                undoLapsed_();
            }
        });
    }
    timeoutWorkItems_.erase(stackStore_.activeIndex());
    if (cleared_) {
        cleared_(stackStore_.activeIndex());
    }
    coordinator_.clearIfOwned();
}

bool QueueLifecycleController::undoClear() {
    if (!undo_) {
        return false;
    }
    undoLapse_.cancel();
    Undo undo = std::move(*undo_);
    undo_.reset();
    stackStore_.queue(static_cast<std::size_t>(undo.stack)).restoreOlder(std::move(undo.items));
    return true;
}

void QueueLifecycleController::clearAllQueues() {
    undo_.reset();
    undoLapse_.cancel();
    stackStore_.clearAll();
    cancelAllTimeouts();
    // Told before the wipe: an item staged for a paste must not come back into emptied stacks
    // when the wipe ends its watch.
    if (cleared_) {
        cleared_(std::nullopt);
    }
    coordinator_.clearIfOwned();
}

void QueueLifecycleController::cancelAllTimeouts() {
    timeoutWorkItems_.clear();
}

bool QueueLifecycleController::hasPendingTimeout(int index) const {
    const auto found = timeoutWorkItems_.find(index);
    return found != timeoutWorkItems_.end() && found->second.isPending();
}

}  // namespace tovra
