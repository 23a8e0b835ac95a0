#include "StackStore.h"

#include <stdexcept>

namespace tovra {

StackStore::StackStore(int count, SmartModeEngine& smartEngine) {
    if (count < 0) {
        throw std::invalid_argument("a stack store cannot hold a negative number of stacks");
    }
    queues_.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        queues_.push_back(std::make_unique<QueueManager>(smartEngine));
    }
}

bool StackStore::selectStack(int index) {
    if (index < 0 || index > highestSelectableIndex || static_cast<std::size_t>(index) >= count()) {
        return false;
    }
    activeIndex_ = index;
    return true;
}

void StackStore::clampActiveIndex() noexcept {
    if (activeIndex_ > highestSelectableIndex) {
        activeIndex_ = 0;
    }
}

void StackStore::clearAll() noexcept {
    for (const auto& queue : queues_) {
        queue->clear();
    }
}

std::string StackStore::stackTitle(int index) {
    return "Stack " + std::to_string(index + 1);
}

}  // namespace tovra
