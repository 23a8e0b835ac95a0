#pragma once

// Tovra driven as a user would: copies in other applications, shortcuts on the keyboard, every
// platform port and surface a fake.
#include <gtest/gtest.h>

#include "AppFakes.h"
#include "Tovra/app/AppDelegate.h"
#include "Tovra/capture/PasteboardCoordinator.h"
#include "Tovra/core/QueueManager.h"
#include "Tovra/core/SmartModeEngine.h"
#include "Tovra/core/StackStore.h"
#include "platform/testing/FakeKeyboardTap.h"
#include "platform/testing/FakeMainQueue.h"
#include "platform/testing/FakePasteboard.h"
#include "platform/testing/FakeWorkspace.h"
#include "tests/core/CoreTestSupport.h"

namespace tovra::test {

using Texts = std::vector<std::string>;

class AppDelegateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        pasteboard.useMainQueue(queue);
        launch();
    }

    void launch() {
        app = AppDelegate::create(
            AppEnvironment{pasteboard, queue, keyboard, workspace, trust, &loginItem, &engine,
                           [this] { ++memoryReleases; }, [this] { return savedShortcuts; },
                           [this](const auto& chosen) { savedShortcuts = chosen; }},
            AppSurfaces{&overlay, &status, &panel, &control, &preferences, &permission, &alerts,
                        &frame});
        app->applicationDidFinishLaunching();
    }
    void wait(double milliseconds) { queue.advance(MainQueue::Seconds(milliseconds / 1000)); }

    /// A copy in the frontmost application: the clipboard changes, then Ctrl+C is seen.
    void copy(std::string_view text) {
        pasteboard.simulateForeignText(text);
        keyboard.press(Key::c, command);
        wait(300);
    }
    /// Ctrl+V: returns what the clipboard held when the keystroke reached the application.
    std::string paste(unsigned modifiers = command) {
        const std::size_t before = keyboard.delivered().size();
        keyboard.press(Key::v, modifiers);
        wait(200);
        if (keyboard.delivered().size() == before) {
            return "<no paste>";
        }
        pasteboard.simulateTargetRequest();  // the application reads what the key pasted
        return test::clipboardText(pasteboard);
    }
    Texts pasteAll(int times) {
        Texts pasted;
        for (int i = 0; i < times; ++i) {
            pasted.push_back(paste());
        }
        return pasted;
    }
    QueueManager& stack(std::size_t index) { return app->stackStore().queue(index); }

    testing::FakePasteboard pasteboard;
    testing::FakeMainQueue queue;
    testing::FakeKeyboardTap keyboard;
    testing::FakeWorkspace workspace;
    test::FakeTrust trust;
    test::FakeLoginItem loginItem;
    SmartModeEngine engine;
    test::FakeOverlay overlay{queue};
    test::FakeStatus status;
    test::FakePanel panel;
    test::FakeControl control;
    test::FakePreferences preferences;
    test::FakePermission permission;
    test::FakeAlerts alerts;
    test::FakeFrame frame;
    std::shared_ptr<AppDelegate> app;
    /// The settings file's shortcuts, across launches.
    std::map<std::string, std::string> savedShortcuts;
    int memoryReleases = 0;
};

}  // namespace tovra::test
