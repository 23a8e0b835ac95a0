#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "Tovra/core/ClipboardPayload.h"
#include "platform/TaskHandle.h"

namespace tovra {

class ClipboardWatcher;
class MainQueue;
class Pasteboard;
struct PasteboardChange;

class ClipboardWatcherDelegate {
  public:
    virtual ~ClipboardWatcherDelegate() = default;
    virtual void clipboardWatcherDidCapture(ClipboardWatcher& watcher,
                                            ClipboardPayload payload) = 0;
};

/// Notices clipboard changes and turns each new content into a payload, once: every change as
/// the pasteboard reports it, in order, or where it reports none a poll every 0.25 s; and on
/// demand after a copy keystroke. Changes we made ourselves are recognised by their change count
/// and skipped.
class ClipboardWatcher {
  public:
    ClipboardWatcher(Pasteboard& pasteboard, MainQueue& mainQueue);
    ~ClipboardWatcher();
    ClipboardWatcher(const ClipboardWatcher&) = delete;
    ClipboardWatcher& operator=(const ClipboardWatcher&) = delete;

    void setDelegate(std::weak_ptr<ClipboardWatcherDelegate> delegate) {
        delegate_ = std::move(delegate);
    }

    /// Starts watching; what was copied while stopped is never captured.
    void start();
    /// Stops watching: nothing is read from the clipboard until the next start.
    void stop();
    [[nodiscard]] bool isWatching() const { return watching_; }
    /// True while watching by polling, where the pasteboard reports no changes.
    [[nodiscard]] bool isPolling() const { return timer_.isPending(); }

    /// One check: the new contents when the clipboard changed and the change is not our own.
    std::optional<ClipboardPayload> checkForChange();

    [[nodiscard]] std::int64_t lastChangeCount() const { return lastChangeCount_; }
    [[nodiscard]] std::optional<std::int64_t> ignoredChangeCount() const {
        return ignoredChangeCount_;
    }
    /// Set after each of our own writes: the check that sees exactly this count skips it.
    void setIgnoredChangeCount(std::optional<std::int64_t> count) { ignoredChangeCount_ = count; }

  private:
    void tick();
    void onChange(const PasteboardChange& change);
    void deliver(std::optional<ClipboardPayload> payload);
    /// True when the change at `count` is new and not our own; it is then seen.
    bool takeChange(std::int64_t count);

    Pasteboard& pasteboard_;
    MainQueue& mainQueue_;
    std::weak_ptr<ClipboardWatcherDelegate> delegate_;
    TaskHandle timer_;
    bool watching_ = false;
    std::int64_t lastChangeCount_;
    std::optional<std::int64_t> ignoredChangeCount_;
};

}  // namespace tovra
