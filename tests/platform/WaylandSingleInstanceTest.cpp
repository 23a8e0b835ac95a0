// One Tovra per compositor and user, whatever other users or a stuck first instance do.
#include "platform/wayland/WaylandSingleInstance.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/posix/PollMainQueue.h"

namespace tovra {
namespace {

constexpr const char* display = "wayland-test";

TEST(WaylandSingleInstance, ASecondLaunchAsksTheFirstToComeForwardAndLeaves) {
    PollMainQueue queue;
    int activations = 0;
    auto first = WaylandSingleInstance::claim(display, queue, [&] { ++activations; });
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(WaylandSingleInstance::claim(display, queue, {}), nullptr);
    for (int turn = 0; turn < 100 && activations == 0; ++turn) {
        queue.runOnce(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(activations, 1);
    // Another compositor is another session.
    EXPECT_NE(WaylandSingleInstance::claim("wayland-other", queue, {}), nullptr);
    first.reset();
    EXPECT_NE(WaylandSingleInstance::claim(display, queue, {}), nullptr);
}

TEST(WaylandSingleInstance, AnInstanceKilledOutrightLeavesNothingThatRefusesTheNext) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        PollMainQueue queue;
        auto held = WaylandSingleInstance::claim(display, queue, {});
        const char byte = held != nullptr ? '1' : '0';
        (void)!write(ready[1], &byte, 1);
        pause();
        _exit(0);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    ASSERT_EQ(byte, '1');
    PollMainQueue queue;
    // Held by a process that never accepts a knock: asking it to come forward never waits.
    for (int launch = 0; launch < 20; ++launch) {
        EXPECT_EQ(WaylandSingleInstance::claim(display, queue, {}), nullptr);
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_NE(WaylandSingleInstance::claim(display, queue, {}), nullptr);
    close(ready[0]);
    close(ready[1]);
}

TEST(WaylandSingleInstance, ARuntimeDirectoryOthersCanWriteIsNeverUsed) {
    const std::string runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string shared = runtime + "/shared";
    std::filesystem::create_directories(shared);
    chmod(shared.c_str(), 01777);
    setenv("XDG_RUNTIME_DIR", shared.c_str(), 1);
    PollMainQueue queue;
    EXPECT_EQ(WaylandSingleInstance::pathFor(display), "");
    // Without a place of its own it runs rather than trust a name anyone could hold.
    auto first = WaylandSingleInstance::claim(display, queue, {});
    EXPECT_NE(first, nullptr);
    EXPECT_TRUE(std::filesystem::is_empty(shared));
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
}

}  // namespace
}  // namespace tovra
