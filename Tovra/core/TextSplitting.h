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
/// lost their quotes. Large copies (100,000 lines) are split in one pass and only the pieces
/// that end up queued are ever copied.
struct TextPieces {
    std::vector<std::string_view> pieces;
    std::deque<std::string> storage;  // a deque keeps the viewed strings in place as it grows
};

TextPieces splitCapturedPieces(std::string_view text);
TextPieces splitCommaPieces(std::string_view text);

}  // namespace tovra
