// The real clipboard, keyboard and workspace backends under the capture logic on a private X
// server, where a test can see inside: what the queue does while a read is under way. The rest
// of copy and paste end to end is the binary's (tests/e2e).
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <memory>

#include "BackgroundProcess.h"
#include "PasteTargetProcess.h"
#include "PhysicalKeyboard.h"
#include "Processes.h"
#include "Tovra/capture/ClipboardWatcher.h"
#include "Tovra/capture/PasteController.h"
#include "Tovra/capture/PasteboardCoordinator.h"
#include "Tovra/core/SmartModeEngine.h"
#include "Tovra/core/StackStore.h"
#include "WindowManager.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/x11/X11Platform.h"

namespace tovra {
namespace {

using test::waitUntil;

/// The queue as the application runs it, reduced to copy, paste and burst.
class LiveQueue final : public ClipboardWatcherDelegate, public PasteControllerDelegate {
  public:
    LiveQueue() {
        std::string error;
        // The same backends the application runs on, built the same way.
        X11Platform::Options options;
        options.pasteboard.maxBytes = maxPayloadBytes;
        platform = X11Platform::open(nullptr, queue, options, error);
        pasteboard = &platform->x11Pasteboard();
        workspace = &platform->workspace();
        watcher = std::make_shared<ClipboardWatcher>(*pasteboard, queue);
        coordinator = std::make_unique<PasteboardCoordinator>(*pasteboard, *watcher);
        pasteController = std::make_unique<PasteController>(platform->keyboardTap(), queue);
        pasteController->setCopyObserver([this] { pasteboard->recheck(); });
    }

    void start(const std::shared_ptr<LiveQueue>& self) {
        watcher->setDelegate(self);
        pasteController->setDelegate(self);
        ASSERT_TRUE(pasteController->start());
        watcher->start();
    }

    QueueManager& stack() { return store->activeQueue(); }

    void clipboardWatcherDidCapture(ClipboardWatcher&, ClipboardPayload payload) override {
        enqueue(std::move(payload));
    }
    void captureAfterCopy() override {
        if (auto payload = watcher->checkForChange()) {
            enqueue(std::move(*payload));
        }
    }
    bool pasteNext() override {
        readingWhenPasted = pasteboard->isReading();
        return coordinator->stageNext(stack(), frontmostId()).has_value();
    }
    bool burstPaste() override {
        auto burst = stack().makeBurstPayload(",");
        if (!burst) {
            return false;
        }
        coordinator->write(*burst);
        return true;
    }
    void toggleQueue() override {}
    bool clearFromOverlay() override { return false; }
    bool dropNext() override { return false; }
    bool revealOverlay() override { return false; }
    bool moveNextUp() override { return false; }
    bool moveNextDown() override { return false; }
    bool swapEnds() override { return false; }
    bool togglePinNext() override { return false; }
    bool selectStack(int) override { return false; }

    QtMainQueue queue;
    std::unique_ptr<X11Platform> platform;
    X11Pasteboard* pasteboard = nullptr;
    Workspace* workspace = nullptr;
    SmartModeEngine engine;
    std::shared_ptr<StackStore> store = std::make_shared<StackStore>(3, engine);
    std::shared_ptr<ClipboardWatcher> watcher;
    std::unique_ptr<PasteboardCoordinator> coordinator;
    std::unique_ptr<PasteController> pasteController;
    bool readingWhenPasted = false;

  private:
    std::optional<std::string> frontmostId() {
        const auto front = workspace->frontmostApplication();
        return front ? front->id : std::nullopt;
    }
    void enqueue(ClipboardPayload payload) {
        coordinator->setOwnsPasteboard(false);
        stack().setSmartContext(frontmostId());
        stack().enqueuePayload(std::move(payload), true);
    }
};

class CaptureAndPasteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(keyboard.isOpen());
        ASSERT_TRUE(windowManager.waitUntilReady());
        live->start(live);
    }

    /// Starts the paste target and waits until it is the application in front.
    void startTarget(const std::string& initialText = {}) {
        target = std::make_unique<test::PasteTargetProcess>(TOVRA_PASTE_TARGET, initialText);
        ASSERT_TRUE(waitUntil(
            [&] {
                const auto front = live->workspace->frontmostApplication();
                return front && front->pid == target->pid();
            },
            10000));
    }

    test::WindowManager windowManager;
    std::shared_ptr<LiveQueue> live = std::make_shared<LiveQueue>();
    test::PhysicalKeyboard keyboard;
    std::unique_ptr<test::PasteTargetProcess> target;
};

TEST_F(CaptureAndPasteTest, KeystrokesAreAnsweredWhileAnOwnerKeepsUsWaiting) {
    startTarget();
    // An owner that never answers: our read of it waits for its deadline.
    std::string error;
    auto silent = X11Connection::open(nullptr, error);
    const auto helper = silent->createHelperWindow(XCB_EVENT_MASK_PROPERTY_CHANGE);
    const xcb_window_t window = helper->id();
    xcb_set_selection_owner(silent->get(), window, silent->atom("CLIPBOARD"),
                            silent->serverTime(window));
    silent->flush();
    ASSERT_TRUE(waitUntil([&] { return live->pasteboard->isReading(); }));
    keyboard.chord({"Control_L", "v"});
    ASSERT_TRUE(waitUntil([&] { return live->readingWhenPasted; }, 1000));
}

}  // namespace
}  // namespace tovra
