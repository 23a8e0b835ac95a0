#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace tovra {

/// A copied text that lists several values, one per value: tab-separated cells, lines, or (for a
/// single line with two or more commas) comma-separated fields. Pieces are trimmed; empty ones
/// are dropped.
std::vector<std::string> splitCapturedText(std::string_view text);

/// Comma-separated fields; double quotes group commas into a field and are themselves dropped.
/// Fewer than two non-empty fields give the whole text unchanged.
std::vector<std::string> splitCommaFields(std::string_view text);

/// The same splits without copying: `pieces` view the split text, or `storage` for fields that
/// lost their quotes. The text is walked once and only the newest `keep` pieces are kept (the
/// queue holds no more), so a copy of millions of lines costs memory for `keep` pieces, not for
/// millions; `count` says how many there were in all.
struct TextPieces {
    /// The last `min(count, keep)` pieces, in order; each trimmed and not empty.
    std::vector<std::string_view> pieces;
    std::deque<std::string> storage;  // a deque keeps the viewed strings in place as it grows
    std::size_t count = 0;
};

inline constexpr std::size_t keepEveryPiece = static_cast<std::size_t>(-1);

TextPieces splitCapturedPieces(std::string_view text, std::size_t keep = keepEveryPiece);
TextPieces splitCommaPieces(std::string_view text, std::size_t keep = keepEveryPiece);

}  // namespace tovra
