#include "Tovra/capture/PasteController.h"

#include <gtest/gtest.h>

#include "CaptureHarness.h"
#include "tests/core/CoreTestSupport.h"

namespace tovra {
namespace {

using Kind = KeyCommand::Kind;
using test::clipboardText;
using test::plainPayload;

std::optional<KeyCommand> classify(Key key, unsigned modifiers, bool synthetic = false) {
    return KeyCommand::classify({key, modifiers, synthetic, 1}, ShortcutBindings{});
}

TEST(KeyCommandClassification, MatchesModifiersExactly) {
    const unsigned commandOption = command | option;
    EXPECT_EQ(classify(Key::s, command | shift), KeyCommand{Kind::toggleQueue});
    EXPECT_EQ(classify(Key::c, command), KeyCommand{Kind::copy});
    EXPECT_EQ(classify(Key::c, command | shift), std::nullopt);
    EXPECT_EQ(classify(Key::x, commandOption), KeyCommand{Kind::dropNext});
    EXPECT_EQ(classify(Key::w, commandOption), KeyCommand{Kind::swapEnds});
    EXPECT_EQ(classify(Key::digit3, commandOption), (KeyCommand{Kind::selectStack, 2}));
    EXPECT_EQ(classify(Key::p, commandOption), KeyCommand{Kind::revealOverlay});
    EXPECT_EQ(classify(Key::l, commandOption), KeyCommand{Kind::togglePinNext});
    EXPECT_EQ(classify(Key::upArrow, commandOption), KeyCommand{Kind::moveNextUp});
    EXPECT_EQ(classify(Key::downArrow, commandOption), KeyCommand{Kind::moveNextDown});
    EXPECT_EQ(classify(Key::other, commandOption), std::nullopt);
    EXPECT_EQ(classify(Key::x, commandOption | shift), std::nullopt);
    EXPECT_EQ(classify(Key::escape, noModifier), KeyCommand{Kind::clearFromOverlay});
    EXPECT_EQ(classify(Key::escape, shift), std::nullopt);
    EXPECT_EQ(classify(Key::v, command), KeyCommand{Kind::paste});
    EXPECT_EQ(classify(Key::v, command, true), KeyCommand{Kind::syntheticPaste});
    EXPECT_EQ(classify(Key::v, command | shift), KeyCommand{Kind::burstPaste});
    EXPECT_EQ(classify(Key::v, command | control), std::nullopt);
}

TEST(KeyCommandClassification, VChordsFollowHowTheApplicationInFrontPastes) {
    const auto in = [](PasteKeyStyle style, unsigned modifiers) {
        return KeyCommand::classify({Key::v, modifiers, false, 1}, ShortcutBindings{},
                                    [style] { return style; });
    };
    const unsigned terminalBurst = command | option | shift;
    // Terminals read Ctrl+V as "next character literally": it passes, and their own key pastes.
    EXPECT_EQ(in(PasteKeyStyle::controlShiftV, command), std::nullopt);
    EXPECT_EQ(in(PasteKeyStyle::controlShiftV, command | shift), KeyCommand{Kind::paste});
    EXPECT_EQ(in(PasteKeyStyle::controlShiftV, terminalBurst), KeyCommand{Kind::burstPaste});
    EXPECT_EQ(in(PasteKeyStyle::controlAltV, command | option), KeyCommand{Kind::paste});
    EXPECT_EQ(in(PasteKeyStyle::controlAltV, command | shift), std::nullopt);
    EXPECT_EQ(in(PasteKeyStyle::controlV, terminalBurst), std::nullopt);
    // xterm: no key pastes the clipboard, so every paste chord passes and says why.
    for (const unsigned modifiers : {unsigned{command}, command | shift, terminalBurst}) {
        EXPECT_EQ(in(PasteKeyStyle::none, modifiers), KeyCommand{Kind::pasteUnavailable});
    }
    // Our own injected chord passes in any application.
    EXPECT_EQ(KeyCommand::classify({Key::v, command | shift, true, 1}, ShortcutBindings{},
                                   [] { return PasteKeyStyle::controlShiftV; }),
              KeyCommand{Kind::syntheticPaste});
}

TEST(KeyCommandClassification, OnlyAVChordAsksHowTheApplicationPastes) {
    int asked = 0;
    const auto style = [&asked] {
        ++asked;
        return PasteKeyStyle::controlV;
    };
    const ShortcutBindings bindings;
    (void)KeyCommand::classify({Key::c, command, false, 1}, bindings, style);
    (void)KeyCommand::classify({Key::x, command | option, false, 1}, bindings, style);
    (void)KeyCommand::classify({Key::escape, noModifier, false, 1}, bindings, style);
    EXPECT_EQ(asked, 0);
    (void)KeyCommand::classify({Key::v, command, false, 1}, bindings, style);
    EXPECT_EQ(asked, 1);
}

class PasteControllerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(h.pasteController.start());
        h.watcher.start();
    }
    void queueItems(std::string_view lines) {
        h.store.activeQueue().enqueuePayload(plainPayload(lines), true);
    }
    std::size_t delivered() const { return h.keyboard.delivered().size(); }

