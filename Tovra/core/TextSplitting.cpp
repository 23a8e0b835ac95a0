#include "TextSplitting.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "UnicodeText.h"

namespace tovra {

namespace {

/// The newest `keep` of the items added, in a ring: nothing grows with the length of the text.
template <class Item>
class NewestItems {
  public:
    explicit NewestItems(std::size_t keep) : keep_(keep) {}

    void add(const Item& item) {
        ++count_;
        if (keep_ == 0) {
            return;
        }
        if (ring_.size() < keep_) {
            ring_.push_back(item);
            return;
        }
        ring_[next_] = item;
        next_ = next_ + 1 == keep_ ? 0 : next_ + 1;
    }
    [[nodiscard]] std::size_t count() const { return count_; }
    /// The items kept, oldest first.
    std::vector<Item> take() {
        std::rotate(ring_.begin(), ring_.begin() + static_cast<std::ptrdiff_t>(next_), ring_.end());
        next_ = 0;
        return std::move(ring_);
    }

  private:
    std::size_t keep_;
    std::size_t count_ = 0;
    std::size_t next_ = 0;
    std::vector<Item> ring_;
};

void addTrimmed(NewestItems<std::string_view>& pieces, std::string_view piece) {
    const std::string_view kept = unicode::trimmed(piece);
    if (!kept.empty()) {
        pieces.add(kept);
    }
}

TextPieces piecesOf(NewestItems<std::string_view>& found) {
    TextPieces result;
    result.count = found.count();
    result.pieces = found.take();
    return result;
}

TextPieces wholeText(std::string_view text) {
    TextPieces result;
    result.pieces.assign(1, text);
    result.count = 1;
    return result;
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

/// A comma-separated field by its place in the text; one that holds quotes is rebuilt without
/// them only if it is kept.
struct Field {
    std::size_t begin;
    std::size_t end;
    bool quoted;
};

bool isQuoteAt(std::string_view text, std::size_t i) {
    return text[i] == '"' && isWholeCharacterAt(text, i);
}

/// Whether the field holds anything but white space once its quotes are gone. Judged on the
/// field as it will be kept: bytes on either side of a dropped quote meet then.
bool hasContent(std::string_view text, const Field& field) {
    const std::string_view raw = text.substr(field.begin, field.end - field.begin);
    if (!field.quoted) {
        return !unicode::trimmed(raw).empty();
    }
    std::string unquoted;
    unquoted.reserve(raw.size());
    for (std::size_t i = field.begin; i < field.end; ++i) {
        if (!isQuoteAt(text, i)) {
            unquoted.push_back(text[i]);
        }
    }
    return !unicode::trimmed(unquoted).empty();
}

std::vector<std::string> copies(const TextPieces& split) {
    return {split.pieces.begin(), split.pieces.end()};
}

}  // namespace

TextPieces splitCapturedPieces(std::string_view text, std::size_t keep) {
    NewestItems<std::string_view> found(keep);
    if (text.find('\t') != std::string_view::npos) {
        std::size_t start = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '\t' || c == '\n' || c == '\r') {
                addTrimmed(found, text.substr(start, i - start));
                start = i + 1;
            }
        }
        addTrimmed(found, text.substr(start));
        return piecesOf(found);
    }

    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = newlineLengthAt(text, i);
        if (length == 0) {
            ++i;
            continue;
        }
        addTrimmed(found, text.substr(start, i - start));
        i += length;
        start = i;
    }
    addTrimmed(found, text.substr(start));
    if (found.count() != 1) {
        return piecesOf(found);  // several lines, or nothing but white space
    }

    if (countCommaCharacters(text) < 2) {
        return wholeText(text);
    }
    return splitCommaPieces(text, keep);
}

TextPieces splitCommaPieces(std::string_view text, std::size_t keep) {
    NewestItems<Field> fields(keep);
    Field field{0, 0, false};
    bool inQuotes = false;
    const auto endField = [&](std::size_t end) {
        field.end = end;
        if (hasContent(text, field)) {
            fields.add(field);
        }
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if ((c != '"' && c != ',') || !isWholeCharacterAt(text, i)) {
            continue;
        }
        if (c == '"') {
            field.quoted = true;
            inQuotes = !inQuotes;
        } else if (!inQuotes) {
            endField(i);
            field = Field{i + 1, i + 1, false};
        }
    }
    endField(text.size());
    if (fields.count() < 2) {
        return wholeText(text);
    }

    TextPieces result;
    result.count = fields.count();
    for (const Field& kept : fields.take()) {
        const std::string_view raw = text.substr(kept.begin, kept.end - kept.begin);
        if (!kept.quoted) {
            result.pieces.push_back(unicode::trimmed(raw));
            continue;
        }
        // Its characters are no longer contiguous in the text once the quotes are dropped.
        std::string& rebuilt = result.storage.emplace_back();
        rebuilt.reserve(raw.size());
        for (std::size_t i = kept.begin; i < kept.end; ++i) {
            if (!isQuoteAt(text, i)) {
                rebuilt.push_back(text[i]);
            }
        }
        result.pieces.push_back(unicode::trimmed(rebuilt));
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
