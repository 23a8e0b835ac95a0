#include "platform/posix/PollMainQueue.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

namespace tovra {
namespace {

using std::chrono::milliseconds;

TEST(PollMainQueue, APostFromAnotherThreadWakesTheLoopAtOnce) {
    PollMainQueue queue;
    bool ran = false;
    std::thread poster([&queue, &ran] { queue.post([&ran] { ran = true; }); });
    poster.join();
    const auto start = std::chrono::steady_clock::now();
    queue.runOnce(milliseconds(10'000));
    EXPECT_TRUE(ran);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(PollMainQueue, TimersRunInDueOrderAndACancelledOneNever) {
    PollMainQueue queue;
    std::vector<int> order;
    const auto late = queue.after(MainQueue::Seconds(0.02), [&order] { order.push_back(2); });
    const auto early = queue.after(MainQueue::Seconds(0.005), [&order] { order.push_back(1); });
    auto cancelled = queue.after(MainQueue::Seconds(0.01), [&order] { order.push_back(9); });
    cancelled.cancel();
    int ticks = 0;
    TaskHandle repeating;
    repeating = queue.every(MainQueue::Seconds(0.004), [&ticks, &repeating] {
        if (++ticks == 3) {
            repeating.cancel();  // from inside its own task
        }
    });
    for (int i = 0; i < 50 && order.size() < 2; ++i) {
        queue.runOnce(milliseconds(50));
    }
    EXPECT_EQ(order, (std::vector{1, 2}));
    EXPECT_FALSE(late.isPending());
    for (int i = 0; i < 5; ++i) {
        queue.runOnce(milliseconds(10));
    }
    EXPECT_EQ(ticks, 3);
}

TEST(PollMainQueue, AReadableDescriptorCallsItsWatchUntilTheHandleGoes) {
    PollMainQueue queue;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    int calls = 0;
    auto watch = queue.watchReadable(fds[0], [&calls, fd = fds[0]] {
        char byte;
        (void)!read(fd, &byte, 1);
        ++calls;
    });
    (void)!write(fds[1], "x", 1);
    queue.runOnce(milliseconds(1000));
    EXPECT_EQ(calls, 1);
    watch.cancel();
    (void)!write(fds[1], "y", 1);
    queue.runOnce(milliseconds(20));
    EXPECT_EQ(calls, 1);
    close(fds[0]);
    close(fds[1]);
}

}  // namespace
}  // namespace tovra
