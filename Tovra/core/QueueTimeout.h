#pragma once

#include <chrono>
#include <optional>

#include "RawValueEnum.h"

namespace tovra {

/// How long a stack may sit untouched before it is emptied.
enum class QueueTimeout { never, oneMinute, fiveMinutes, fifteenMinutes };

template <>
struct RawValues<QueueTimeout> {
    static constexpr std::array<std::pair<QueueTimeout, std::string_view>, 4> table{{
        {QueueTimeout::never, "Never"},
        {QueueTimeout::oneMinute, "1 Minute"},
        {QueueTimeout::fiveMinutes, "5 Minutes"},
        {QueueTimeout::fifteenMinutes, "15 Minutes"},
    }};
};

/// Nothing for `never`: no timer at all, which is not the same as a zero delay.
constexpr std::optional<std::chrono::seconds> interval(QueueTimeout timeout) {
    switch (timeout) {
        case QueueTimeout::oneMinute:
            return std::chrono::seconds(60);
        case QueueTimeout::fiveMinutes:
            return std::chrono::seconds(300);
        case QueueTimeout::fifteenMinutes:
            return std::chrono::seconds(900);
        case QueueTimeout::never:
            break;
    }
    return std::nullopt;
}

}  // namespace tovra
