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

ClipboardWatcher::~ClipboardWatcher() {
    stop();
}

void ClipboardWatcher::start() {
    if (watching_) {
        return;
    }
    watching_ = true;
    lastChangeCount_ = pasteboard_.changeCount();
    const bool notified =
        pasteboard_.observeChanges([this](const PasteboardChange& change) { onChange(change); });
    if (!notified) {
        // The handle is ours: once we are gone the timer is cancelled and never ticks.
        timer_ = mainQueue_.every(pollInterval, [this] { tick(); });
    }
}

void ClipboardWatcher::stop() {
    if (!watching_) {
        return;
    }
    watching_ = false;
    pasteboard_.observeChanges(nullptr);
    timer_.cancel();
}

bool ClipboardWatcher::takeChange(std::int64_t count) {
    if (count <= lastChangeCount_) {
        return false;  // seen already, by a copy check
    }
    lastChangeCount_ = count;
    if (ignoredChangeCount_ == count) {
        ignoredChangeCount_.reset();
        return false;
    }
    // Any newer change ends the wait for the ignored one.
    ignoredChangeCount_.reset();
    return true;
}

std::optional<ClipboardPayload> ClipboardWatcher::checkForChange() {
    if (!takeChange(pasteboard_.changeCount())) {
        return std::nullopt;
    }
    return capturePayload(pasteboard_);
}

void ClipboardWatcher::onChange(const PasteboardChange& change) {
    if (watching_ && takeChange(change.changeCount)) {
        deliver(capturePayload(*change.contents));
    }
}

void ClipboardWatcher::tick() {
    deliver(checkForChange());
}

void ClipboardWatcher::deliver(std::optional<ClipboardPayload> payload) {
    if (!payload) {
        return;
    }
    if (const auto delegate = delegate_.lock()) {
        delegate->clipboardWatcherDidCapture(*this, std::move(*payload));
    }
}

}  // namespace tovra
