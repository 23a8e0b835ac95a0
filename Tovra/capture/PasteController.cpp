#include "PasteController.h"

#include "platform/MainQueue.h"

namespace tovra {

using Kind = KeyCommand::Kind;

PasteController::PasteController(KeyboardTap& tap, MainQueue& mainQueue)
    : tap_(tap), mainQueue_(mainQueue) {}

PasteController::~PasteController() {
    if (heldSerial_) {
        tap_.replayHeld(*heldSerial_);
    }
}

bool PasteController::start() {
    if (tap_.isRunning()) {
        return true;
    }
    return tap_.start([this](const KeyPress& press) { return handle(press); });
}

void PasteController::stop() {
    if (heldSerial_) {
        tap_.replayHeld(*heldSerial_);
        heldSerial_.reset();
    }
    tap_.stop();
    deliveryTask_.cancel();
    resetTask_.cancel();
    copyChecks_.clear();
    pendingSyntheticPaste_ = false;
    bypassNextPasteEvent_ = false;
}

KeyAnswer PasteController::handle(const KeyPress& press) {
    if (press.inOwnWindow && KeyCommand::isPasteChord(press)) {
        return KeyAnswer::pass;  // our own text fields paste the clipboard as it is
    }
    // Asked once, and only for a V chord: which chord pastes depends on the application.
    std::optional<PasteKeyStyle> style;
    const auto styleOfFront = [&] {
        if (!style) {
            const auto delegate = delegate_.lock();
            style = delegate ? delegate->pasteKeyStyle() : PasteKeyStyle::controlV;
        }
        return *style;
    };
    const auto command = KeyCommand::classify(press, styleOfFront);
    if (!command) {
        return KeyAnswer::pass;
    }
    if (press.inOwnWindow && !command->actsInOwnWindows()) {
        return KeyAnswer::pass;  // our own text fields paste, and Escape closes our windows
    }
    switch (command->kind) {
        case Kind::toggleQueue:
            // Switching on may open windows: do it after the keyboard is answered.
            mainQueue_.post([delegate = delegate_] {
                if (const auto alive = delegate.lock()) {
                    alive->toggleQueue();
                }
            });
            return KeyAnswer::swallow;
        case Kind::copy:
            if (copyObserver_) {
                copyObserver_();
            }
            scheduleCopyChecks();
            return KeyAnswer::pass;
        case Kind::syntheticPaste:
            pendingSyntheticPaste_ = false;
            bypassNextPasteEvent_ = false;
            return KeyAnswer::pass;
        case Kind::paste:
            if (bypassNextPasteEvent_) {
                bypassNextPasteEvent_ = false;
                return KeyAnswer::pass;
            }
            if (pendingSyntheticPaste_) {
                return KeyAnswer::swallow;  // one paste in flight at a time
            }
            return handlePaste(press, false, styleOfFront());
        case Kind::burstPaste:
            return handlePaste(press, true, styleOfFront());
        case Kind::pasteUnavailable:
            mainQueue_.post([delegate = delegate_] {
                if (const auto alive = delegate.lock()) {
                    alive->pasteUnavailable();
                }
            });
            return KeyAnswer::pass;
        default:
            return askDelegate(*command) ? KeyAnswer::swallow : KeyAnswer::pass;
    }
}

KeyAnswer PasteController::handlePaste(const KeyPress& press, bool burst, PasteKeyStyle style) {
    // Pending copy checks must not capture the item about to be staged.
    ++copyCaptureGeneration_;
    const auto delegate = delegate_.lock();
    if (!delegate || !(burst ? delegate->burstPaste() : delegate->pasteNext())) {
        return KeyAnswer::pass;
    }
    const unsigned pasteChord = pasteChordsFor(style).paste.value_or(command);
    if (burst) {
        // Replaying the burst chord would ask for "paste special": type the plain paste instead.
        scheduleDelivery(std::nullopt, pasteChord);
        return KeyAnswer::swallow;
    }
    // The user's own keystroke is the paste: it reaches the application once, with the
    // modifiers the user really holds, after the item is on the clipboard.
    scheduleDelivery(press.serial, pasteChord);
    return KeyAnswer::hold;
}

bool PasteController::askDelegate(const KeyCommand& command) {
    const auto delegate = delegate_.lock();
    if (!delegate) {
        return false;
    }
    switch (command.kind) {
        case Kind::clearFromOverlay:
            return delegate->clearFromOverlay();
        case Kind::dropNext:
            return delegate->dropNext();
        case Kind::swapEnds:
            return delegate->swapEnds();
        case Kind::selectStack:
            return delegate->selectStack(command.stackIndex);
        case Kind::revealOverlay:
            return delegate->revealOverlay();
        case Kind::togglePinNext:
            return delegate->togglePinNext();
        case Kind::moveNextDown:
            return delegate->moveNextDown();
        case Kind::moveNextUp:
            return delegate->moveNextUp();
        default:
            return false;
    }
}

void PasteController::scheduleCopyChecks() {
    const std::int64_t generation = ++copyCaptureGeneration_;
    copyChecks_.clear();
    for (const double delay : copyCaptureDelays) {
        copyChecks_.push_back(mainQueue_.after(MainQueue::Seconds(delay), [this, generation] {
            if (generation != copyCaptureGeneration_) {
                return;
            }
            if (const auto delegate = delegate_.lock()) {
                delegate->captureAfterCopy();
            }
        }));
    }
}

void PasteController::scheduleSyntheticPaste(PasteKeyStyle style) {
    scheduleDelivery(std::nullopt, pasteChordsFor(style).paste.value_or(command));
}

void PasteController::scheduleDelivery(std::optional<std::uint64_t> heldSerial, unsigned chord) {
    if (heldSerial_ && heldSerial_ != heldSerial) {
        // Never leave an earlier keystroke frozen behind a newer delivery.
        tap_.replayHeld(*heldSerial_);
    }
    pendingSyntheticPaste_ = true;
    heldSerial_ = heldSerial;
    deliveryChord_ = chord;
    deliveryTask_ =
        mainQueue_.after(MainQueue::Seconds(syntheticPasteDelay), [this] { deliver(); });
}

void PasteController::deliver() {
    if (heldSerial_) {
        // A replayed keystroke does not come back through the tap, so nothing is armed to let
        // a later one through.
        const std::uint64_t serial = *heldSerial_;
        heldSerial_.reset();
        tap_.replayHeld(serial);
    } else {
        bypassNextPasteEvent_ = true;
        tap_.postSyntheticPaste(deliveryChord_);
    }
    resetTask_ = mainQueue_.after(MainQueue::Seconds(flagResetDelay), [this] {
        pendingSyntheticPaste_ = false;
        bypassNextPasteEvent_ = false;
    });
}

}  // namespace tovra
