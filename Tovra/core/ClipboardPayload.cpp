#include "ClipboardPayload.h"

#include <algorithm>

#include "Pasteboard.h"
#include "PasteboardTypes.h"
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

std::optional<ClipboardPayload> ClipboardPayload::capture(Pasteboard& pasteboard) {
    std::optional<Bytes> text = pasteboard.string();
    std::optional<std::size_t> textIndex;
    std::vector<ClipboardRepresentation> representations;
    std::size_t total = 0;
    auto take = [&](std::string_view type, Bytes bytes) {
        total += bytes.size();
        representations.push_back({std::string(type), std::move(bytes)});
    };

    for (const std::string_view type : capturedTypes) {
        if (type == pasteboardType::string && text) {
            // An empty text still counts: it is what the user copied.
            if (text->size() <= maxPayloadBytes - total) {
                textIndex = representations.size();
                take(type, std::move(*text));
            }
            continue;
        }
        std::optional<Bytes> bytes = pasteboard.data(type);
        if (bytes && !bytes->empty() && bytes->size() <= maxPayloadBytes - total) {
            take(type, std::move(*bytes));
        }
    }
    if (representations.empty()) {
        return std::nullopt;
    }

    // The label is the offered text even when that text did not fit the budget.
    std::string_view offered;
    if (textIndex) {
        offered = representations[*textIndex].data.view();
    } else if (text) {
        offered = text->view();
    }
    ClipboardPayload payload;
    payload.previewText = offered.empty()
                              ? truncatedPreview(makePreviewLabel(representations, std::nullopt))
                              : truncatedPreview(offered);
    payload.representations = std::move(representations);
    return payload;
}

void writeToPasteboard(const ClipboardPayload& payload, Pasteboard& pasteboard) {
    pasteboard.clearContents();
    for (const auto& representation : payload.representations) {
        if (representation.type == pasteboardType::string &&
            unicode::isValidUtf8(representation.data.view())) {
            pasteboard.setString(representation.data.view(), representation.type);
        } else {
            pasteboard.setData(representation.data, representation.type);
        }
    }
}

}  // namespace tovra
