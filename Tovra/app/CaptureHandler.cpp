#include "CaptureHandler.h"

#include "AppContext.h"
#include "SurfaceRefresher.h"
#include "Tovra/core/QueueManager.h"
#include "platform/Pasteboard.h"

namespace tovra {

void CaptureHandler::clipboardWatcherDidCapture(ClipboardWatcher&, ClipboardPayload payload) {
    if (context_.isStackActive) {
        handleCapturedPayload(std::move(payload));
    }
}

void CaptureHandler::captureAfterCopy() {
    if (!context_.isStackActive) {
        return;  // while off nothing is read, not even after a copy
    }
    // An owner that keeps the clipboard across copies changes it without telling: read it again
    // at every check, since a slow application may take a while to put the new copy there.
    context_.environment.pasteboard.recheck();
    if (auto payload = context_.clipboardWatcher.checkForChange()) {
        handleCapturedPayload(std::move(*payload));
    }
}

void CaptureHandler::handleCapturedPayload(ClipboardPayload payload) {
    enqueue(std::move(payload), true);
}

void CaptureHandler::copyText(const std::string& text) {
    context_.pasteboardCoordinator.writeCopy(text);
    auto payload = makeTextPayload(Bytes(text));
    if (context_.isStackActive && payload) {
        // Split into lines like other copies, a diagnostic text would be pasted line by line.
        enqueue(std::move(*payload), false);
    }
}

void CaptureHandler::enqueue(ClipboardPayload payload, bool split) {
    context_.pasteboardCoordinator.setOwnsPasteboard(false);
    QueueManager& queue = context_.activeQueue();
    queue.setSmartContext(context_.frontmostId());
    queue.enqueuePayload(std::move(payload), split);
    surfaces_.rescheduleTimeout();
    surfaces_.refresh(false);
}

}  // namespace tovra
