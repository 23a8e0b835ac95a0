#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "KeyboardTap.h"

namespace tovra {

/// How settings, the command line and the shell extension spell each key: "a", "1", "f5",
/// "escape", "up". Nothing for `Key::other`.
[[nodiscard]] inline std::string_view keyName(Key key) {
    static constexpr std::array<std::string_view, static_cast<std::size_t>(Key::other)> names{
        "a",  "b",   "c",   "d",   "e",      "f",  "g",    "h",    "i",    "j",  "k",
        "l",  "m",   "n",   "o",   "p",      "q",  "r",    "s",    "t",    "u",  "v",
        "w",  "x",   "y",   "z",   "0",      "1",  "2",    "3",    "4",    "5",  "6",
        "7",  "8",   "9",   "f1",  "f2",     "f3", "f4",   "f5",   "f6",   "f7", "f8",
        "f9", "f10", "f11", "f12", "escape", "up", "down", "left", "right"};
    const auto index = static_cast<std::size_t>(key);
    return index < names.size() ? names[index] : std::string_view{};
}

/// The key `name` spells, in any case.
[[nodiscard]] inline std::optional<Key> keyNamed(std::string_view name) {
    std::string lower(name);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    for (int index = 0; index < static_cast<int>(Key::other); ++index) {
        if (keyName(static_cast<Key>(index)) == lower) {
            return static_cast<Key>(index);
        }
    }
    return std::nullopt;
}

}  // namespace tovra