    test::CaptureHarness h;
};

TEST_F(PasteControllerTest, CopyPassesAndIsCapturedOnceByTheFastChecks) {
    int observed = 0;
    h.pasteController.setCopyObserver([&] { ++observed; });
    h.keyboard.press(Key::c, command);
    EXPECT_EQ(observed, 1);
    EXPECT_EQ(delivered(), 1u);
    h.wait(5);
    h.pasteboard.simulateForeignText("copied");
    h.wait(9);  // the 10 ms check, well before the next poll
    EXPECT_EQ(h.controller->captured.size(), 1u);
    h.wait(500);
    EXPECT_EQ(h.controller->copyChecks, 5);
    EXPECT_EQ(h.controller->captured.size(), 1u);
}

TEST_F(PasteControllerTest, ASecondCopyCancelsTheFirstsRemainingChecks) {
    h.keyboard.press(Key::c, command);
    h.wait(50);  // checks at 10 and 30 ms have run
    h.keyboard.press(Key::c, command);
    h.wait(300);
    EXPECT_EQ(h.controller->copyChecks, 2 + 5);
}

TEST_F(PasteControllerTest, PasteHoldsTheKeystrokeStagesAndReplaysIt30msLater) {
    queueItems("first\nsecond");
    h.keyboard.press(Key::v, command);
    EXPECT_TRUE(h.keyboard.held().has_value());
    EXPECT_EQ(clipboardText(h.pasteboard), "first");
    EXPECT_TRUE(h.pasteController.pendingSyntheticPaste());
    h.wait(29);
    EXPECT_EQ(delivered(), 0u);
    h.wait(1);
    ASSERT_EQ(delivered(), 1u);
    EXPECT_EQ(h.keyboard.delivered()[0].key, Key::v);
    h.wait(PasteController::pacingCap * 1000);
    EXPECT_FALSE(h.pasteController.pendingSyntheticPaste());
    EXPECT_FALSE(h.pasteController.bypassNextPasteEvent());
    EXPECT_EQ(h.store.activeQueue().count(), 1u);
    EXPECT_EQ(h.controller->captured.size(), 0u);  // the staging is never captured
}

