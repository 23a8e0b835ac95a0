#pragma once

#include <functional>
#include <memory>

namespace tovra {

/// The shared state of one scheduled task: the queue checks `cancelled` before running it.
struct TaskState {
    bool cancelled = false;
    bool finished = false;
    /// Set by a backend that can drop the task early (a Qt timer to delete).
    std::function<void()> onCancel;
};

/// Owns a scheduled task: destroying or cancelling the handle keeps the task from running, so
/// a task whose owner is gone never runs.
class TaskHandle {
  public:
    TaskHandle() = default;
    explicit TaskHandle(std::shared_ptr<TaskState> state) : state_(std::move(state)) {}
    ~TaskHandle() { cancel(); }
    TaskHandle(TaskHandle&&) noexcept = default;
    TaskHandle& operator=(TaskHandle&& other) noexcept {
        if (this != &other) {
            cancel();
            state_ = std::move(other.state_);
        }
        return *this;
    }
    TaskHandle(const TaskHandle&) = delete;
    TaskHandle& operator=(const TaskHandle&) = delete;

    /// True while the task may still run: scheduled, not cancelled, and (one-shot) not yet run.
    [[nodiscard]] bool isPending() const {
        return state_ && !state_->cancelled && !state_->finished;
    }

    void cancel() {
        if (state_ && !state_->cancelled) {
            state_->cancelled = true;
            if (state_->onCancel) {
                auto onCancel = std::move(state_->onCancel);
                state_->onCancel = nullptr;
                onCancel();
            }
        }
        state_.reset();
    }

  private:
    std::shared_ptr<TaskState> state_;
};

}  // namespace tovra
