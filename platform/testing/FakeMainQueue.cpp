#include "FakeMainQueue.h"

#include <chrono>
#include <vector>

namespace tovra::testing {

namespace {
// Repeating tasks never run closer than this, so a zero interval cannot spin forever.
constexpr MainQueue::Seconds minimumRepeat{0.001};
}  // namespace

FakeMainQueue::FakeMainQueue() : start_(std::chrono::steady_clock::time_point{}), now_(start_) {}

void FakeMainQueue::post(std::function<void()> task) {
    // A posted task has no handle: nothing can cancel it.
    enqueue(now_, Seconds(0), std::move(task));
}

TaskHandle FakeMainQueue::after(Seconds delay, std::function<void()> task) {
    const auto offset = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        delay < Seconds(0) ? Seconds(0) : delay);
    return TaskHandle(enqueue(now_ + offset, Seconds(0), std::move(task)));
}

TaskHandle FakeMainQueue::every(Seconds interval, std::function<void()> task) {
    const Seconds repeat = interval < minimumRepeat ? minimumRepeat : interval;
    const auto offset = std::chrono::duration_cast<std::chrono::steady_clock::duration>(repeat);
    return TaskHandle(enqueue(now_ + offset, repeat, std::move(task)));
}

std::shared_ptr<TaskState> FakeMainQueue::enqueue(TimePoint due, Seconds repeat,
                                                  std::function<void()> task) {
    auto state = std::make_shared<TaskState>();
    entries_.emplace(std::make_pair(due, sequence_++), Entry{std::move(task), state, repeat});
    return state;
}

void FakeMainQueue::advance(Seconds duration) {
    const TimePoint target =
        now_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(duration);
    while (!entries_.empty() && entries_.begin()->first.first <= target) {
        auto node = entries_.extract(entries_.begin());
        Entry& entry = node.mapped();
        now_ = node.key().first;
        if (entry.state->cancelled) {
            continue;
        }
        if (entry.repeat > Seconds(0)) {
            const auto next =
                now_ +
                std::chrono::duration_cast<std::chrono::steady_clock::duration>(entry.repeat);
            auto task = entry.task;
            entries_.emplace(std::make_pair(next, sequence_++), std::move(entry));
            task();
        } else {
            entry.state->finished = true;
            entry.task();
        }
    }
    now_ = target;
}

std::size_t FakeMainQueue::pendingCount() const {
    std::size_t count = 0;
    for (const auto& [key, entry] : entries_) {
        if (!entry.state->cancelled) {
            ++count;
        }
    }
    return count;
}

TaskHandle FakeMainQueue::watchReadable(int fd, std::function<void()> onReadable) {
    auto state = std::make_shared<TaskState>();
    readableWatches_.emplace(fd, Entry{std::move(onReadable), state, Seconds(0)});
    return TaskHandle(state);
}

void FakeMainQueue::notifyReadable(int fd) {
    std::erase_if(readableWatches_,
                  [](const auto& watch) { return watch.second.state->cancelled; });
    const auto [first, last] = readableWatches_.equal_range(fd);
    std::vector<std::function<void()>> callbacks;
    for (auto it = first; it != last; ++it) {
        callbacks.push_back(it->second.task);
    }
    for (const auto& callback : callbacks) {
        callback();
    }
}

double FakeMainQueue::elapsed() const {
    return Seconds(now_ - start_).count();
}

}  // namespace tovra::testing
