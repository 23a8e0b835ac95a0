#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "QueueManager.h"

namespace tovra {

class SmartModeEngine;

/// The user's stacks, fixed in number at creation, and which one is active. Captures go into the
/// active stack and pastes come from it; the others keep their items, modes and timers.
class StackStore {
  public:
    static constexpr int applicationStackCount = 3;
    /// Selection never goes beyond the third stack, whatever the store holds.
    static constexpr int highestSelectableIndex = 2;

    /// Throws std::invalid_argument for a negative count.
    StackStore(int count, SmartModeEngine& smartEngine);
    StackStore(const StackStore&) = delete;
    StackStore& operator=(const StackStore&) = delete;

    [[nodiscard]] std::size_t count() const noexcept { return queues_.size(); }
    /// Throws std::out_of_range for an index that is not a stack.
    [[nodiscard]] QueueManager& queue(std::size_t index) const { return *queues_.at(index); }

    [[nodiscard]] int activeIndex() const noexcept { return activeIndex_; }
    [[nodiscard]] QueueManager& activeQueue() const {
        return queue(static_cast<std::size_t>(activeIndex_));
    }

    /// Makes `index` active when it names one of the first three stacks; false (and nothing
    /// changed) otherwise. Re-selecting the active stack is allowed.
    bool selectStack(int index);
    /// Puts the active index back to the first stack if it is beyond the third.
    void clampActiveIndex() noexcept;
    /// Empties every stack; modes, limits and contexts stay.
    void clearAll() noexcept;

    /// "Stack 1" for index 0: stacks have no stored names.
    static std::string stackTitle(int index);

  private:
    std::vector<std::unique_ptr<QueueManager>> queues_;
    int activeIndex_ = 0;
};

}  // namespace tovra
