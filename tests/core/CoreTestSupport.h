#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "Tovra/base/PasteboardTypes.h"
#include "Tovra/core/ClipboardPayload.h"
#include "Tovra/core/QueueManager.h"
#include "platform/Pasteboard.h"
#include "tests/support/RepeatedText.h"

namespace tovra::test {

inline ClipboardRepresentation representation(std::string_view type, std::string_view bytes) {
    return {std::string(type), Bytes(bytes)};
}

inline ClipboardPayload plainPayload(std::string_view text) {
    return {std::string(text), {representation(pasteboardType::string, text)}};
}

/// The plain text of every stored item, oldest first ("<no text>" for items without one).
inline std::vector<std::string> storedTexts(const QueueManager& queue) {
    std::vector<std::string> texts;
    for (const auto& item : queue.items()) {
        const Bytes* text = stringData(item.payload);
        texts.emplace_back(text != nullptr ? std::string(text->view()) : "<no text>");
    }
    return texts;
}

/// Takes every item in hand-out order and returns their texts.
inline std::vector<std::string> drain(QueueManager& queue) {
    std::vector<std::string> texts;
    while (auto item = queue.takeNext()) {
        texts.emplace_back(stringData(item->payload)->view());
    }
    return texts;
}

/// The plain text on a fake clipboard, or "<none>".
inline std::string clipboardText(Pasteboard& pasteboard) {
    const auto text = pasteboard.string();
    return text ? std::string(text->view()) : "<none>";
}

}  // namespace tovra::test
