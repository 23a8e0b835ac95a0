#pragma once

#include "RawValueEnum.h"

namespace tovra {

/// The order in which a queue hands out its items.
enum class QueueMode { fifo, lifo, smart };

template <>
struct RawValues<QueueMode> {
    static constexpr std::array<std::pair<QueueMode, std::string_view>, 3> table{{
        {QueueMode::fifo, "FIFO"},
        {QueueMode::lifo, "LIFO"},
        {QueueMode::smart, "Smart"},
    }};
};

}  // namespace tovra
