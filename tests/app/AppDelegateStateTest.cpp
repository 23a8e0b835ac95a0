// The queue's state and its surfaces: on and off, sleep, quit, expiry, the overlay, the menu,
// the panel, permission, preferences and the frame.
#include "AppDelegateFixture.h"

namespace tovra {
namespace {

using test::AppDelegateTest;
using test::Texts;

TEST_F(AppDelegateTest, ShortcutsAnotherProgramTakesAreShownWhereverTheStateIs) {
    EXPECT_TRUE(status.state.unavailableShortcuts.empty());
    keyboard.simulateShortcutTaken({Key::p, command | option});  // e.g. after a layout change
    const std::vector<std::string> taken{"Ctrl+Alt+P"};
    EXPECT_EQ(status.state.unavailableShortcuts, taken);
    EXPECT_EQ(control.unavailableShortcuts, taken);
    app->openPreferencesFromMenu();
    EXPECT_EQ(preferences.shown.back().unavailableShortcuts, taken);
}

TEST_F(AppDelegateTest, SwitchingOffEmptiesEveryStackAndWipesOurClipboard) {
    for (int index : {0, 1, 2}) {
        app->selectStack(index);
        copy("item " + std::to_string(index) + "\nmore");
    }
    app->selectStack(0);
    keyboard.press(Key::v, command);  // stages "item 0"
    wait(200);
    keyboard.press(Key::s, command | shift);
    queue.runReady();
    EXPECT_FALSE(app->isStackActive());
    for (std::size_t index : {0u, 1u, 2u}) {
        EXPECT_TRUE(stack(index).isEmpty());
    }
    EXPECT_TRUE(pasteboard.contents().empty());

    // While off every shortcut but the switch passes, and copies are not captured.
    copy("ignored");
    EXPECT_EQ(paste(), "ignored");
    EXPECT_TRUE(app->activeQueue().isEmpty());
    keyboard.press(Key::s, command | shift);
    queue.runReady();
    EXPECT_TRUE(app->isStackActive());
}

TEST_F(AppDelegateTest, SleepEmptiesTheStacksButKeepsTheQueueOn) {
    copy("one\ntwo");
    app->selectStack(1);
    copy("three");
    app->workspaceWillSleep();
    EXPECT_TRUE(stack(0).isEmpty());
    EXPECT_TRUE(stack(1).isEmpty());
    EXPECT_TRUE(app->isStackActive());
    copy("after waking");
    EXPECT_EQ(app->activeQueue().count(), 1u);
}

TEST_F(AppDelegateTest, QuittingWipesOnlyOurOwnClipboard) {
    copy("a\nb");
    keyboard.press(Key::v, command);
    app->applicationWillTerminate();
    EXPECT_TRUE(pasteboard.contents().empty());
    EXPECT_FALSE(keyboard.held().has_value());  // the held paste was let go
    EXPECT_FALSE(keyboard.isRunning());

    launch();
    copy("the user's copy");
    app->applicationWillTerminate();
    EXPECT_EQ(test::clipboardText(pasteboard), "the user's copy");
}

TEST_F(AppDelegateTest, ACopyCheckThatArrivesWhileOffCapturesNothing) {
    pasteboard.simulateForeignText("late");
    keyboard.press(Key::c, command);
    app->setStackActive(false);
    wait(300);
    app->setStackActive(true);
    wait(300);
    EXPECT_TRUE(app->activeQueue().isEmpty());
}

TEST_F(AppDelegateTest, OverlayCommandsActOnlyWhileTheOverlayIsVisible) {
    copy("a\nb\nc");
    wait(3'000);  // the 2.5 s overlay is gone, and its keys are every application's again
    ASSERT_FALSE(overlay.visible);
    EXPECT_FALSE(keyboard.overlayShortcutsActive());
    for (const Key key : {Key::x, Key::w, Key::l, Key::upArrow, Key::downArrow}) {
        keyboard.press(key, command | option);
    }
    keyboard.press(Key::escape, noModifier);
    EXPECT_EQ(keyboard.swallowed().size(), 0u);
    EXPECT_EQ(test::storedTexts(app->activeQueue()), (Texts{"a", "b", "c"}));

    keyboard.press(Key::p, command | option);  // reveal: shown for 6 s
    EXPECT_DOUBLE_EQ(overlay.shownFor, 6.0);
    EXPECT_TRUE(keyboard.overlayShortcutsActive());
    keyboard.press(Key::w, command | option);
    EXPECT_EQ(test::storedTexts(app->activeQueue()), (Texts{"c", "b", "a"}));
    keyboard.press(Key::upArrow, command | option);  // the first item: nothing to move, swallowed
    keyboard.press(Key::x, command | option);
    EXPECT_EQ(test::storedTexts(app->activeQueue()), (Texts{"b", "a"}));
    keyboard.press(Key::escape, noModifier);
    EXPECT_TRUE(app->activeQueue().isEmpty());
    EXPECT_EQ(keyboard.swallowed().size(), 5u);

    keyboard.press(Key::digit3, command | option);
    EXPECT_EQ(app->activeStackIndex(), 2);
    EXPECT_EQ(keyboard.swallowed().size(), 6u);
}

TEST_F(AppDelegateTest, OverlayRowsChangeTheQueueAndRevealIt) {
    copy("a\nb\nc");
    app->selectQueueMode("LIFO");
    // The overlay lists the stack as stored, whatever the mode.
    ASSERT_EQ(overlay.state.rows.size(), 3u);
    EXPECT_EQ(overlay.state.rows.front().previewText, "a");
    app->hudDidMoveItem(overlay.state.rows.front().id, 2);
    EXPECT_EQ(test::storedTexts(app->activeQueue()), (Texts{"b", "c", "a"}));
    EXPECT_DOUBLE_EQ(overlay.shownFor, 6.0);
    app->hudDidTogglePin(overlay.state.rows.front().id);
    EXPECT_TRUE(app->activeQueue().items().front().isPinned);
    app->hudDidDeleteItem(overlay.state.rows.back().id);
    EXPECT_EQ(test::storedTexts(app->activeQueue()), (Texts{"b", "c"}));
}

TEST_F(AppDelegateTest, SurfacesShowTitleStateAndMasking) {
    app->selectStack(1);
    app->selectQueueMode("Smart");
    workspace.setFrontmostId("kitty");
    copy("one\ntwo\nthree");
    EXPECT_EQ(app->overlayTitle(), "Tovra 2 \u00B7 Smart / LIFO (3)");
    EXPECT_EQ(overlay.state.title, app->overlayTitle());
    EXPECT_DOUBLE_EQ(overlay.shownFor, 2.5);
    EXPECT_EQ(overlay.state.rows.front().previewText, "one");
    EXPECT_EQ(status.state.count, 3u);
    EXPECT_EQ(control.stackNumber, 2);
    app->showStackFromMenu();
    EXPECT_EQ(control.presented, 1);
    EXPECT_TRUE(status.state.isActive && status.state.shortcutCaptureAvailable);

    app->selectPrivacyMode("Sensitive");
    app->toggleHUDInteraction();
    EXPECT_EQ(overlay.state.privacyMode, PrivacyMode::sensitive);
    EXPECT_TRUE(overlay.state.ignoresMouse);
    app->selectPrivacyMode("nonsense");
    EXPECT_EQ(app->privacyMode(), PrivacyMode::sensitive);
}

TEST_F(AppDelegateTest, MenuItemsAreEnabledOnlyWhenTheyCanAct) {
    using Action = AppDelegate::MenuAction;
    EXPECT_FALSE(app->validateMenuItem(Action::pasteNext));
    EXPECT_FALSE(app->validateMenuItem(Action::clearQueue));
    EXPECT_TRUE(app->validateMenuItem(Action::other));
    copy("x");
    EXPECT_TRUE(app->validateMenuItem(Action::pasteNext));
    EXPECT_TRUE(app->validateMenuItem(Action::clearQueue));
    app->setStackActive(false);
    copy("y");
    EXPECT_FALSE(app->validateMenuItem(Action::pasteNext));
}

TEST_F(AppDelegateTest, AtRestNothingIsScheduledAndAnEmptiedQueueGivesItsMemoryBack) {
    copy("a\nb\nc");
    EXPECT_EQ(paste(), "a");
    wait(3'000);  // the overlay hides, the paste is settled
    app->clearFromControlWindow();
    wait(3'000);
    EXPECT_EQ(memoryReleases, 1);
    wait(6'000);  // the clear can no longer be taken back: what it kept is freed too
    EXPECT_EQ(memoryReleases, 2);
    // Nothing polls or ticks while nothing happens, with the queue on or off.
    EXPECT_EQ(queue.pendingCount(), 0u);
    keyboard.press(Key::s, command | shift);
    wait(3'000);
    EXPECT_FALSE(app->isStackActive());
    EXPECT_EQ(queue.pendingCount(), 0u);
}

TEST_F(AppDelegateTest, EscapeClearsOnlyAnOverlayTheUserSummonedAndTheClearCanBeTakenBackOnce) {
    copy("a\nb");
    ASSERT_TRUE(overlay.visible);  // shown by the copy, not asked for
    EXPECT_FALSE(overlay.state.escapeClears);
    keyboard.press(Key::escape, noModifier);  // meant for a dialog or an editor
    EXPECT_EQ(keyboard.swallowed().size(), 0u);
    EXPECT_EQ(app->activeQueue().count(), 2u);

    overlay.pointerOver = true;  // the pointer on it is asking too
    keyboard.press(Key::escape, noModifier);
    EXPECT_TRUE(app->activeQueue().isEmpty());
    EXPECT_TRUE(overlay.state.canUndoClear);
    EXPECT_TRUE(status.state.canUndoClear);
    overlay.pointerOver = false;
    copy("c");
    ASSERT_TRUE(overlay.clickUndo);
    overlay.clickUndo();  // back before what came since
    EXPECT_EQ(test::storedTexts(app->activeQueue()), (Texts{"a", "b", "c"}));
    EXPECT_FALSE(status.state.canUndoClear);
    app->undoClear();  // once only
    EXPECT_EQ(app->activeQueue().count(), 3u);

    keyboard.press(Key::p, command | option);  // summoned: Escape clears, and it says so
    EXPECT_TRUE(overlay.state.escapeClears);
    copy("d");  // a copy meanwhile leaves it summoned
    keyboard.press(Key::escape, noModifier);
    EXPECT_TRUE(app->activeQueue().isEmpty());
    wait(9'000);  // the chance lapses, and the kept items go
    EXPECT_FALSE(status.state.canUndoClear);
    app->undoClear();
    EXPECT_TRUE(app->activeQueue().isEmpty());

    keyboard.press(Key::p, command | option);
    copy("e");
    keyboard.press(Key::s, command | shift);  // off keeps nothing to take back
    EXPECT_FALSE(status.state.canUndoClear);
}

TEST_F(AppDelegateTest, ClearingAsksFromTheMenuAndThePanelButNotTheControlWindow) {
    copy("a\nb");
    alerts.confirmClear = false;
    app->clearQueueFromMenu();
    EXPECT_EQ(app->activeQueue().count(), 2u);
    alerts.confirmClear = true;
    app->clearQueueFromMenu();
    EXPECT_TRUE(app->activeQueue().isEmpty());
    EXPECT_EQ(alerts.clearQuestions, 2);

    copy("c");
    EXPECT_EQ(control.itemCount, 1u);
    app->clearFromControlWindow();  // unasked, so the overlay offers it back
    EXPECT_EQ(control.itemCount, 0u);
    EXPECT_TRUE(overlay.state.canUndoClear);
    copy("d");
    alerts.confirmClear = false;
    app->clearFromPanel();  // "Clear all": no undo, so it asks
    EXPECT_EQ(app->activeQueue().count(), 1u);
    alerts.confirmClear = true;
    app->clearFromPanel();
    EXPECT_TRUE(app->activeQueue().isEmpty());
    EXPECT_EQ(alerts.clearQuestions, 4);
}

TEST_F(AppDelegateTest, ChosenItemsPasteByPositionAndFromThePanelIntoThePreviousApp) {
    copy("a\nb\nc");
    EXPECT_FALSE(app->pasteQueueItemFromMenu(7));
    const std::size_t delivered = keyboard.delivered().size();
    ASSERT_TRUE(app->pasteQueueItemFromMenu(1));
    wait(100);
    EXPECT_EQ(test::clipboardText(pasteboard), "b");
    EXPECT_EQ(keyboard.syntheticPastesPosted(), 1);
    EXPECT_EQ(keyboard.delivered().size(), delivered + 1);

    // From the panel: back to the application in front before it opened, then paste.
    workspace.setFrontmost(FrontmostApplication{"org.gnome.TextEditor", 7, 42});
    app->openQueueFromMenu();
    workspace.setFrontmost(FrontmostApplication{"tovra", 8, 99});
    app->pasteItem(app->panelItems().front().id);
    EXPECT_FALSE(panel.isOpen);
    EXPECT_EQ(workspace.frontmostApplication()->window, 42u);
    EXPECT_EQ(keyboard.syntheticPastesPosted(), 1);
    wait(300);
    EXPECT_EQ(keyboard.syntheticPastesPosted(), 2);
    EXPECT_EQ(test::clipboardText(pasteboard), "a");
}

TEST_F(AppDelegateTest, APanelPasteWaitsUntilItsApplicationIsInFrontOrKeepsTheItem) {
    copy("a\nb");
    const FrontmostApplication editor{"org.gnome.TextEditor", 7, 42};
    workspace.holdActivations();  // the window manager takes its time
    workspace.setFrontmost(editor);
    app->openQueueFromMenu();
    workspace.setFrontmost(FrontmostApplication{"tovra", 8, 99});
    app->pasteItem(app->panelItems().front().id);
    wait(500);
    EXPECT_EQ(keyboard.syntheticPastesPosted(), 0);  // not into the wrong window
    workspace.completeActivation();
    wait(200);
    EXPECT_EQ(keyboard.syntheticPastesPosted(), 1);
    EXPECT_EQ(test::clipboardText(pasteboard), "a");

    // It never comes back: the item stays, and the overlay says why.
    app->openQueueFromMenu();
    workspace.setFrontmost(FrontmostApplication{"tovra", 8, 99});
    app->pasteItem(app->panelItems().front().id);
    wait(PasteHandler::activationDeadline.count() + 100);
    EXPECT_EQ(keyboard.syntheticPastesPosted(), 1);
    EXPECT_EQ(test::storedTexts(app->activeQueue()), (Texts{"b"}));
    EXPECT_NE(overlay.state.notice.find("did not come back"), std::string::npos);
}

TEST_F(AppDelegateTest, MissingPermissionShowsTheWindowAndRetryRecovers) {
    trust.trusted = false;
    launch();
    EXPECT_FALSE(app->isStackActive());
    EXPECT_TRUE(permission.shown);
    EXPECT_FALSE(app->validateMenuItem(AppDelegate::MenuAction::pasteNext));
    EXPECT_FALSE(status.state.isActive);

    permission.retry();  // before the permission exists: nothing, and no prompt
    EXPECT_TRUE(permission.shown);
    EXPECT_EQ(trust.prompts, 0);

    app->checkPermissionFromMenu();  // prompts, and keeps one window
    EXPECT_EQ(trust.prompts, 1);
    EXPECT_TRUE(permission.shown);

    trust.trusted = true;
    permission.retry();
    EXPECT_TRUE(app->isStackActive());
    EXPECT_TRUE(keyboard.isRunning());
    EXPECT_FALSE(permission.shown);
}

TEST_F(AppDelegateTest, RefusedTapLeavesTheQueueOffWithoutAWindow) {
    keyboard.refuseStart(true);
    keyboard.stop();
    app->setStackActive(false);
    app->setStackActive(true);
    EXPECT_FALSE(app->isStackActive());
    EXPECT_FALSE(app->shortcutCaptureAvailable());
    EXPECT_FALSE(permission.shown);
}

TEST_F(AppDelegateTest, PreferencesOpenWithTheCurrentSettings) {
    app->selectStack(2);
    app->selectQueueMode("Smart");
    app->selectQueueTimeout("5 Minutes");
    app->setHUDInteractionEnabled(false);
    app->openPreferencesFromMenu();
    ASSERT_EQ(preferences.shown.size(), 1u);
    const PreferencesValues& values = preferences.shown.front();
    EXPECT_EQ(values.mode, "Smart");
    EXPECT_EQ(values.queueTimeout, "5 Minutes");
    EXPECT_EQ(values.activeStackIndex, 2);
    EXPECT_FALSE(values.hudInteractionEnabled);
    EXPECT_TRUE(overlay.state.ignoresMouse);
}

TEST_F(AppDelegateTest, AChosenShortcutActsAtOnceAndIsReadAgainAtTheNextLaunch) {
    copy("one");
    copy("two");
    EXPECT_EQ(app->setShortcut("burst-paste", "Ctrl+Alt+B"), std::nullopt);
    EXPECT_EQ(app->setShortcut("drop-next", "ctrl+v"), "Ctrl+V is a paste key of applications.");
    EXPECT_EQ(app->setShortcut("clear", "F9"), std::nullopt);
    EXPECT_EQ(savedShortcuts,
              (std::map<std::string, std::string>{{"burst-paste", "Ctrl+Alt+B"}, {"clear", "F9"}}));
    // Ctrl+Shift+V is the application's again ("paste as plain text"); the stack stays.
    paste(command | shift);
    EXPECT_EQ(stack(0).count(), 2u);
    keyboard.press(Key::b, command | option);
    wait(200);
    EXPECT_EQ(test::clipboardText(pasteboard), "one\ttwo");
    app->revealOverlay();
    EXPECT_EQ(overlay.state.clearKey, "F9");

    app->applicationWillTerminate();
    app.reset();
    launch();
    const auto rows = app->shortcutRows();
    const auto burst = std::find_if(rows.begin(), rows.end(), [](const ShortcutRow& row) {
        return row.action == "burst-paste";
    });
    ASSERT_NE(burst, rows.end());
    EXPECT_EQ(burst->shortcut, "Ctrl+Alt+B");
    // Back to the default, which is then no longer written down.
    EXPECT_EQ(app->setShortcut("burst-paste", ""), std::nullopt);
    EXPECT_EQ(savedShortcuts, (std::map<std::string, std::string>{{"clear", "F9"}}));
}

TEST_F(AppDelegateTest, ChangesMadeInTovrasOwnWindowsLeaveTheOverlayDown) {
    copy("one");
    copy("two");
    wait(10000);  // the overlay of the copies has gone
    ASSERT_FALSE(overlay.visible);
    app->togglePinItem(stack(0).items().front().id);  // the panel
    app->selectQueueMode("LIFO");                     // Preferences
    EXPECT_FALSE(overlay.visible);
    EXPECT_TRUE(overlay.state.rows.front().isPinned);  // what it would show is current
    keyboard.press(Key::p, command | option);          // asked for, it shows
    EXPECT_TRUE(overlay.visible);
}

TEST_F(AppDelegateTest, LaunchAtLoginTogglesAndReportsFailure) {
    app->toggleLaunchAtLogin();
    EXPECT_TRUE(loginItem.enabled);
    app->toggleLaunchAtLogin();
    EXPECT_FALSE(loginItem.enabled);
    loginItem.failure = "Permission denied";
    app->toggleLaunchAtLogin();
    EXPECT_FALSE(loginItem.enabled);
    EXPECT_EQ(alerts.errors, Texts{"Permission denied"});
}

TEST_F(AppDelegateTest, UpdatesReachTheMenuAndTheOnboardingOpensTheQueue) {
    ASSERT_TRUE(frame.onboardingAction);
    frame.onboardingAction();
    EXPECT_TRUE(panel.isOpen);

    EXPECT_FALSE(status.state.pendingUpdateVersion.has_value());
    frame.pending = "1.4";
    frame.updatesChanged();
    EXPECT_EQ(status.state.pendingUpdateVersion, std::optional<std::string>("1.4"));

    EXPECT_TRUE(app->validateMenuItem(AppDelegate::MenuAction::checkForUpdates));
    frame.canCheck = false;
    EXPECT_FALSE(app->validateMenuItem(AppDelegate::MenuAction::checkForUpdates));
}

TEST_F(AppDelegateTest, WithoutServicesTheFrameCommandsDoNothing) {
    app->applicationWillTerminate();
    frame = test::FakeFrame{};
    frame.servicesBuild = false;
    frame.pending = "9.9";
    launch();
    EXPECT_FALSE(app->validateMenuItem(AppDelegate::MenuAction::checkForUpdates));
    EXPECT_FALSE(status.state.pendingUpdateVersion.has_value());
    frame.calls.clear();
    app->checkForUpdatesFromMenu();
    app->showAboutFromMenu();
    app->copyDiagnosticsFromMenu();
    EXPECT_TRUE(frame.calls.empty());
    EXPECT_TRUE(app->isStackActive());  // the queue works without the frame
}

}  // namespace
}  // namespace tovra
