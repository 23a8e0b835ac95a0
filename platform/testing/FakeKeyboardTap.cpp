#include "FakeKeyboardTap.h"

#include <algorithm>

namespace tovra::testing {

bool FakeKeyboardTap::start(Handler handler) {
    if (refuseStart_) {
        return false;
    }
    handler_ = std::move(handler);
    running_ = true;
    return true;
}

void FakeKeyboardTap::stop() {
    running_ = false;
    handler_ = nullptr;
    // Stopping must never leave the keyboard frozen.
    if (held_) {
        delivered_.push_back(*held_);
        held_.reset();
    }
    drainQueue();
}

std::uint64_t FakeKeyboardTap::press(Key key, unsigned modifiers) {
    const KeyPress press{key, modifiers, false, nextSerial_++, ownWindowFocused_};
    if (held_) {
        queued_.push_back(press);
    } else {
        deliver(press);
    }
    return press.serial;
}

void FakeKeyboardTap::deliver(const KeyPress& press) {
    const Shortcut shortcut{press.key, press.modifiers};
    // A copy is only observed; every other key reaches us only while we hold its shortcut.
    const bool observed = press.key == Key::c && press.modifiers == command;
    const bool held =
        isShortcut(shortcut) && (overlayShortcutsActive_ || !isOverlayShortcut(shortcut));
    const bool grabbed =
        std::find(unavailable_.begin(), unavailable_.end(), shortcut) == unavailable_.end() &&
        (observed || held);
    if (!running_ || !handler_ || !grabbed) {
        delivered_.push_back(press);
        return;
    }
    switch (handler_(press)) {
        case KeyAnswer::pass:
            delivered_.push_back(press);
            break;
        case KeyAnswer::swallow:
            swallowed_.push_back(press);
            break;
        case KeyAnswer::hold:
            held_ = press;
            break;
    }
}

void FakeKeyboardTap::drainQueue() {
    while (!held_ && !queued_.empty()) {
        const KeyPress next = queued_.front();
        queued_.pop_front();
        deliver(next);
    }
}

void FakeKeyboardTap::simulateWatchdogRelease() {
    if (held_) {
        letGo_.push_back(held_->serial);
        delivered_.push_back(*held_);
        held_.reset();
        drainQueue();
    }
}

bool FakeKeyboardTap::answeredElsewhere(std::uint64_t serial) const {
    return std::find(letGo_.begin(), letGo_.end(), serial) != letGo_.end();
}

void FakeKeyboardTap::replayHeld(std::uint64_t serial) {
    if (answeredElsewhere(serial)) {
        return;  // a late answer: the real keyboard ignores it
    }
    if (!held_ || held_->serial != serial) {
        ++strayResolutions_;
        return;
    }
    // A replayed key goes straight to the application: it does not come back through the tap.
    delivered_.push_back(*held_);
    held_.reset();
    drainQueue();
}

void FakeKeyboardTap::swallowHeld(std::uint64_t serial) {
    if (answeredElsewhere(serial)) {
        return;
    }
    if (!held_ || held_->serial != serial) {
        ++strayResolutions_;
        return;
    }
    swallowed_.push_back(*held_);
    held_.reset();
    drainQueue();
}

void FakeKeyboardTap::postSyntheticPaste(unsigned modifiers) {
    ++syntheticPosted_;
    // An injected paste travels through our own tap, marked as ours.
    const KeyPress press{Key::v, modifiers, marksInjected_, nextSerial_++};
    if (held_) {
        queued_.push_back(press);
    } else {
        deliver(press);
    }
}

}  // namespace tovra::testing
