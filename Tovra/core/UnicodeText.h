#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "Tovra/base/Utf8.h"

namespace tovra {

/// Text in the core is UTF-8. Lengths and cuts that a user sees count extended grapheme clusters;
/// the functions here stop after the characters they need, so their cost does not grow with the
/// length of the text beyond that.
namespace unicode {

/// White space and newlines: general category Z plus U+0009 to U+000D and U+0085.
[[nodiscard]] bool isTrimmable(char32_t codePoint) noexcept;
/// U+000A to U+000D, U+0085, U+2028 and U+2029.
[[nodiscard]] bool isNewline(char32_t codePoint) noexcept;

/// The text without leading and trailing `isTrimmable` code points; a view into `text`.
[[nodiscard]] std::string_view trimmed(std::string_view text) noexcept;

/// The text on one line, as a one-line row shows it: each newline and tab becomes a space.
[[nodiscard]] std::string oneLine(std::string_view text);

/// The code point that ends at byte `offset`, looking back no further than `lowerBound`.
[[nodiscard]] CodePoint codePointBefore(std::string_view text, std::size_t offset,
                                        std::size_t lowerBound = 0) noexcept;

/// Full, locale-independent lower-case mapping.
[[nodiscard]] std::string toLower(std::string_view text);

/// The number of characters in `text`, counting no further than `limit`.
[[nodiscard]] std::size_t characterCount(std::string_view text, std::size_t limit);
/// Byte length of the first `count` characters (the whole text when it has fewer).
[[nodiscard]] std::size_t prefixLength(std::string_view text, std::size_t count);
/// Byte offset where the last `count` characters start (0 when the text has fewer).
[[nodiscard]] std::size_t suffixStart(std::string_view text, std::size_t count);

}  // namespace unicode
}  // namespace tovra
