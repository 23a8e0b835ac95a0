#include "PasteboardTransfer.h"

#include "Tovra/base/PasteboardTypes.h"
#include "Tovra/base/Utf8.h"
#include "platform/Pasteboard.h"

namespace tovra {

namespace {

/// The payload of what `textOf` and `dataOf` read, within the budget.
template <class TextOf, class DataOf>
std::optional<ClipboardPayload> payloadOf(const TextOf& textOf, const DataOf& dataOf) {
    std::optional<Bytes> text = textOf();
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
        std::optional<Bytes> bytes = dataOf(type);
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

}  // namespace

std::optional<ClipboardPayload> capturePayload(Pasteboard& pasteboard) {
    return payloadOf([&] { return pasteboard.string(); },
                     [&](std::string_view type) { return pasteboard.data(type); });
}

std::optional<ClipboardPayload> capturePayload(
    const std::vector<ClipboardRepresentation>& contents) {
    auto find = [&](std::string_view type) -> const ClipboardRepresentation* {
        for (const auto& representation : contents) {
            if (representation.type == type) {
                return &representation;
            }
        }
        return nullptr;
    };
    return payloadOf(
        [&]() -> std::optional<Bytes> {
            // The text as a pasteboard offers it: valid UTF-8 or none.
            const ClipboardRepresentation* text = find(pasteboardType::string);
            if (text == nullptr || !unicode::isValidUtf8(text->data.view())) {
                return std::nullopt;
            }
            return text->data;
        },
        [&](std::string_view type) -> std::optional<Bytes> {
            const ClipboardRepresentation* representation = find(type);
            return representation != nullptr ? std::optional<Bytes>(representation->data)
                                             : std::nullopt;
        });
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