TEST_F(PasteControllerTest, WhereWritesArePublishedAtOnceThePasteGoesOnWithoutWaiting) {
    queueItems("first\nsecond");
    std::vector<std::string> clipboardWhenPublished;
    std::size_t deliveredWhenPublished = 99;
    h.pasteController.setPublishWrites([&] {
        clipboardWhenPublished.push_back(clipboardText(h.pasteboard));
        deliveredWhenPublished = delivered();
        return true;
    });
    h.keyboard.press(Key::v, command);
    // Published after staging, before the keystroke went on: no clock has moved.
    EXPECT_EQ(clipboardWhenPublished, std::vector<std::string>{"first"});
    EXPECT_EQ(deliveredWhenPublished, 0u);
    ASSERT_EQ(delivered(), 1u);
    EXPECT_FALSE(h.keyboard.held().has_value());
    EXPECT_EQ(h.mainQueue.elapsed(), 0.0);

    // A burst types its paste at once too.
    h.pasteController.pasteDelivered();
    h.keyboard.press(Key::v, command | shift);
    EXPECT_EQ(h.keyboard.syntheticPastesPosted(), 1);
    EXPECT_EQ(clipboardWhenPublished.back(), "second");
}

TEST_F(PasteControllerTest, ASecondPasteWaitsHeldUntilTheFirstWasAskedFor) {
    queueItems("first\nsecond\nthird");
    h.pasteController.setPublishWrites([] { return true; });
    h.keyboard.press(Key::v, command);
    ASSERT_EQ(delivered(), 1u);
    h.keyboard.press(Key::v, command);
    h.keyboard.press(Key::other, noModifier);
    // Item 2 is not staged while the application may still be reading item 1.
    EXPECT_TRUE(h.keyboard.held().has_value());
    EXPECT_EQ(h.keyboard.queuedCount(), 1u);
    EXPECT_EQ(clipboardText(h.pasteboard), "first");
    h.wait(10);
    EXPECT_EQ(delivered(), 1u);

    h.pasteController.pasteDelivered();
    EXPECT_EQ(clipboardText(h.pasteboard), "second");
    ASSERT_EQ(delivered(), 3u);  // the waiting paste, then the key typed behind it
    EXPECT_EQ(h.keyboard.delivered()[1].key, Key::v);
    EXPECT_EQ(h.keyboard.delivered()[2].key, Key::other);
    EXPECT_TRUE(h.keyboard.swallowed().empty());

    // Nobody says the second was asked for: the third waits no longer than the cap.
    h.keyboard.press(Key::v, command);
    EXPECT_EQ(clipboardText(h.pasteboard), "second");
    h.wait(PasteController::pacingCap * 1000);
    EXPECT_EQ(clipboardText(h.pasteboard), "third");
    EXPECT_EQ(delivered(), 4u);
    EXPECT_EQ(h.keyboard.strayResolutions(), 0);
}

TEST_F(PasteControllerTest, APasteKeyAfterOneTheTapHadToLetGoWaitsInItsPlace) {
    queueItems("first\nsecond");
    h.pasteController.setPublishWrites([] { return true; });
    h.keyboard.press(Key::v, command);
    h.keyboard.press(Key::v, command);
    h.keyboard.simulateWatchdogRelease();  // held too long: it pasted what was there
    ASSERT_EQ(delivered(), 2u);
    h.keyboard.press(Key::v, command);
    EXPECT_TRUE(h.keyboard.held().has_value());
    EXPECT_TRUE(h.keyboard.swallowed().empty());
    h.pasteController.pasteDelivered();
    EXPECT_EQ(clipboardText(h.pasteboard), "second");
    EXPECT_EQ(delivered(), 3u);
    EXPECT_EQ(h.keyboard.strayResolutions(), 0);
}

TEST_F(PasteControllerTest, KeysPressedWhileAPasteIsHeldWaitInOrder) {
    queueItems("first\nsecond");
    h.keyboard.press(Key::v, command);
    h.keyboard.press(Key::v, command);
    h.keyboard.press(Key::other, noModifier);
    EXPECT_EQ(h.keyboard.queuedCount(), 2u);
    h.wait(30);
    // The replayed paste; the second paste waits for the first to be over, the key behind it too.
    ASSERT_EQ(delivered(), 1u);
    EXPECT_EQ(clipboardText(h.pasteboard), "first");

    // The replay does not come back through the tap: nothing lets the next real paste through
    // unchanged while this one is in flight.
    h.wait(PasteController::pacingCap * 1000 + 30);
    ASSERT_EQ(delivered(), 3u);
    EXPECT_EQ(h.keyboard.delivered()[1].key, Key::v);
    EXPECT_EQ(h.keyboard.delivered()[2].key, Key::other);
    EXPECT_TRUE(h.keyboard.swallowed().empty());
    EXPECT_EQ(clipboardText(h.pasteboard), "second");
    EXPECT_EQ(h.store.activeQueue().count(), 0u);
}

