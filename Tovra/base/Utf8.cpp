#include "Utf8.h"

// ICU's UTF-8 macros only: they expand inline, so this needs ICU's headers and not its library.
#include <unicode/utf8.h>

#include <cstdint>
#include <cstring>

// ICU's UTF-8 macros mix integer widths on purpose.
#pragma GCC diagnostic ignored "-Wconversion"
#pragma GCC diagnostic ignored "-Wsign-compare"

namespace tovra::unicode {

namespace {

const std::uint8_t* bytesOf(std::string_view text) {
    return reinterpret_cast<const std::uint8_t*>(text.data());
}

}  // namespace

bool isValidUtf8(std::string_view bytes) noexcept {
    const std::uint8_t* s = bytesOf(bytes);
    const std::size_t length = bytes.size();
    std::size_t i = 0;
    while (i < length) {
        // Most copied text is ASCII: skip it eight bytes at a time.
        while (i + 8 <= length) {
            std::uint64_t word;
            std::memcpy(&word, s + i, sizeof word);
            if ((word & 0x8080808080808080ULL) != 0) {
                break;
            }
            i += 8;
        }
        if (i >= length) {
            break;
        }
        UChar32 c;
        U8_NEXT(s, i, length, c);
        if (c < 0) {
            return false;
        }
    }
    return true;
}

CodePoint codePointAt(std::string_view text, std::size_t offset) noexcept {
    const std::uint8_t* s = bytesOf(text);
    std::size_t next = offset;
    UChar32 c;
    U8_NEXT(s, next, text.size(), c);
    return {c < 0 ? U'\uFFFD' : static_cast<char32_t>(c), c >= 0, next};
}

Bytes latin1ToUtf8(std::string_view latin1) {
    Bytes utf8;
    utf8.reserve(latin1.size() + latin1.size() / 4);
    for (const char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8.append(std::string_view(&c, 1));
        } else {
            const char pair[2] = {static_cast<char>(0xC0 | (byte >> 6)),
                                  static_cast<char>(0x80 | (byte & 0x3F))};
            utf8.append(std::string_view(pair, 2));
        }
    }
    return utf8;
}

}  // namespace tovra::unicode
