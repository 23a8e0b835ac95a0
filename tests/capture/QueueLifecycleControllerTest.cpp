#include "Tovra/capture/QueueLifecycleController.h"

#include <gtest/gtest.h>

#include "CaptureHarness.h"
#include "tests/core/CoreTestSupport.h"

namespace tovra {
namespace {

using test::clipboardText;
using test::plainPayload;

constexpr std::optional<std::chrono::seconds> oneMinute = std::chrono::seconds(60);

class QueueLifecycleControllerTest : public ::testing::Test {
  protected:
    QueueManager& stack(std::size_t index) { return h.store.queue(index); }
    void capture(std::string_view lines) {
        h.pasteboard.simulateForeignText(lines);
        h.controller->captureAfterCopy();
        h.lifecycle.refreshTimeout(oneMinute, onExpiry());
    }
    std::function<void()> onExpiry() {
        return [this] { ++expiries; };
    }
    void waitSeconds(double seconds) { h.mainQueue.advance(MainQueue::Seconds(seconds)); }

    test::CaptureHarness h;
    int expiries = 0;
};

TEST_F(QueueLifecycleControllerTest, IdleStackEmptiesPinnedItemsAndOurStagedClipboard) {
    capture("a\nb\nc\nd");
    stack(0).togglePin(stack(0).items()[1].id);
    h.coordinator.stageNext(stack(0), std::nullopt);
    h.lifecycle.refreshTimeout(oneMinute, onExpiry());
    waitSeconds(59.9);
    EXPECT_EQ(stack(0).count(), 3u);
    waitSeconds(0.1);
    EXPECT_TRUE(stack(0).isEmpty());
    EXPECT_TRUE(h.pasteboard.contents().empty());
    EXPECT_EQ(expiries, 1);
    EXPECT_FALSE(h.lifecycle.hasPendingTimeout(0));
}

TEST_F(QueueLifecycleControllerTest, ACaptureRestartsTheIdleTimer) {
    capture("a");
    waitSeconds(50);
    capture("b");
    waitSeconds(59);
    EXPECT_EQ(stack(0).count(), 2u);
    waitSeconds(1);
    EXPECT_TRUE(stack(0).isEmpty());
    // The user's copy is left on the clipboard.
    EXPECT_EQ(clipboardText(h.pasteboard), "b");
}

TEST_F(QueueLifecycleControllerTest, NeverOrAnEmptyStackLeavesNoTimer) {
    capture("a");
    h.lifecycle.refreshTimeout(std::nullopt, onExpiry());
    EXPECT_FALSE(h.lifecycle.hasPendingTimeout(0));
    h.lifecycle.refreshTimeout(oneMinute, onExpiry());
    (void)stack(0).takeNext();
    h.lifecycle.refreshTimeout(oneMinute, onExpiry());
    EXPECT_FALSE(h.lifecycle.hasPendingTimeout(0));
    waitSeconds(120);
    EXPECT_EQ(expiries, 0);
}

TEST_F(QueueLifecycleControllerTest, InactiveStackExpiresWithoutTouchingClipboardOrInterface) {
    capture("a\nb");
    h.store.selectStack(1);
    capture("other");
    h.coordinator.stageNext(stack(1), std::nullopt);
    waitSeconds(60);
    EXPECT_TRUE(stack(0).isEmpty());
    EXPECT_TRUE(stack(1).isEmpty());  // stack 1's own timer fired as well, while active
    EXPECT_EQ(expiries, 1);

    h.store.selectStack(0);
    capture("x");
    h.lifecycle.refreshTimeout(oneMinute, onExpiry());
    h.store.selectStack(1);
    h.coordinator.write(plainPayload("staged from stack 2"));
    waitSeconds(60);
    EXPECT_TRUE(stack(0).isEmpty());
    EXPECT_EQ(clipboardText(h.pasteboard), "staged from stack 2");
    EXPECT_EQ(expiries, 1);
}

TEST_F(QueueLifecycleControllerTest, ClearingWipesTheClipboardOnlyAfterAPaste) {
    capture("a\nb");
    h.lifecycle.clearActiveQueue();
    EXPECT_EQ(clipboardText(h.pasteboard), "a\nb");
    EXPECT_FALSE(h.lifecycle.hasPendingTimeout(0));

    capture("c\nd");
    h.coordinator.stageNext(stack(0), std::nullopt);
    h.lifecycle.clearActiveQueue();
    EXPECT_TRUE(stack(0).isEmpty());
    EXPECT_TRUE(h.pasteboard.contents().empty());
}

TEST_F(QueueLifecycleControllerTest, ClearAllEmptiesEveryStackAndCancelsEveryTimer) {
    for (int index : {0, 1, 2}) {
        h.store.selectStack(index);
        capture("item");
    }
    h.lifecycle.clearAllQueues();
    for (std::size_t index : {0u, 1u, 2u}) {
        EXPECT_TRUE(stack(index).isEmpty());
        EXPECT_FALSE(h.lifecycle.hasPendingTimeout(static_cast<int>(index)));
    }
    EXPECT_EQ(clipboardText(h.pasteboard), "item");
    waitSeconds(120);
    EXPECT_EQ(expiries, 0);
}

TEST_F(QueueLifecycleControllerTest, BurstKeepsTheTimerWhichLaterWipesTheBurstText) {
    capture("a\nb");
    h.controller->burstPaste();
    EXPECT_TRUE(h.lifecycle.hasPendingTimeout(0));
    waitSeconds(60);
    EXPECT_TRUE(h.pasteboard.contents().empty());
    EXPECT_EQ(expiries, 1);
}

TEST_F(QueueLifecycleControllerTest, TimerOfAGoneControllerNeverRuns) {
    capture("a");
    {
        QueueLifecycleController lifecycle(h.store, h.coordinator, h.mainQueue);
        lifecycle.refreshTimeout(oneMinute, onExpiry());
    }
    h.lifecycle.refreshTimeout(std::nullopt, onExpiry());
    waitSeconds(120);
    EXPECT_EQ(stack(0).count(), 1u);
    EXPECT_EQ(expiries, 0);
}

}  // namespace
}  // namespace tovra
