#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Tovra/capture/ClipboardWatcher.h"
#include "Tovra/capture/PasteController.h"
#include "Tovra/capture/PasteboardCoordinator.h"
#include "Tovra/capture/QueueLifecycleController.h"
#include "Tovra/core/SmartModeEngine.h"
#include "Tovra/core/StackStore.h"
#include "platform/testing/FakeKeyboardTap.h"
#include "platform/testing/FakeMainQueue.h"
#include "platform/testing/FakePasteboard.h"
#include "platform/testing/FakeWorkspace.h"
#include "tests/core/CoreTestSupport.h"

namespace tovra::test {

/// Stands in for the application controller: captures go into the active stack, pastes stage
/// the next item, and every delegate call is recorded.
class RecordingController final : public ClipboardWatcherDelegate, public PasteControllerDelegate {
  public:
    explicit RecordingController(struct CaptureHarness& harness) : harness_(harness) {}

    void clipboardWatcherDidCapture(ClipboardWatcher&, ClipboardPayload payload) override;
    void toggleQueue() override {
        ++toggles;
        queueOn = !queueOn;
    }
    void captureAfterCopy() override;
    bool pasteNext() override;
    bool burstPaste() override;
    bool clearFromOverlay() override { return record("clearFromOverlay"); }
    bool dropNext() override { return record("dropNext"); }
    bool revealOverlay() override { return record("revealOverlay"); }
    bool moveNextUp() override { return record("moveNextUp"); }
    bool moveNextDown() override { return record("moveNextDown"); }
    bool swapEnds() override { return record("swapEnds"); }
    bool togglePinNext() override { return record("togglePinNext"); }
    bool selectStack(int index) override { return record("selectStack " + std::to_string(index)); }

    bool queueOn = true;
    bool handleOverlayCommands = true;
    int toggles = 0;
    int copyChecks = 0;
    std::vector<ClipboardPayload> captured;
    std::vector<std::string> commands;

  private:
    bool record(std::string name) {
        commands.push_back(std::move(name));
        return handleOverlayCommands;
    }
    void enqueueCapture(ClipboardPayload payload);

    struct CaptureHarness& harness_;
};

struct CaptureHarness {
    CaptureHarness() {
        watcher.setDelegate(controller);
        pasteController.setDelegate(controller);
    }

    /// Advances the virtual clock by milliseconds.
    void wait(double milliseconds) { mainQueue.advance(MainQueue::Seconds(milliseconds / 1000)); }

    testing::FakePasteboard pasteboard;
    testing::FakeMainQueue mainQueue;
    testing::FakeKeyboardTap keyboard;
    testing::FakeWorkspace workspace;
    SmartModeEngine engine;
    StackStore store{3, engine};
    ClipboardWatcher watcher{pasteboard, mainQueue};
    PasteboardCoordinator coordinator{pasteboard, watcher};
    QueueLifecycleController lifecycle{store, coordinator, mainQueue};
    PasteController pasteController{keyboard, mainQueue};
    std::shared_ptr<RecordingController> controller = std::make_shared<RecordingController>(*this);
};

inline void RecordingController::enqueueCapture(ClipboardPayload payload) {
    captured.push_back(payload);
    harness_.coordinator.setOwnsPasteboard(false);
    harness_.store.activeQueue().enqueuePayload(std::move(payload), true);
}

inline void RecordingController::clipboardWatcherDidCapture(ClipboardWatcher&,
                                                            ClipboardPayload payload) {
    if (queueOn) {
        enqueueCapture(std::move(payload));
    }
}

inline void RecordingController::captureAfterCopy() {
    ++copyChecks;
    if (!queueOn) {
        return;
    }
    if (auto payload = harness_.watcher.checkForChange()) {
        enqueueCapture(std::move(*payload));
    }
}

inline bool RecordingController::pasteNext() {
    if (!queueOn) {
        return false;
    }
    const auto front = harness_.workspace.frontmostApplication();
    return harness_.coordinator
        .stageNext(harness_.store.activeQueue(), front ? front->id : std::nullopt)
        .has_value();
}

inline bool RecordingController::burstPaste() {
    if (!queueOn) {
        return false;
    }
    auto burst = harness_.store.activeQueue().makeBurstPayload("\t");
    if (!burst) {
        return false;
    }
    harness_.coordinator.write(*burst);
    return true;
}

}  // namespace tovra::test
