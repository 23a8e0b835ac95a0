// Split pieces put back together hold the same non-blank text in the same order; keeping only
// the newest pieces keeps exactly the tail of the full split. Any bytes split without harm;
// the text property is for valid UTF-8, the only text a capture splits (broken halves put
// side by side can decode as a new character).
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "Tovra/base/Utf8.h"
#include "Tovra/core/TextSplitting.h"
#include "Tovra/core/UnicodeText.h"

namespace {

/// The text without white space, line breaks, commas and quotes (what splitting may drop).
std::string substance(std::string_view text) {
    std::string kept;
    std::size_t offset = 0;
    while (offset < text.size()) {
        const tovra::unicode::CodePoint c = tovra::unicode::codePointAt(text, offset);
        const bool dropped = c.wellFormed && (tovra::unicode::isTrimmable(c.value) ||
                                              c.value == U',' || c.value == U'"');
        if (!dropped) {
            kept.append(text.substr(offset, c.boundary - offset));
        }
        offset = c.boundary;
    }
    return kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const tovra::TextPieces all = tovra::splitCapturedPieces(text);
    FUZZ_CHECK(all.pieces.size() == all.count);
    std::string joined;
    for (const std::string_view piece : all.pieces) {
        FUZZ_CHECK(!piece.empty());
        // A text without separators stays the copy it was; split values are trimmed.
        FUZZ_CHECK((all.count == 1 && piece == text) || tovra::unicode::trimmed(piece) == piece);
        joined.append(piece);
    }
    FUZZ_CHECK(joined.size() <= text.size());
    if (tovra::unicode::isValidUtf8(text)) {
        FUZZ_CHECK(substance(joined) == substance(text));
    }

    const auto copied = tovra::splitCapturedText(text);
    FUZZ_CHECK(copied.size() == all.pieces.size());
    for (std::size_t i = 0; i < copied.size(); ++i) {
        FUZZ_CHECK(copied[i] == all.pieces[i]);
    }
    for (const std::size_t keep : {std::size_t{1}, std::size_t{3}}) {
        const tovra::TextPieces newest = tovra::splitCapturedPieces(text, keep);
        FUZZ_CHECK(newest.count == all.count);
        const std::size_t kept = std::min(keep, all.count);
        FUZZ_CHECK(newest.pieces.size() == kept);
        for (std::size_t i = 0; i < kept; ++i) {
            FUZZ_CHECK(newest.pieces[i] == all.pieces[all.count - kept + i]);
        }
    }
    return 0;
}
