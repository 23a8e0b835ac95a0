#include "TestEventLoop.h"

#include <unistd.h>

#include <algorithm>
#include <vector>

namespace tovra::test {

namespace {
// Tests run their loops on the test's own thread only.
std::vector<TestEventLoop*>& liveLoops() {
    static std::vector<TestEventLoop*> loops;
    return loops;
}
}  // namespace

TestEventLoop::TestEventLoop() {
    liveLoops().push_back(this);
}

TestEventLoop::~TestEventLoop() {
    std::erase(liveLoops(), this);
}

bool TestEventLoop::turnAll() {
    if (liveLoops().empty()) {
        return false;
    }
    // Copy: a task may end a loop.
    const std::vector<TestEventLoop*> loops = liveLoops();
    for (TestEventLoop* loop : loops) {
        if (std::find(liveLoops().begin(), liveLoops().end(), loop) != liveLoops().end()) {
            loop->loop_.runOnce(std::chrono::milliseconds(0));
        }
    }
    usleep(1000);
    return true;
}

}  // namespace tovra::test
