// A burst is every item's text in hand-out order joined by the separator, or nothing with the
// queue untouched: never a partial join, never more than the byte budget, never broken UTF-8.
//
// Input: a mode byte (bit 0: last in first out; bit 1: the first item is an image only; bit 7:
// the first item is padded to near the budget, bits 2-6 saying how near), a separator length
// byte, the separator, then the items' texts separated by NUL.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "Tovra/base/PasteboardTypes.h"
#include "Tovra/base/Utf8.h"
#include "Tovra/core/QueueManager.h"
#include "Tovra/core/SmartModeEngine.h"

namespace {

constexpr std::size_t maxItems = 1000;

tovra::StackItem textItem(std::string_view text) {
    return tovra::StackItem::make(
        {std::string(text), {{std::string(tovra::pasteboardType::string), tovra::Bytes(text)}}});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::uint8_t flags = data[0];
    std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::string_view separator = rest.substr(0, data[1]);
    rest.remove_prefix(separator.size());

    std::vector<std::string> texts;
    for (std::size_t start = 0; texts.size() < maxItems;) {
        const std::size_t end = rest.find('\0', start);
        texts.emplace_back(rest.substr(start, end - start));
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    // Near the budget, joins land on both sides of its edge.
    if ((flags & 0x80) != 0) {
        texts.front().append(tovra::maxPayloadBytes - 512 + ((flags >> 2) & 0x1F) * 32, 'x');
    }

    tovra::SmartModeEngine engine;
    tovra::QueueManager queue(engine);
    queue.setMode((flags & 1) != 0 ? tovra::QueueMode::lifo : tovra::QueueMode::fifo);
    queue.setMaxItems(static_cast<int>(maxItems));
    const bool imageFirst = (flags & 2) != 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i == 0 && imageFirst) {
            queue.enqueue(tovra::StackItem::make(
                {"Image", {{std::string(tovra::pasteboardType::png), tovra::Bytes(texts[0])}}}));
        } else {
            queue.enqueue(textItem(texts[i]));
        }
    }
    const auto before = queue.items();

    std::string expected;
    const bool lifo = (flags & 1) != 0;
    for (std::size_t step = 0; step < texts.size(); ++step) {
        if (step > 0) {
            expected.append(separator);
        }
        expected.append(texts[lifo ? texts.size() - 1 - step : step]);
    }
    const bool possible = !imageFirst && expected.size() <= tovra::maxPayloadBytes &&
                          tovra::unicode::isValidUtf8(expected);

    const auto burst = queue.makeBurstPayload(separator);
    FUZZ_CHECK(burst.has_value() == possible);
    if (burst) {
        const tovra::Bytes* joined = tovra::stringData(*burst);
        FUZZ_CHECK(joined != nullptr && joined->view() == expected);
        FUZZ_CHECK(queue.isEmpty());
    } else {
        FUZZ_CHECK(queue.items() == before);
    }
    return 0;
}
