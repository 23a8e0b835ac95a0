#include "UnicodeText.h"

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>

// ICU's UTF-8 macros mix integer widths on purpose.
#pragma GCC diagnostic ignored "-Wconversion"
#pragma GCC diagnostic ignored "-Wsign-compare"

namespace tovra::unicode {

namespace {

/// A character break iterator bound to one UTF-8 text without converting it to UTF-16, so that
/// walking the first few characters of a 10 MiB text costs what the few characters cost.
class CharacterWalk {
  public:
    explicit CharacterWalk(std::string_view text) : iterator_(sharedIterator()) {
        UErrorCode status = U_ZERO_ERROR;
        utext_openUTF8(&utext_, text.data(), static_cast<int64_t>(text.size()), &status);
        iterator_.setText(&utext_, status);
        if (U_FAILURE(status)) {
            throw std::runtime_error("ICU could not segment text into characters");
        }
    }
    ~CharacterWalk() { utext_close(&utext_); }
    CharacterWalk(const CharacterWalk&) = delete;
    CharacterWalk& operator=(const CharacterWalk&) = delete;

    icu::BreakIterator& iterator() { return iterator_; }

  private:
    static icu::BreakIterator& sharedIterator() {
        // Making an iterator loads rules; one per thread is reused for every text.
        thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
            UErrorCode status = U_ZERO_ERROR;
            std::unique_ptr<icu::BreakIterator> made(
                icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
            if (U_FAILURE(status) || !made) {
                throw std::runtime_error("ICU character break iterator is unavailable");
            }
            return made;
        }();
        return *iterator;
    }

    icu::BreakIterator& iterator_;
    UText utext_ = UTEXT_INITIALIZER;
};

}  // namespace

bool isTrimmable(char32_t codePoint) noexcept {
    if ((codePoint >= 0x09 && codePoint <= 0x0D) || codePoint == 0x85) {
        return true;
    }
    switch (u_charType(static_cast<UChar32>(codePoint))) {
        case U_SPACE_SEPARATOR:
        case U_LINE_SEPARATOR:
        case U_PARAGRAPH_SEPARATOR:
            return true;
        default:
            return false;
    }
}

bool isNewline(char32_t codePoint) noexcept {
    return (codePoint >= 0x0A && codePoint <= 0x0D) || codePoint == 0x85 || codePoint == 0x2028 ||
           codePoint == 0x2029;
}

std::string oneLine(std::string_view text) {
    std::string line;
    line.reserve(text.size());
    std::size_t offset = 0;
    while (offset < text.size()) {
        const CodePoint c = codePointAt(text, offset);
        if (c.wellFormed && (c.value == U'\t' || isNewline(c.value))) {
            line.push_back(' ');
        } else {
            line.append(text.substr(offset, c.boundary - offset));
        }
        offset = c.boundary;
    }
    return line;
}

CodePoint codePointBefore(std::string_view text, std::size_t offset,
                          std::size_t lowerBound) noexcept {
    // ICU walks back with 32-bit offsets: look at the last four bytes only, which hold any one
    // code point, so texts of any length work.
    const std::size_t windowStart = std::max(lowerBound, offset >= 4 ? offset - 4 : 0);
    int32_t index = static_cast<int32_t>(offset - windowStart);
    UChar32 c;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    U8_PREV(bytes + windowStart, 0, index, c);
    return {c < 0 ? U'\uFFFD' : static_cast<char32_t>(c), c >= 0,
            windowStart + static_cast<std::size_t>(index)};
}

std::string_view trimmed(std::string_view text) noexcept {
    std::size_t begin = 0;
    while (begin < text.size()) {
        const CodePoint c = codePointAt(text, begin);
        if (!c.wellFormed || !isTrimmable(c.value)) {
            break;
        }
        begin = c.boundary;
    }
    std::size_t end = text.size();
    while (end > begin) {
        const CodePoint c = codePointBefore(text, end, begin);
        if (!c.wellFormed || !isTrimmable(c.value)) {
            break;
        }
        end = c.boundary;
    }
    return text.substr(begin, end - begin);
}

std::string toLower(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    UErrorCode status = U_ZERO_ERROR;
    std::u16string wide(text.size(), u'\0');
    int32_t wideLength = 0;
    u_strFromUTF8WithSub(wide.data(), static_cast<int32_t>(wide.size()), &wideLength, text.data(),
                         static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status)) {
        throw std::runtime_error("ICU could not convert text to UTF-16");
    }
    wide.resize(static_cast<std::size_t>(wideLength));

    // Full lower-casing can lengthen a text (U+0130 becomes two code points): ask for the size.
    std::u16string lower(wide.size() + 8, u'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        status = U_ZERO_ERROR;
        const int32_t needed =
            u_strToLower(lower.data(), static_cast<int32_t>(lower.size()), wide.data(),
                         static_cast<int32_t>(wide.size()), "", &status);
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            lower.assign(static_cast<std::size_t>(needed), u'\0');
            continue;
        }
        if (U_FAILURE(status)) {
            throw std::runtime_error("ICU could not lower-case text");
        }
        lower.resize(static_cast<std::size_t>(needed));
        break;
    }

    std::string result(lower.size() * 3, '\0');
    int32_t resultLength = 0;
    status = U_ZERO_ERROR;
    u_strToUTF8(result.data(), static_cast<int32_t>(result.size()), &resultLength, lower.data(),
                static_cast<int32_t>(lower.size()), &status);
    if (U_FAILURE(status)) {
        throw std::runtime_error("ICU could not convert text to UTF-8");
    }
    result.resize(static_cast<std::size_t>(resultLength));
    return result;
}

std::size_t characterCount(std::string_view text, std::size_t limit) {
    if (text.empty() || limit == 0) {
        return 0;
    }
    CharacterWalk walk(text);
    auto& iterator = walk.iterator();
    std::size_t count = 0;
    iterator.first();
    while (count < limit && iterator.next() != icu::BreakIterator::DONE) {
        ++count;
    }
    return count;
}

std::size_t prefixLength(std::string_view text, std::size_t count) {
    if (text.empty() || count == 0) {
        return 0;
    }
    CharacterWalk walk(text);
    auto& iterator = walk.iterator();
    int32_t boundary = iterator.first();
    for (std::size_t i = 0; i < count; ++i) {
        const int32_t next = iterator.next();
        if (next == icu::BreakIterator::DONE) {
            return text.size();
        }
        boundary = next;
    }
    return static_cast<std::size_t>(boundary);
}

std::size_t suffixStart(std::string_view text, std::size_t count) {
    if (text.empty() || count == 0) {
        return text.size();
    }
    CharacterWalk walk(text);
    auto& iterator = walk.iterator();
    int32_t boundary = iterator.last();
    for (std::size_t i = 0; i < count; ++i) {
        const int32_t previous = iterator.previous();
        if (previous == icu::BreakIterator::DONE) {
            return 0;
        }
        boundary = previous;
    }
    return static_cast<std::size_t>(boundary);
}

}  // namespace tovra::unicode
