// What the surfaces show of a copied text: masked previews, one-line forms and character cuts
// of valid UTF-8 are valid UTF-8 again, and cuts fall on character boundaries.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "Tovra/base/Utf8.h"
#include "Tovra/core/PrivacyMasking.h"
#include "Tovra/core/UnicodeText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!tovra::unicode::isValidUtf8(text)) {
        return 0;  // captured text is validated before it is shown
    }
    for (const tovra::PrivacyMode mode : tovra::allCases<tovra::PrivacyMode>()) {
        const std::string masked = tovra::maskedText(text, mode);
        FUZZ_CHECK(tovra::unicode::isValidUtf8(masked));
        FUZZ_CHECK(tovra::unicode::isValidUtf8(tovra::unicode::oneLine(masked)));
    }
    const std::string line = tovra::unicode::oneLine(text);
    FUZZ_CHECK(tovra::unicode::isValidUtf8(line));
    FUZZ_CHECK(line.find('\n') == std::string::npos && line.find('\t') == std::string::npos);
    for (const std::size_t count : {std::size_t{1}, std::size_t{27}, std::size_t{30}}) {
        const std::size_t prefix = tovra::unicode::prefixLength(text, count);
        FUZZ_CHECK(prefix <= text.size());
        FUZZ_CHECK(tovra::unicode::isValidUtf8(text.substr(0, prefix)));
        FUZZ_CHECK(tovra::unicode::characterCount(text.substr(0, prefix), count + 1) <= count);
        const std::size_t suffix = tovra::unicode::suffixStart(text, count);
        FUZZ_CHECK(tovra::unicode::isValidUtf8(text.substr(suffix)));
    }
    FUZZ_CHECK(tovra::unicode::isValidUtf8(tovra::unicode::toLower(text)));
    FUZZ_CHECK(tovra::unicode::isValidUtf8(tovra::unicode::trimmed(text)));
    return 0;
}
