#pragma once

#include <functional>
#include <memory>
#include <utility>

#include "platform/MainQueue.h"

namespace tovra {

/// Runs a task once on a later turn of the loop, however often it is asked for during this one:
/// the types of one clipboard write, set one by one, go out together. Never runs once its owner
/// (and this object) is gone.
class EndOfTurnTask {
  public:
    EndOfTurnTask(MainQueue& mainQueue, std::function<void()> task)
        : mainQueue_(mainQueue), task_(std::move(task)) {}
    ~EndOfTurnTask() { *alive_ = false; }
    EndOfTurnTask(const EndOfTurnTask&) = delete;
    EndOfTurnTask& operator=(const EndOfTurnTask&) = delete;

    void schedule() {
        if (scheduled_) {
            return;
        }
        scheduled_ = true;
        mainQueue_.post([this, alive = std::weak_ptr<bool>(alive_)] {
            if (const auto stillAlive = alive.lock(); stillAlive && *stillAlive) {
                scheduled_ = false;
                task_();
            }
        });
    }

  private:
    MainQueue& mainQueue_;
    std::function<void()> task_;
    bool scheduled_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace tovra
