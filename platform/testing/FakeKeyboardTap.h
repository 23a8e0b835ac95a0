#pragma once

#include <deque>
#include <optional>
#include <vector>

#include "platform/KeyboardTap.h"

namespace tovra::testing {

/// A keyboard as the tap sees it. Keys the handler passes reach the "focused application"
/// (`delivered`); a held key freezes the keyboard, so later presses queue until it is replayed
/// or swallowed, as they do under a synchronous grab.
class FakeKeyboardTap final : public KeyboardTap {
  public:
    bool start(Handler handler) override;
    void stop() override;
    [[nodiscard]] bool isRunning() const override { return running_; }
    void replayHeld(std::uint64_t serial) override;
    void swallowHeld(std::uint64_t serial) override;
    [[nodiscard]] bool isHeld(std::uint64_t serial) override {
        return held_ && held_->serial == serial;
    }
    /// A stuck main loop's keyboard freed: the held key reaches the application unanswered.
    void simulateWatchdogRelease();
    void postSyntheticPaste(unsigned modifiers) override;
    [[nodiscard]] std::vector<Shortcut> unavailableShortcuts() const override {
        return unavailable_;
    }

    void setOverlayShortcutsActive(bool active) override { overlayShortcutsActive_ = active; }
    [[nodiscard]] bool overlayShortcutsActive() const { return overlayShortcutsActive_; }
    /// The user presses a key; returns its serial.
    std::uint64_t press(Key key, unsigned modifiers);
    /// One of Tovra's own windows has the focus from now on, or not.
    void setOwnWindowFocused(bool focused) { ownWindowFocused_ = focused; }

    void refuseStart(bool refuse) { refuseStart_ = refuse; }
    /// A backend that cannot tell its injected keystrokes from the user's.
    void setMarksInjectedPastes(bool marks) { marksInjected_ = marks; }
    void makeUnavailable(Shortcut shortcut) { unavailable_.push_back(shortcut); }
    void setShortcutsChangedHandler(std::function<void()> changed) override {
        shortcutsChanged_ = std::move(changed);
    }
    /// Another program takes a shortcut while we run, as after a layout change.
    void simulateShortcutTaken(Shortcut shortcut) {
        makeUnavailable(shortcut);
        if (shortcutsChanged_) {
            shortcutsChanged_();
        }
    }

    [[nodiscard]] const std::vector<KeyPress>& delivered() const { return delivered_; }
    [[nodiscard]] const std::vector<KeyPress>& swallowed() const { return swallowed_; }
    [[nodiscard]] std::optional<KeyPress> held() const { return held_; }
    [[nodiscard]] std::size_t queuedCount() const { return queued_.size(); }
    [[nodiscard]] int syntheticPastesPosted() const { return syntheticPosted_; }
    /// Calls made for a serial that is not the held key: a controller bug.
    [[nodiscard]] int strayResolutions() const { return strayResolutions_; }

  private:
    void deliver(const KeyPress& press);
    [[nodiscard]] bool answeredElsewhere(std::uint64_t serial) const;
    void drainQueue();

    Handler handler_;
    bool running_ = false;
    bool refuseStart_ = false;
    bool marksInjected_ = true;
    bool ownWindowFocused_ = false;
    bool overlayShortcutsActive_ = false;
    std::uint64_t nextSerial_ = 1;
    std::optional<KeyPress> held_;
    std::vector<std::uint64_t> letGo_;
    std::deque<KeyPress> queued_;
    std::vector<KeyPress> delivered_;
    std::vector<KeyPress> swallowed_;
    std::vector<Shortcut> unavailable_;
    std::function<void()> shortcutsChanged_;
    int syntheticPosted_ = 0;
    int strayResolutions_ = 0;
};

}  // namespace tovra::testing
