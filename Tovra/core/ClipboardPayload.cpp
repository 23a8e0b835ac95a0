#include "ClipboardPayload.h"

#include <algorithm>

#include "Tovra/base/PasteboardTypes.h"
#include "UnicodeText.h"

namespace tovra {

namespace {

bool hasType(const std::vector<ClipboardRepresentation>& representations, std::string_view type) {
    return std::any_of(representations.begin(), representations.end(),
                       [type](const ClipboardRepresentation& r) { return r.type == type; });
}

}  // namespace

std::string makePreviewLabel(const std::vector<ClipboardRepresentation>& representations,
                             const std::optional<std::string_view>& text) {
    if (text && !text->empty()) {
        return std::string(*text);
    }
    if (hasType(representations, pasteboardType::rtf)) {
        return "Rich Text";
    }
    if (hasType(representations, pasteboardType::html)) {
        return "HTML";
    }
    if (hasType(representations, pasteboardType::png) ||
        hasType(representations, pasteboardType::tiff)) {
        return "Image";
    }
    return "Clipboard Item";
}

std::string truncatedPreview(std::string_view text) {
    // Every character is at least one byte, so a short text needs no segmentation.
    if (text.size() <= previewCharacterLimit) {
        return std::string(text);
    }
    const std::size_t cut = unicode::prefixLength(text, previewCharacterLimit);
    if (cut >= text.size()) {
        return std::string(text);
    }
    std::string preview;
    preview.reserve(cut + 3);
    preview.append(text.substr(0, cut));
    preview.append("...");
    return preview;
}

const Bytes* stringData(const ClipboardPayload& payload) {
    for (const auto& representation : payload.representations) {
        if (representation.type == pasteboardType::string) {
            return &representation.data;
        }
    }
    return nullptr;
}

std::optional<ClipboardPayload> makeTextPayload(Bytes bytes) {
    if (bytes.size() > maxPayloadBytes || !unicode::isValidUtf8(bytes.view())) {
        return std::nullopt;
    }
    ClipboardPayload payload;
    payload.previewText = truncatedPreview(bytes.view());
    payload.representations.push_back({std::string(pasteboardType::string), std::move(bytes)});
    return payload;
}

}  // namespace tovra
