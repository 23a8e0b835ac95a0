#include "ClipboardWatcher.h"

#include "PasteboardTransfer.h"
#include "platform/MainQueue.h"
#include "platform/Pasteboard.h"

namespace tovra {

namespace {
constexpr MainQueue::Seconds pollInterval{0.25};
}  // namespace

ClipboardWatcher::ClipboardWatcher(Pasteboard& pasteboard, MainQueue& mainQueue)
    : pasteboard_(pasteboard), mainQueue_(mainQueue), lastChangeCount_(pasteboard.changeCount()) {}

void ClipboardWatcher::start() {
    if (timer_.isPending()) {
        return;
    }
    lastChangeCount_ = pasteboard_.changeCount();
    // The handle is ours: once we are gone the timer is cancelled and never ticks.
    timer_ = mainQueue_.every(pollInterval, [this] { tick(); });
}

void ClipboardWatcher::stop() {
    timer_.cancel();
}

std::optional<ClipboardPayload> ClipboardWatcher::checkForChange() {
    const std::int64_t count = pasteboard_.changeCount();
    if (count == lastChangeCount_) {
        return std::nullopt;
    }
    lastChangeCount_ = count;
    if (ignoredChangeCount_ == count) {
        ignoredChangeCount_.reset();
        return std::nullopt;
    }
    // Any newer change ends the wait for the ignored one.
    ignoredChangeCount_.reset();
    return capturePayload(pasteboard_);
}

void ClipboardWatcher::tick() {
    auto payload = checkForChange();
    if (!payload) {
        return;
    }
    if (const auto delegate = delegate_.lock()) {
        delegate->clipboardWatcherDidCapture(*this, std::move(*payload));
    }
}

}  // namespace tovra
