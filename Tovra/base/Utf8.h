#pragma once

#include <cstddef>
#include <string_view>

#include "Bytes.h"

namespace tovra::unicode {

/// Latin-1 bytes (an older client's STRING) as UTF-8.
[[nodiscard]] Bytes latin1ToUtf8(std::string_view latin1);

/// Strict: overlong forms, surrogates, code points above U+10FFFF and truncated sequences fail.
[[nodiscard]] bool isValidUtf8(std::string_view bytes) noexcept;

/// One code point of a UTF-8 text, as the walk functions read it.
struct CodePoint {
    char32_t value;
    bool wellFormed;
    std::size_t
        boundary;  // the offset just past it (codePointAt) or where it starts (codePointBefore)
};
/// The code point that starts at byte `offset`; U+FFFD, not well formed, for a broken sequence.
[[nodiscard]] CodePoint codePointAt(std::string_view text, std::size_t offset) noexcept;

}  // namespace tovra::unicode
