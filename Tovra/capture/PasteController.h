#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "KeyCommand.h"
#include "platform/KeyboardTap.h"
#include "platform/TaskHandle.h"

namespace tovra {

class MainQueue;

/// The application controller's side of the shortcuts. Commands answer whether they handled
/// the keystroke; a handled keystroke never reaches the focused application.
class PasteControllerDelegate {
  public:
    virtual ~PasteControllerDelegate() = default;
    virtual void toggleQueue() = 0;
    virtual void captureAfterCopy() = 0;
    /// True when the next item was staged on the clipboard.
    virtual bool pasteNext() = 0;
    /// True when the whole stack was written joined.
    virtual bool burstPaste() = 0;
    virtual bool clearFromOverlay() = 0;
    virtual bool dropNext() = 0;
    virtual bool revealOverlay() = 0;
    virtual bool moveNextUp() = 0;
    virtual bool moveNextDown() = 0;
    virtual bool swapEnds() = 0;
    virtual bool togglePinNext() = 0;
    virtual bool selectStack(int index) = 0;
    /// How the application in front pastes; asked only for V chords.
    virtual PasteKeyStyle pasteKeyStyle() { return PasteKeyStyle::controlV; }
    /// A paste key was pressed where no key pastes the clipboard: say why nothing was pasted.
    virtual void pasteUnavailable() {}
};

/// Turns global shortcuts into queue actions. A copy passes and is followed by quick clipboard
/// checks; a paste is held back while the next item is staged and delivered 30 ms later; the
/// other shortcuts go to the delegate.
class PasteController {
  public:
    /// Seconds after a copy keystroke at which the clipboard is checked.
    static constexpr std::array<double, 5> copyCaptureDelays{0.01, 0.03, 0.07, 0.14, 0.24};
    static constexpr double syntheticPasteDelay = 0.03;
    static constexpr double flagResetDelay = 0.12;

    /// The tap and queue must outlive the controller.
    PasteController(KeyboardTap& tap, MainQueue& mainQueue);
    ~PasteController();
    PasteController(const PasteController&) = delete;
    PasteController& operator=(const PasteController&) = delete;

    void setDelegate(std::weak_ptr<PasteControllerDelegate> delegate) {
        delegate_ = std::move(delegate);
    }
    /// Told at every copy keystroke, before the checks: a clipboard whose owner keeps ownership
    /// across copies must be read again to notice the new contents.
    void setCopyObserver(std::function<void()> observer) { copyObserver_ = std::move(observer); }

    /// Starts intercepting; false when the system refuses the tap.
    bool start();
    /// Stops intercepting; a keystroke still held back is let through first.
    void stop();
    [[nodiscard]] bool isRunning() const { return tap_.isRunning(); }
    [[nodiscard]] std::vector<KeyboardTap::Shortcut> unavailableShortcuts() const {
        return tap_.unavailableShortcuts();
    }

    /// Types the paste chord of an application of `style` for what was just staged, when no
    /// keystroke is held (menu, panel).
    void scheduleSyntheticPaste(PasteKeyStyle style = PasteKeyStyle::controlV);

    /// The tap's handler: decides at once what happens to one key-down.
    KeyAnswer handle(const KeyPress& press);

    [[nodiscard]] std::int64_t copyCaptureGeneration() const { return copyCaptureGeneration_; }
    [[nodiscard]] bool pendingSyntheticPaste() const { return pendingSyntheticPaste_; }
    [[nodiscard]] bool bypassNextPasteEvent() const { return bypassNextPasteEvent_; }

  private:
    void scheduleCopyChecks();
    /// Replays the held keystroke, or types `chord` (V with those modifiers) when none is held.
    void scheduleDelivery(std::optional<std::uint64_t> heldSerial, unsigned chord);
    void deliver();
    KeyAnswer handlePaste(const KeyPress& press, bool burst, PasteKeyStyle style);
    bool askDelegate(const KeyCommand& command);

    KeyboardTap& tap_;
    MainQueue& mainQueue_;
    std::weak_ptr<PasteControllerDelegate> delegate_;
    std::function<void()> copyObserver_;
    std::int64_t copyCaptureGeneration_ = 0;
    bool pendingSyntheticPaste_ = false;
    bool bypassNextPasteEvent_ = false;
    std::optional<std::uint64_t> heldSerial_;
    unsigned deliveryChord_ = command;
    std::vector<TaskHandle> copyChecks_;
    TaskHandle deliveryTask_;
    TaskHandle resetTask_;
};

}  // namespace tovra
