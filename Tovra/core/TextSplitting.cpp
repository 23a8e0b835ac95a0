#include "TextSplitting.h"

#include <unicode/uchar.h>

#include <cstdint>
#include <cstring>

#include "UnicodeText.h"

namespace tovra {

namespace {

void addTrimmed(std::vector<std::string_view>& pieces, std::string_view piece) {
    const std::string_view kept = unicode::trimmed(piece);
    if (!kept.empty()) {
        pieces.push_back(kept);
    }
}

/// Byte length of the newline code point starting at `i`, or 0. Newlines are ASCII or start with
/// a lead byte no other newline shares, so a byte scan finds them in valid UTF-8.
std::size_t newlineLengthAt(std::string_view text, std::size_t i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x0A && byte <= 0x0D) {
        return 1;
    }
    if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x85) {
        return 2;
    }
    if (byte == 0xE2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80) {
        const auto last = static_cast<unsigned char>(text[i + 2]);
        if (last == 0xA8 || last == 0xA9) {
            return 3;
        }
    }
    return 0;
}

/// Whether the ASCII byte at `i` is a whole user-perceived character: a comma followed by a
/// combining accent is a different character, and so is one after a prepended mark.
bool isWholeCharacterAt(std::string_view text, std::size_t i) {
    if (i + 1 < text.size()) {
        const char32_t next = unicode::codePointAt(text, i + 1).value;
        if (next >= 0x80) {
            switch (
                u_getIntPropertyValue(static_cast<UChar32>(next), UCHAR_GRAPHEME_CLUSTER_BREAK)) {
                case U_GCB_EXTEND:
                case U_GCB_ZWJ:
                case U_GCB_SPACING_MARK:
                    return false;
                default:
                    break;
            }
        }
    }
    if (i > 0) {
        const char32_t previous = unicode::codePointBefore(text, i).value;
        if (previous >= 0x80 &&
            u_getIntPropertyValue(static_cast<UChar32>(previous), UCHAR_GRAPHEME_CLUSTER_BREAK) ==
                U_GCB_PREPEND) {
            return false;
        }
    }
    return true;
}

std::size_t countCommaCharacters(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = text.find(','); i != std::string_view::npos; i = text.find(',', i + 1)) {
        if (isWholeCharacterAt(text, i)) {
            ++count;
        }
    }
    return count;
}

std::vector<std::string> copies(const TextPieces& split) {
    return {split.pieces.begin(), split.pieces.end()};
}

}  // namespace

TextPieces splitCapturedPieces(std::string_view text) {
    TextPieces result;
    if (text.find('\t') != std::string_view::npos) {
        std::size_t start = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '\t' || c == '\n' || c == '\r') {
                addTrimmed(result.pieces, text.substr(start, i - start));
                start = i + 1;
            }
        }
        addTrimmed(result.pieces, text.substr(start));
        return result;
    }

    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = newlineLengthAt(text, i);
        if (length == 0) {
            ++i;
            continue;
        }
        addTrimmed(result.pieces, text.substr(start, i - start));
        i += length;
        start = i;
    }
    addTrimmed(result.pieces, text.substr(start));
    if (result.pieces.size() > 1) {
        return result;
    }

    if (countCommaCharacters(text) < 2) {
        result.pieces.assign(1, text);
        return result;
    }
    return splitCommaPieces(text);
}

TextPieces splitCommaPieces(std::string_view text) {
    TextPieces result;
    // A field is a view while it holds no quotes; once a quote is dropped it is rebuilt in
    // storage, since its characters are no longer contiguous in the text.
    std::size_t fieldStart = 0;
    std::string* rebuilt = nullptr;
    bool inQuotes = false;

    auto endField = [&](std::size_t end) {
        if (rebuilt == nullptr) {
            addTrimmed(result.pieces, text.substr(fieldStart, end - fieldStart));
            return;
        }
        rebuilt->append(text.substr(fieldStart, end - fieldStart));
        const std::string_view kept = unicode::trimmed(*rebuilt);
        if (kept.empty()) {
            result.storage.pop_back();
        } else {
            result.pieces.push_back(kept);
        }
        rebuilt = nullptr;
    };

    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if ((c != '"' && c != ',') || !isWholeCharacterAt(text, i)) {
            continue;
        }
        if (c == '"') {
            if (rebuilt == nullptr) {
                rebuilt = &result.storage.emplace_back();
            }
            rebuilt->append(text.substr(fieldStart, i - fieldStart));
            fieldStart = i + 1;
            inQuotes = !inQuotes;
        } else if (!inQuotes) {
            endField(i);
            fieldStart = i + 1;
        }
    }
    endField(text.size());

    if (result.pieces.size() < 2) {
        result.pieces.assign(1, text);
        result.storage.clear();
    }
    return result;
}

std::vector<std::string> splitCapturedText(std::string_view text) {
    return copies(splitCapturedPieces(text));
}

std::vector<std::string> splitCommaFields(std::string_view text) {
    return copies(splitCommaPieces(text));
}

}  // namespace tovra
