#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <utility>

namespace tovra {

/// Settings enumerations whose raw value is also their display title. Each one specialises
/// `RawValues` with its cases in display order.
template <class Enum>
struct RawValues;

/// Every case, in display order.
template <class Enum>
constexpr auto allCases() {
    constexpr auto& table = RawValues<Enum>::table;
    std::array<Enum, table.size()> cases{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        cases[i] = table[i].first;
    }
    return cases;
}

template <class Enum>
constexpr std::string_view rawValue(Enum value) {
    for (const auto& [candidate, raw] : RawValues<Enum>::table) {
        if (candidate == value) {
            return raw;
        }
    }
    return {};
}

/// The case whose raw value is exactly `raw`; nothing for any other text.
template <class Enum>
constexpr std::optional<Enum> fromRawValue(std::string_view raw) {
    for (const auto& [candidate, text] : RawValues<Enum>::table) {
        if (text == raw) {
            return candidate;
        }
    }
    return std::nullopt;
}

}  // namespace tovra
