#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tovra::test {

/// `unit` written `times` times over: large texts of a known shape.
inline std::string repeated(std::string_view unit, std::size_t times) {
    std::string text;
    text.reserve(unit.size() * times);
    for (std::size_t i = 0; i < times; ++i) {
        text.append(unit);
    }
    return text;
}

}  // namespace tovra::test
