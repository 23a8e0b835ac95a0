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

class ClipboardWatcherDelegate {
  public:
    virtual ~ClipboardWatcherDelegate() = default;
    virtual void clipboardWatcherDidCapture(ClipboardWatcher& watcher,
                                            ClipboardPayload payload) = 0;
};

/// Notices clipboard changes (a poll every 0.25 s while started, and on demand after a copy
/// keystroke) and turns each new content into a payload, once. Changes we made ourselves are
/// recognised by their change count and skipped.
class ClipboardWatcher {
  public:
    ClipboardWatcher(Pasteboard& pasteboard, MainQueue& mainQueue);
    ClipboardWatcher(const ClipboardWatcher&) = delete;
    ClipboardWatcher& operator=(const ClipboardWatcher&) = delete;

    void setDelegate(std::weak_ptr<ClipboardWatcherDelegate> delegate) {
        delegate_ = std::move(delegate);
    }

    /// Starts polling; what was copied while stopped is never captured.
    void start();
    void stop();
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

    Pasteboard& pasteboard_;
    MainQueue& mainQueue_;
    std::weak_ptr<ClipboardWatcherDelegate> delegate_;
    TaskHandle timer_;
    std::int64_t lastChangeCount_;
    std::optional<std::int64_t> ignoredChangeCount_;
};

}  // namespace tovra
