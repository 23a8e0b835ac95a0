#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Tovra/base/Bytes.h"
#include "Tovra/base/ClipboardRepresentation.h"

namespace tovra {

/// The most bytes one payload may carry in all its representations together.
inline constexpr std::size_t maxPayloadBytes = 10'485'760;
/// A preview longer than this many characters is cut.
inline constexpr std::size_t previewCharacterLimit = 200;

/// One captured clipboard content.
struct ClipboardPayload {
    /// The label shown for the item, never masked here (masking happens at display time).
    std::string previewText;
    /// Every type captured, in `capturedTypes` order; never empty in a stored item.
    std::vector<ClipboardRepresentation> representations;

    friend bool operator==(const ClipboardPayload&, const ClipboardPayload&) = default;
};

/// The offered plain text when it is non-empty (untrimmed), else a label for the richest type.
std::string makePreviewLabel(const std::vector<ClipboardRepresentation>& representations,
                             const std::optional<std::string_view>& text);

/// The first 200 characters and "..." when the text is longer; the text itself otherwise.
std::string truncatedPreview(std::string_view text);

/// The bytes of the first plain-text representation, as stored; null when there is none.
const Bytes* stringData(const ClipboardPayload& payload);

/// A plain-text payload of valid UTF-8 within the byte budget; nothing otherwise.
std::optional<ClipboardPayload> makeTextPayload(Bytes bytes);

}  // namespace tovra
