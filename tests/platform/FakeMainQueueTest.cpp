#include "platform/testing/FakeMainQueue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tovra::testing {
namespace {

using Seconds = MainQueue::Seconds;

TEST(FakeMainQueue, RunsTasksAtTheirVirtualTimeInScheduleOrder) {
    FakeMainQueue queue;
    std::vector<std::string> log;
    auto late = queue.after(Seconds(0.2),
                            [&] { log.push_back("late@" + std::to_string(queue.elapsed())); });
    auto early = queue.after(Seconds(0.1), [&] { log.push_back("early"); });
    auto tie = queue.after(Seconds(0.1), [&] { log.push_back("tie"); });
    queue.post([&] { log.push_back("posted"); });
    queue.advance(Seconds(0.15));
    EXPECT_EQ(log, (std::vector<std::string>{"posted", "early", "tie"}));
    EXPECT_TRUE(late.isPending());
    EXPECT_FALSE(early.isPending());
    queue.advance(Seconds(1));
    EXPECT_EQ(log.back(), "late@" + std::to_string(0.2));
    EXPECT_DOUBLE_EQ(queue.elapsed(), 1.15);
}

TEST(FakeMainQueue, CancelledOrDroppedTasksNeverRun) {
    FakeMainQueue queue;
    int runs = 0;
    auto cancelled = queue.after(Seconds(1), [&] { ++runs; });
    cancelled.cancel();
    {
        auto dropped = queue.after(Seconds(1), [&] { ++runs; });
    }
    TaskHandle replaced = queue.after(Seconds(1), [&] { ++runs; });
    replaced = queue.after(Seconds(1), [&] { runs += 10; });
    queue.advance(Seconds(2));
    EXPECT_EQ(runs, 10);
    EXPECT_EQ(queue.pendingCount(), 0u);
}

TEST(FakeMainQueue, RepeatsUntilCancelledEvenFromInsideTheTask) {
    FakeMainQueue queue;
    int ticks = 0;
    TaskHandle timer;
    timer = queue.every(Seconds(0.25), [&] {
        if (++ticks == 3) {
            timer.cancel();
        }
    });
    queue.advance(Seconds(10));
    EXPECT_EQ(ticks, 3);
    EXPECT_DOUBLE_EQ(queue.elapsed(), 10.0);
}

}  // namespace
}  // namespace tovra::testing
