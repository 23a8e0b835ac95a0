#include "PrivacyMasking.h"

#include <algorithm>
#include <cstddef>

#include "UnicodeText.h"

namespace tovra {

namespace {

constexpr std::string_view bullet = "\u2022";
constexpr std::size_t previewLimit = 30;
constexpr std::size_t shortTextLimit = 6;
// From this length on, the partial mask no longer depends on the length.
constexpr std::size_t saturatedLength = 18;

std::string bullets(std::size_t count) {
    std::string result;
    result.reserve(count * bullet.size());
    for (std::size_t i = 0; i < count; ++i) {
        result.append(bullet);
    }
    return result;
}

std::string preview(std::string_view text) {
    if (text.size() <= previewLimit) {
        return std::string(text);
    }
    const std::size_t cut = unicode::prefixLength(text, previewLimit);
    if (cut >= text.size()) {
        return std::string(text);
    }
    std::string result(text.substr(0, cut));
    result.append("...");
    return result;
}

std::string partialMask(std::string_view text) {
    const std::size_t n = unicode::characterCount(text, saturatedLength);
    if (n < shortTextLimit) {
        return bullets(4);
    }
    const std::size_t shown = std::min<std::size_t>(n / 3, 6);
    const std::size_t rest = n - shown;
    const std::size_t bulletCount = rest < 6 ? 3 : std::min<std::size_t>(rest, 12) - 2;
    std::string result(text.substr(0, unicode::prefixLength(text, shown)));
    result.append(bullets(bulletCount));
    result.append(text.substr(unicode::suffixStart(text, 2)));
    return result;
}

}  // namespace

std::string maskedText(std::string_view text, PrivacyMode mode) {
    switch (mode) {
        case PrivacyMode::preview:
            return preview(text);
        case PrivacyMode::partialMask:
            return partialMask(text);
        case PrivacyMode::sensitive:
            break;
    }
    return bullets(8);
}

}  // namespace tovra
