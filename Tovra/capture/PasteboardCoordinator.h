#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "Tovra/core/ClipboardPayload.h"
#include "Tovra/core/QueueManager.h"

namespace tovra {

class ClipboardWatcher;
class Pasteboard;

/// The only writer of the clipboard. It stages queued items just before a paste, remembers that
/// the clipboard holds our content, and wipes it only while it is still ours, so a copy the
/// user made in the meantime is never erased.
class PasteboardCoordinator {
  public:
    /// The pasteboard and watcher must outlive the coordinator.
    PasteboardCoordinator(Pasteboard& pasteboard, ClipboardWatcher& watcher);
    PasteboardCoordinator(const PasteboardCoordinator&) = delete;
    PasteboardCoordinator& operator=(const PasteboardCoordinator&) = delete;

    /// Puts the payload on the clipboard, owns it, and has the watcher skip this change.
    void write(const ClipboardPayload& payload);
    /// Takes the next item out of the queue (for this context's order) and writes it; nothing,
    /// and the clipboard untouched, when the queue has nothing to give.
    std::optional<QueueManager::TakenItem> stageNext(QueueManager& queue,
                                                     std::optional<std::string> context);
    /// A copy made in Tovra's own windows: on the clipboard as a user's copy would be (so never
    /// wiped as ours), and skipped by the watcher.
    void writeCopy(std::string_view text);
    /// Wipes the clipboard if and only if it still holds our write.
    void clearIfOwned();

    [[nodiscard]] bool ownsPasteboard() const { return ownsPasteboard_; }
    /// The controller clears it whenever a real copy is captured.
    void setOwnsPasteboard(bool owns) { ownsPasteboard_ = owns; }

  private:
    Pasteboard& pasteboard_;
    ClipboardWatcher& watcher_;
    bool ownsPasteboard_ = false;
};

}  // namespace tovra
