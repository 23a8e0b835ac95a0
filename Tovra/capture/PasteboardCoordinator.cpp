#include "PasteboardCoordinator.h"

#include "ClipboardWatcher.h"
#include "PasteboardTransfer.h"
#include "Tovra/base/PasteboardTypes.h"
#include "Tovra/core/QueueManager.h"
#include "platform/Pasteboard.h"

namespace tovra {

PasteboardCoordinator::PasteboardCoordinator(Pasteboard& pasteboard, ClipboardWatcher& watcher)
    : pasteboard_(pasteboard), watcher_(watcher) {}

void PasteboardCoordinator::write(const ClipboardPayload& payload) {
    writeToPasteboard(payload, pasteboard_);
    // Clipboard history tools that honour it keep none of what we stage.
    pasteboard_.setString(pasteboardType::concealedValue, pasteboardType::concealed);
    ownsPasteboard_ = true;
    watcher_.setIgnoredChangeCount(pasteboard_.changeCount());
}

std::optional<QueueManager::TakenItem> PasteboardCoordinator::stageNext(
    QueueManager& queue, std::optional<std::string> context) {
    queue.setSmartContext(std::move(context));
    auto taken = queue.takeNextWithPosition();
    if (taken) {
        write(taken->item.payload);
    }
    return taken;
}

void PasteboardCoordinator::writeCopy(std::string_view text) {
    pasteboard_.clearContents();
    pasteboard_.setString(text, pasteboardType::string);
    ownsPasteboard_ = false;
    watcher_.setIgnoredChangeCount(pasteboard_.changeCount());
}

void PasteboardCoordinator::clearIfOwned() {
    if (!ownsPasteboard_) {
        return;
    }
    pasteboard_.clearContents();
    watcher_.setIgnoredChangeCount(pasteboard_.changeCount());
    ownsPasteboard_ = false;
}

}  // namespace tovra
