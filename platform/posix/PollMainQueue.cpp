#include "PollMainQueue.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

namespace tovra {

namespace {
// Repeating tasks never run closer than this, so a zero interval cannot spin.
constexpr MainQueue::Seconds minimumRepeat{0.001};
}  // namespace

PollMainQueue::PollMainQueue() : wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

PollMainQueue::~PollMainQueue() {
    close(wakeFd_);
}

void PollMainQueue::post(std::function<void()> task) {
    {
        std::lock_guard lock(postedMutex_);
        posted_.push_back(std::move(task));
    }
    const std::uint64_t one = 1;
    (void)!write(wakeFd_, &one, sizeof one);
}

TaskHandle PollMainQueue::after(Seconds delay, std::function<void()> task) {
    return schedule(delay, Seconds(0), std::move(task));
}

TaskHandle PollMainQueue::every(Seconds interval, std::function<void()> task) {
    const Seconds repeat = std::max(interval, minimumRepeat);
    return schedule(repeat, repeat, std::move(task));
}

TaskHandle PollMainQueue::schedule(Seconds delay, Seconds repeat, std::function<void()> task) {
    auto state = std::make_shared<TaskState>();
    const auto due = now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                 std::max(delay, Seconds(0)));
    timers_.emplace(due, Timer{std::move(task), state, repeat});
    return TaskHandle(state);
}

TaskHandle PollMainQueue::watchReadable(int fd, std::function<void()> onReadable) {
    auto state = std::make_shared<TaskState>();
    watches_.push_back(Watch{fd, std::move(onReadable), state});
    return TaskHandle(state);
}

void PollMainQueue::runOnce(std::chrono::milliseconds timeout) {
    std::erase_if(timers_, [](const auto& timer) { return timer.second.state->cancelled; });
    std::erase_if(watches_, [](const Watch& watch) { return watch.state->cancelled; });
    auto wait = timeout;
    if (!timers_.empty()) {
        const auto untilDue =
            std::chrono::ceil<std::chrono::milliseconds>(timers_.begin()->first - now());
        wait = std::clamp(untilDue, std::chrono::milliseconds(0), timeout);
    }
    std::vector<pollfd> fds{{wakeFd_, POLLIN, 0}};
    for (const Watch& watch : watches_) {
        fds.push_back({watch.fd, POLLIN, 0});
    }
    if (poll(fds.data(), fds.size(), static_cast<int>(wait.count())) > 0) {
        std::uint64_t drained;
        (void)!read(wakeFd_, &drained, sizeof drained);
        // Copies: a callback may add or cancel watches.
        const std::vector<Watch> watches = watches_;
        for (std::size_t i = 0; i < watches.size(); ++i) {
            if ((fds[i + 1].revents & (POLLIN | POLLHUP | POLLERR)) != 0 &&
                !watches[i].state->cancelled) {
                watches[i].onReadable();
            }
        }
    }
    runPosted();
    runDueTimers();
}

void PollMainQueue::runPosted() {
    std::deque<std::function<void()>> tasks;
    {
        std::lock_guard lock(postedMutex_);
        tasks.swap(posted_);
    }
    for (auto& task : tasks) {
        task();
    }
}

void PollMainQueue::runDueTimers() {
    const TimePoint current = now();
    while (!timers_.empty() && timers_.begin()->first <= current) {
        auto node = timers_.extract(timers_.begin());
        Timer& timer = node.mapped();
        if (timer.state->cancelled) {
            continue;
        }
        if (timer.repeat > Seconds(0)) {
            auto task = timer.task;
            const auto next =
                current +
                std::chrono::duration_cast<std::chrono::steady_clock::duration>(timer.repeat);
            timers_.emplace(next, std::move(timer));
            task();
        } else {
            timer.state->finished = true;
            timer.task();
        }
    }
}

}  // namespace tovra
