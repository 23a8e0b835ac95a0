// What each paste key delivers: the orders, bursts, terminals, late and refused requests.
#include "AppDelegateFixture.h"

namespace tovra {
namespace {

using test::AppDelegateTest;
using test::Texts;

TEST_F(AppDelegateTest, ThreeCopiedLinesPasteInEachOrder) {
    workspace.setFrontmostId("org.gnome.TextEditor");
    copy("first\nsecond\nthird");
    EXPECT_EQ(pasteAll(3), (Texts{"first", "second", "third"}));
    EXPECT_EQ(paste(), "third");  // empty queue: the paste passes with what the clipboard holds

    app->selectQueueMode("LIFO");
    copy("first\nsecond\nthird");
    EXPECT_EQ(pasteAll(3), (Texts{"third", "second", "first"}));
    EXPECT_EQ(engine.overrideFor(std::string("org.gnome.TextEditor")), QueueMode::lifo);
}

TEST_F(AppDelegateTest, SmartOrderFollowsTheApplicationAndLearns) {
    app->selectQueueMode("Smart");
    workspace.setFrontmostId("org.kde.konsole");
    copy("a\nb\nc\nd");
    EXPECT_EQ(paste(command | shift), "d");  // a terminal: newest first, with its paste key
    workspace.setFrontmostId("org.gnome.TextEditor");
    EXPECT_EQ(paste(), "a");
    EXPECT_EQ(engine.statsFor(std::string("org.kde.konsole")), (SmartModeStats{0, 1}));
    EXPECT_EQ(engine.statsFor(std::string("org.gnome.TextEditor")), (SmartModeStats{1, 0}));

    app->selectQueueMode("FIFO");   // an override for the editor...
    app->selectQueueMode("Smart");  // ...and picking smart removes it again
    EXPECT_EQ(engine.overrideFor(std::string("org.gnome.TextEditor")), std::nullopt);

    app->clearSmartLearning();
    EXPECT_EQ(engine.statsFor(std::string("org.kde.konsole")), std::nullopt);
}

TEST_F(AppDelegateTest, BurstJoinsWithTheChosenSeparatorAndPastesOnce) {
    const std::vector<std::pair<const char*, std::string>> cases{
        {"Tab", "a\tb\tc"}, {"Comma", "a,b,c"}, {"Newline", "a\nb\nc"}};
    for (const auto& [separator, joined] : cases) {
        app->selectBurstSeparator(separator);
        copy("a\nb\nc");
        EXPECT_EQ(paste(command | shift), joined) << separator;
        EXPECT_TRUE(app->activeQueue().isEmpty());
    }
    alerts.separatorAnswer = "";
    app->selectBurstSeparator("Custom");
    copy("a\nb");
    EXPECT_EQ(paste(command | shift), "ab");

    // Cancelling the dialog keeps the previous text, and custom stays chosen.
    alerts.separatorAnswer.reset();
    app->selectBurstSeparator("Custom");
    EXPECT_EQ(app->burstSeparator(), BurstSeparator::custom);
    EXPECT_EQ(app->customBurstSeparator(), "");
}

TEST_F(AppDelegateTest, InATerminalItsOwnPasteKeyPastesAndCtrlVTakesNothing) {
    app->selectQueueMode("FIFO");
    workspace.setFrontmostId("org.gnome.Terminal");
    copy("one\ntwo\nthree\nfour");
    // Ctrl+V is the terminal's "next character literally": untouched, and no item is taken.
    EXPECT_EQ(paste(command), "one\ntwo\nthree\nfour");
    EXPECT_EQ(app->activeQueue().count(), 4u);

    EXPECT_EQ(paste(command | shift), "one");
    EXPECT_EQ(keyboard.delivered().back().modifiers, command | shift);  // the user's own key

    // The burst moves to Ctrl+Alt+Shift+V, and Tovra types the terminal's paste key for it.
    keyboard.press(Key::v, command | option | shift);
    wait(200);
    EXPECT_EQ(test::clipboardText(pasteboard), "two\tthree\tfour");
    EXPECT_TRUE(keyboard.delivered().back().synthetic);
    EXPECT_EQ(keyboard.delivered().back().modifiers, command | shift);

    // A menu paste into the terminal types its key too.
    copy("five");
    app->pasteNextFromMenu();
    wait(200);
    EXPECT_EQ(keyboard.delivered().back().modifiers, command | shift);
    EXPECT_EQ(test::clipboardText(pasteboard), "five");
}

TEST_F(AppDelegateTest, WhereNoKeyPastesTheClipboardNothingIsStagedAndTheOverlaySaysWhy) {
    workspace.setFrontmostId("XTerm");
    copy("a\nb");
    for (const unsigned modifiers : {unsigned{command}, command | shift}) {
        EXPECT_EQ(paste(modifiers), "a\nb");  // the keys pass untouched
    }
    EXPECT_EQ(app->activeQueue().count(), 2u);
    EXPECT_NE(overlay.state.notice.find("XTerm"), std::string::npos);
    EXPECT_TRUE(overlay.visible);

    const int posted = keyboard.syntheticPastesPosted();
    app->pasteNextFromMenu();
    EXPECT_TRUE(app->pasteQueueItemFromMenu(0));
    wait(200);
    EXPECT_EQ(app->activeQueue().count(), 2u);  // nothing taken, nothing typed
    EXPECT_EQ(keyboard.syntheticPastesPosted(), posted);

    // The user says it is a terminal (with Ctrl+Shift+V): pastes work there from then on.
    app->markApplicationAsTerminal("XTerm", true);
    EXPECT_EQ(paste(command | shift), "a");
    // Any later refresh drops the notice.
    EXPECT_EQ(overlay.state.notice, "");
}

TEST_F(AppDelegateTest, AnItemNobodyAsksForGoesBackWhereItWasAndALateRequestTakesItAgain) {
    app->selectQueueMode("FIFO");
    copy("a\nb\nc");
    app->activeQueue().togglePin(app->activeQueue().items()[0].id);  // a pinned, handed out last
    keyboard.press(Key::v, command);  // reaches a window that ignores Ctrl+V: nobody asks
    wait(200);
    EXPECT_EQ(test::clipboardText(pasteboard), "b");
    EXPECT_EQ(app->activeQueue().count(), 2u);
    wait(PasteHandler::deliveryWindow.count());
    ASSERT_EQ(test::storedTexts(app->activeQueue()), (Texts{"a", "b", "c"}));
    EXPECT_TRUE(app->activeQueue().items()[0].isPinned);
    EXPECT_NE(overlay.state.notice.find("back in the queue"), std::string::npos);

    pasteboard.simulateTargetRequest();  // it asked after all
    EXPECT_EQ(test::storedTexts(app->activeQueue()), (Texts{"a", "c"}));
    EXPECT_EQ(paste(), "c");
}

TEST_F(AppDelegateTest, APasteBeforeTheLastItemWasAskedForDeliversThatItem) {
    app->selectQueueMode("FIFO");
    copy("a\nb\nc");
    keyboard.press(Key::v, command);  // into a window that ignores it
    wait(1000);
    EXPECT_EQ(paste(), "a");  // the user clicks the right field and pastes a second later
    EXPECT_EQ(test::storedTexts(app->activeQueue()), (Texts{"b", "c"}));
    wait(PasteHandler::deliveryWindow.count());
    EXPECT_EQ(test::storedTexts(app->activeQueue()), (Texts{"b", "c"}));

    // Burst meanwhile: the item nobody asked for is part of it.
    keyboard.press(Key::v, command);
    wait(500);
    keyboard.press(Key::v, command | shift);  // waits for the paste before, up to the cap
    wait(PasteController::pacingCap * 1000);
    EXPECT_EQ(test::clipboardText(pasteboard), "b\tc");
}

TEST_F(AppDelegateTest, ThePasteAfterOneStillBeingReadWaitsAndGetsTheNextItem) {
    pasteboard.setPublishesAtOnce(true);
    copy("a\nb");
    keyboard.press(Key::v, command);
    pasteboard.simulateTargetRequest(false);  // asked, and reading again (LibreOffice does)
    keyboard.press(Key::v, command);
    wait(100);
    EXPECT_TRUE(keyboard.held().has_value());  // not over what is still being read
    pasteboard.simulateTargetDoneReading();
    wait(10);
    EXPECT_EQ(test::clipboardText(pasteboard), "b");

    // Read for longer than a paste may hold the next one: the next item still, never the same.
    copy("c\nd");
    keyboard.press(Key::v, command);
    pasteboard.simulateTargetRequest(false);
    keyboard.press(Key::v, command);
    wait(PasteController::pacingCap * 1000 + 10);
    EXPECT_EQ(test::clipboardText(pasteboard), "d");
}

TEST_F(AppDelegateTest, AWaitingPasteTheKeyboardWatchdogLetGoStagesNothing) {
    pasteboard.setPublishesAtOnce(true);  // as on X11: the first paste goes on at once
    copy("a\nb");
    keyboard.press(Key::v, command);  // staged, and nobody asks yet
    keyboard.press(Key::v, command);  // held until the first is asked for
    ASSERT_TRUE(keyboard.held().has_value());
    keyboard.simulateWatchdogRelease();  // the main loop was stuck: it pasted what was there
    pasteboard.simulateTargetRequest();  // the first paste is asked for, which frees the second
    wait(PasteController::pacingCap * 1000 + 10);
    EXPECT_EQ(test::clipboardText(pasteboard), "a");
    EXPECT_EQ(test::storedTexts(app->activeQueue()), (Texts{"b"}));
    EXPECT_EQ(keyboard.strayResolutions(), 0);
}

TEST_F(AppDelegateTest, AnItemAnotherApplicationTookCountsAsPasted) {
    copy("a\nb");
    keyboard.press(Key::v, command);
    wait(200);
    pasteboard.simulateForeignText("copied meanwhile");  // e.g. a clipboard manager took it
    wait(PasteHandler::deliveryWindow.count());
    EXPECT_EQ(test::storedTexts(app->activeQueue()), (Texts{"b", "copied meanwhile"}));

    // Switching off wipes what we staged: nothing comes back into the emptied stacks either.
    copy("c");
    keyboard.press(Key::v, command);
    wait(200);
    app->setStackActive(false);
    wait(PasteHandler::deliveryWindow.count());
    EXPECT_TRUE(app->activeQueue().isEmpty());
}

TEST_F(AppDelegateTest, InTovrasOwnWindowsPasteKeysAndEscapePassButGlobalCommandsAct) {
    copy("a\nb");
    keyboard.setOwnWindowFocused(true);  // e.g. the queue panel or the preferences
    for (const unsigned modifiers : {unsigned{command}, command | shift}) {
        EXPECT_EQ(paste(modifiers), "a\nb");  // the field pastes the clipboard as it is
    }
    EXPECT_EQ(app->activeQueue().count(), 2u);

    ASSERT_TRUE(app->revealOverlay());
    const std::size_t delivered = keyboard.delivered().size();
    keyboard.press(Key::escape, noModifier);  // closes the panel; never clears the queue
    EXPECT_EQ(keyboard.delivered().size(), delivered + 1);
    EXPECT_EQ(app->activeQueue().count(), 2u);

    keyboard.press(Key::digit2, command | option);
    EXPECT_EQ(app->activeStackIndex(), 1);
    keyboard.press(Key::s, command | shift);
    wait(10);
    EXPECT_FALSE(app->isStackActive());
}

TEST_F(AppDelegateTest, ATextTovraCopiesIsQueuedAsOneItem) {
    app->copyText("App: Tovra\nVersion: 0.1.0");
    wait(600);  // the next polls see the change as ours
    EXPECT_EQ(stack(0).count(), 1U);
    EXPECT_EQ(paste(), "App: Tovra\nVersion: 0.1.0");
    app->setStackActive(false);
    app->copyText("while off");
    EXPECT_EQ(test::clipboardText(pasteboard), "while off");
    EXPECT_EQ(stack(0).count(), 0U);
}

}  // namespace
}  // namespace tovra
