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
/// checks; a paste is held back while the next item is staged and goes on as soon as the system
/// has it (at once where writes are published synchronously, 30 ms later elsewhere); the other
/// shortcuts go to the delegate. Pastes are paced: the next item is staged only once the
/// previous one was asked for or `pacingCap` has passed, so a slow application never receives
/// item 2 for paste 1; a paste key pressed meanwhile waits, held.
class PasteController {
  public:
    /// Seconds after a copy keystroke at which the clipboard is checked.
    static constexpr std::array<double, 5> copyCaptureDelays{0.01, 0.03, 0.07, 0.14, 0.24};
    /// For systems that spread a clipboard write in their own time.
    static constexpr double syntheticPasteDelay = 0.03;
    /// The longest a paste in flight keeps the next one waiting when nobody says it was asked
    /// for; the unmarked-paste bypass lasts as long. A busy machine's toolkit can take half a
    /// second to ask: staging the next item before then pastes it in the wrong place.
    static constexpr double pacingCap = 1.0;

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
    /// Makes what was just staged the clipboard's contents; true when a keystroke delivered
    /// afterwards is sure to find it. Without it (or when false) delivery waits
    /// `syntheticPasteDelay`.
    void setPublishWrites(std::function<bool()> publish) { publishWrites_ = std::move(publish); }

    /// Which shortcut runs each command; the tap takes the new ones at once.
    void setShortcutBindings(const ShortcutBindings& bindings);
    [[nodiscard]] const ShortcutBindings& shortcutBindings() const { return bindings_; }
    /// While the user records a shortcut in one of our windows, every key reaches it as typed.
    void setRecordingShortcut(bool recording) { recordingShortcut_ = recording; }

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
    /// The application asked for the item of the paste in flight (or another client took the
    /// clipboard): a waiting paste may stage the next one.
    void pasteDelivered();
    /// Nothing of ours is in flight any more (the queue went off): a paste key waiting for the
    /// one before goes on at once.
    void settlePacing() { endPacing(); }

    /// The tap's handler: decides at once what happens to one key-down.
    KeyAnswer handle(const KeyPress& press);

    [[nodiscard]] std::int64_t copyCaptureGeneration() const { return copyCaptureGeneration_; }
    [[nodiscard]] bool pendingSyntheticPaste() const { return pendingSyntheticPaste_; }
    [[nodiscard]] bool bypassNextPasteEvent() const { return bypassNextPasteEvent_; }

  private:
    /// A paste key pressed while another paste was in flight, held until it is over.
    struct WaitingPaste {
        std::uint64_t serial;
        bool burst;
        PasteKeyStyle style;
    };

    void scheduleCopyChecks();
    /// Stages and delivers one paste; `alreadyHeld` when the tap holds the keystroke already.
    KeyAnswer handlePaste(std::uint64_t serial, bool burst, PasteKeyStyle style, bool alreadyHeld);
    /// True when the staged item is on the clipboard for every application now.
    bool publish();
    /// Replays the held keystroke once the staged item is visible.
    void deliverHeld();
    /// Types `chord` (V with those modifiers) once the staged item is visible.
    void typePaste(unsigned chord, bool now);
    void startPacing();
    void endPacing();
    bool askDelegate(const KeyCommand& command);

    KeyboardTap& tap_;
    MainQueue& mainQueue_;
    ShortcutBindings bindings_;
    bool recordingShortcut_ = false;
    std::weak_ptr<PasteControllerDelegate> delegate_;
    std::function<void()> copyObserver_;
    std::function<bool()> publishWrites_;
    std::int64_t copyCaptureGeneration_ = 0;
    bool pendingSyntheticPaste_ = false;
    bool bypassNextPasteEvent_ = false;
    std::optional<std::uint64_t> heldSerial_;
    std::optional<WaitingPaste> waiting_;
    std::vector<TaskHandle> copyChecks_;
    TaskHandle deliveryTask_;
    TaskHandle pacingTask_;
};

}  // namespace tovra
