// What owners put in X properties becomes a payload, and what we serve of that payload reads
// back as the same bytes: Latin-1 text (STRING) round-trips exactly, every other target is the
// bytes as they were, and the shown label is always valid UTF-8.
//
// Input: records of a target byte (an index into our targets), a length byte and that many
// property bytes, as one owner offers them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "Tovra/base/Utf8.h"
#include "Tovra/capture/PasteboardTransfer.h"
#include "platform/testing/FakePasteboard.h"
#include "platform/x11/X11ClipboardTargets.h"

namespace {

using tovra::x11::clipboardTargets;

struct Offered {
    tovra::x11::TargetName name;
    std::string property;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first target an owner offers for each type is the one read, as the reader does.
    std::vector<Offered> offered;
    for (std::size_t at = 0; at + 2 <= size;) {
        const auto& name = clipboardTargets[data[at] % clipboardTargets.size()];
        const std::size_t length = std::min<std::size_t>(data[at + 1], size - at - 2);
        const std::string property(reinterpret_cast<const char*>(data + at + 2), length);
        at += 2 + length;
        const bool typeTaken = std::any_of(offered.begin(), offered.end(), [&](const Offered& o) {
            return o.name.type == name.type;
        });
        if (!typeTaken) {
            offered.push_back({name, property});
        }
    }
    std::vector<tovra::ClipboardRepresentation> contents;
    for (const auto& o : offered) {
        contents.push_back(
            {std::string(o.name.type), tovra::x11::bytesFromProperty(o.name.target, o.property)});
    }

    const auto payload = tovra::capturePayload(contents);
    if (!payload) {
        return 0;
    }
    FUZZ_CHECK(tovra::unicode::isValidUtf8(payload->previewText));
    tovra::testing::FakePasteboard pasteboard;
    tovra::writeToPasteboard(*payload, pasteboard);
    for (const auto& representation : pasteboard.contents()) {
        for (const auto& o : offered) {
            if (o.name.type != representation.type) {
                continue;
            }
            // Served under the target it came from, it is what the owner gave.
            const tovra::Bytes served =
                tovra::x11::propertyFromBytes(o.name.target, representation.data.view());
            FUZZ_CHECK(served.view() == o.property);
        }
    }
    return 0;
}
