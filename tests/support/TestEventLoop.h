#pragma once

#include "platform/posix/PollMainQueue.h"

namespace tovra::test {

/// A main loop for backend tests, free of Qt: `waitUntil` and the command runners turn every
/// loop alive while they wait, instead of Qt's.
class TestEventLoop final : public MainQueue {
  public:
    TestEventLoop();
    ~TestEventLoop() override;
    TestEventLoop(const TestEventLoop&) = delete;
    TestEventLoop& operator=(const TestEventLoop&) = delete;

    void post(std::function<void()> task) override { loop_.post(std::move(task)); }
    [[nodiscard]] TaskHandle after(Seconds delay, std::function<void()> task) override {
        return loop_.after(delay, std::move(task));
    }
    [[nodiscard]] TaskHandle every(Seconds interval, std::function<void()> task) override {
        return loop_.every(interval, std::move(task));
    }
    [[nodiscard]] TimePoint now() const override { return loop_.now(); }
    [[nodiscard]] TaskHandle watchReadable(int fd, std::function<void()> onReadable) override {
        return loop_.watchReadable(fd, std::move(onReadable));
    }

    [[nodiscard]] std::size_t pendingTimerCount() const { return loop_.pendingTimerCount(); }

    /// Turns every test loop alive once; false when there is none.
    static bool turnAll();

  private:
    PollMainQueue loop_;
};

}  // namespace tovra::test
