#pragma once

#include <string>

#include "RawValueEnum.h"

namespace tovra {

/// What joins item texts in a burst paste.
enum class BurstSeparator { tab, comma, newline, custom };

template <>
struct RawValues<BurstSeparator> {
    static constexpr std::array<std::pair<BurstSeparator, std::string_view>, 4> table{{
        {BurstSeparator::tab, "Tab"},
        {BurstSeparator::comma, "Comma"},
        {BurstSeparator::newline, "Newline"},
        {BurstSeparator::custom, "Custom"},
    }};
};

inline constexpr std::string_view defaultCustomBurstSeparator = " | ";

/// The joining text; `custom` uses the user's text exactly as typed, empty included.
inline std::string separatorText(BurstSeparator separator, std::string_view customText) {
    switch (separator) {
        case BurstSeparator::tab:
            return "\t";
        case BurstSeparator::comma:
            return ",";
        case BurstSeparator::newline:
            return "\n";
        case BurstSeparator::custom:
            break;
    }
    return std::string(customText);
}

}  // namespace tovra