TEST_F(PasteControllerTest, AWaitingPasteWithAnEmptyQueuePassesAndStoppingReleasesIt) {
    queueItems("only");
    h.pasteController.setPublishWrites([] { return true; });
    h.keyboard.press(Key::v, command);
    h.keyboard.press(Key::v, command);
    h.pasteController.pasteDelivered();
    EXPECT_EQ(delivered(), 2u);  // nothing left to stage: the clipboard pastes as it is
    EXPECT_FALSE(h.keyboard.held().has_value());

    queueItems("a\nb");
    h.keyboard.press(Key::v, command);
    h.keyboard.press(Key::v, command);
    ASSERT_TRUE(h.keyboard.held().has_value());
    h.pasteController.stop();
    EXPECT_FALSE(h.keyboard.held().has_value());
    EXPECT_EQ(delivered(), 4u);
    EXPECT_EQ(h.keyboard.strayResolutions(), 0);
}

TEST_F(PasteControllerTest, APasteAfterACopyDropsThatCopysPendingChecks) {
    queueItems("item");
    h.keyboard.press(Key::c, command);
    h.keyboard.press(Key::v, command);
    h.wait(300);
    EXPECT_EQ(h.controller->copyChecks, 0);
}

TEST_F(PasteControllerTest, UnmarkedInjectedPasteIsLetThroughOnceByTheBypass) {
    h.keyboard.setMarksInjectedPastes(false);
    queueItems("a");
    h.controller->pasteNext();
    h.pasteController.scheduleSyntheticPaste();
    h.wait(30);
    ASSERT_EQ(delivered(), 1u);
    EXPECT_FALSE(h.pasteController.bypassNextPasteEvent());
    EXPECT_TRUE(h.pasteController.pendingSyntheticPaste());
    h.wait(PasteController::pacingCap * 1000);
    EXPECT_FALSE(h.pasteController.pendingSyntheticPaste());
}

TEST_F(PasteControllerTest, OverlayCommandsAreSwallowedOnlyWhenHandled) {
    h.keyboard.setOverlayShortcutsActive(true);
    h.keyboard.press(Key::digit2, command | option);
    h.keyboard.press(Key::escape, noModifier);
    EXPECT_EQ(h.keyboard.swallowed().size(), 2u);
    h.controller->handleOverlayCommands = false;
    h.keyboard.press(Key::l, command | option);
    EXPECT_EQ(delivered(), 1u);
    EXPECT_EQ(h.controller->commands,
              (std::vector<std::string>{"selectStack 1", "clearFromOverlay", "togglePinNext"}));
}

TEST_F(PasteControllerTest, StoppingOrLosingTheControllerNeverLeavesAKeyHeld) {
    queueItems("a\nb");
    h.keyboard.press(Key::v, command);
    h.pasteController.stop();
    EXPECT_FALSE(h.keyboard.held().has_value());
    EXPECT_EQ(delivered(), 1u);
    h.wait(200);
    EXPECT_EQ(h.keyboard.strayResolutions(), 0);

    testing::FakeKeyboardTap keyboard;
    {
        PasteController controller(keyboard, h.mainQueue);
        controller.setDelegate(h.controller);
        controller.start();
        keyboard.press(Key::v, command);
        EXPECT_TRUE(keyboard.held().has_value());
    }
    EXPECT_FALSE(keyboard.held().has_value());
    h.wait(200);
    EXPECT_EQ(keyboard.strayResolutions(), 0);
}

}  // namespace
}  // namespace tovra
