#include "PasteController.h"

#include "platform/MainQueue.h"

namespace tovra {

using Kind = KeyCommand::Kind;

PasteController::PasteController(KeyboardTap& tap, MainQueue& mainQueue)
    : tap_(tap), mainQueue_(mainQueue) {
    tap_.setShortcuts(bindings_.intercepted());
}

void PasteController::setShortcutBindings(const ShortcutBindings& bindings) {
    bindings_ = bindings;
    tap_.setShortcuts(bindings_.intercepted());
}

PasteController::~PasteController() {
    if (heldSerial_) {
        tap_.replayHeld(*heldSerial_);
    }
    if (waiting_) {
        tap_.replayHeld(waiting_->serial);
    }
}

bool PasteController::start() {
    if (tap_.isRunning()) {
        return true;
    }
    // A paste waits, held, for the one before, up to the pacing cap.
    tap_.setLongestHold(std::chrono::duration_cast<std::chrono::milliseconds>(
        MainQueue::Seconds(pacingCap + syntheticPasteDelay)));
    return tap_.start([this](const KeyPress& press) { return handle(press); });
}

void PasteController::stop() {
    if (heldSerial_) {
        tap_.replayHeld(*heldSerial_);
        heldSerial_.reset();
    }
    if (waiting_) {
        tap_.replayHeld(waiting_->serial);
        waiting_.reset();
    }
    tap_.stop();
    deliveryTask_.cancel();
    pacingTask_.cancel();
    copyChecks_.clear();
    pendingSyntheticPaste_ = false;
    bypassNextPasteEvent_ = false;
}

KeyAnswer PasteController::handle(const KeyPress& press) {
    if (press.inOwnWindow && KeyCommand::isPasteChord(press)) {
        return KeyAnswer::pass;  // our own text fields paste the clipboard as it is
    }
    if (recordingShortcut_ && !press.synthetic) {
        return KeyAnswer::pass;  // the recorder has the focus and takes the chord
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
    const auto command = KeyCommand::classify(press, bindings_, styleOfFront);
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
            // Our own paste on its way: the next one still waits until this one is asked for.
            bypassNextPasteEvent_ = false;
            return KeyAnswer::pass;
        case Kind::paste:
        case Kind::burstPaste: {
            const bool burst = command->kind == Kind::burstPaste;
            if (!burst && bypassNextPasteEvent_) {
                bypassNextPasteEvent_ = false;
                return KeyAnswer::pass;
            }
            if (pendingSyntheticPaste_) {
                if (waiting_ && tap_.isHeld(waiting_->serial)) {
                    return KeyAnswer::swallow;  // the keyboard is frozen: cannot happen
                }
                // One the tap had to let go meanwhile reached the application already: this
                // one waits in its place.
                waiting_ = WaitingPaste{press.serial, burst, styleOfFront()};
                return KeyAnswer::hold;
            }
            return handlePaste(press.serial, burst, styleOfFront(), false);
        }
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

KeyAnswer PasteController::handlePaste(std::uint64_t serial, bool burst, PasteKeyStyle style,
                                       bool alreadyHeld) {
    // Pending copy checks must not capture the item about to be staged.
    ++copyCaptureGeneration_;
    const auto delegate = delegate_.lock();
    if (!delegate || !(burst ? delegate->burstPaste() : delegate->pasteNext())) {
        if (alreadyHeld) {
            tap_.replayHeld(serial);
        }
        return KeyAnswer::pass;
    }
    pendingSyntheticPaste_ = true;
    const unsigned pasteChord =
        pasteChordsFor(style, bindings_.of(ShortcutAction::burstPaste)).paste.value_or(command);
    if (burst) {
        // Replaying the burst chord would ask for "paste special": type the plain paste instead.
        if (alreadyHeld) {
            tap_.swallowHeld(serial);
        }
        typePaste(pasteChord, publish());
        return KeyAnswer::swallow;
    }
    // The user's own keystroke is the paste: it reaches the application once, with the
    // modifiers the user really holds, after the item is on the clipboard.
    if (publish()) {
        if (alreadyHeld) {
            tap_.replayHeld(serial);
        }
        startPacing();
        return KeyAnswer::pass;
    }
    heldSerial_ = serial;
    deliveryTask_ =
        mainQueue_.after(MainQueue::Seconds(syntheticPasteDelay), [this] { deliverHeld(); });
    return KeyAnswer::hold;
}

bool PasteController::publish() {
    return publishWrites_ && publishWrites_();
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
    if (heldSerial_) {
        // Never leave an earlier keystroke frozen behind a newer delivery.
        tap_.replayHeld(*heldSerial_);
        heldSerial_.reset();
    }
    pendingSyntheticPaste_ = true;
    typePaste(
        pasteChordsFor(style, bindings_.of(ShortcutAction::burstPaste)).paste.value_or(command),
        publish());
}

void PasteController::pasteDelivered() {
    // Only a paste already on its way counts: one still being staged is not delivered yet.
    if (pendingSyntheticPaste_ && !heldSerial_ && !deliveryTask_.isPending()) {
        endPacing();
    }
}

void PasteController::deliverHeld() {
    if (!heldSerial_) {
        return;
    }
    // A replayed keystroke does not come back through the tap, so nothing is armed to let a
    // later one through.
    const std::uint64_t serial = *heldSerial_;
    heldSerial_.reset();
    tap_.replayHeld(serial);
    startPacing();
}

void PasteController::typePaste(unsigned chord, bool now) {
    if (!now) {
        deliveryTask_ = mainQueue_.after(MainQueue::Seconds(syntheticPasteDelay),
                                         [this, chord] { typePaste(chord, true); });
        return;
    }
    bypassNextPasteEvent_ = true;
    tap_.postSyntheticPaste(chord);
    startPacing();
}

void PasteController::startPacing() {
    pacingTask_ = mainQueue_.after(MainQueue::Seconds(pacingCap), [this] { endPacing(); });
}

void PasteController::endPacing() {
    pacingTask_.cancel();
    pendingSyntheticPaste_ = false;
    bypassNextPasteEvent_ = false;
    if (waiting_) {
        const WaitingPaste waiting = *waiting_;
        waiting_.reset();
        // A keyboard freed by the watchdog meanwhile pasted what the clipboard held then.
        if (tap_.isHeld(waiting.serial)) {
            handlePaste(waiting.serial, waiting.burst, waiting.style, true);
        }
    }
}

}  // namespace tovra
