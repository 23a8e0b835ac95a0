#include "ApplicationId.h"

#include <algorithm>

#include "UnicodeText.h"

namespace tovra {

std::vector<std::string> applicationIdParts(std::string_view id) {
    const std::string lower = unicode::toLower(id);
    std::vector<std::string> parts;
    std::string part;
    for (const char c : lower) {
        if (c == '.' || c == '-' || c == '_' || c == ' ') {
            if (!part.empty()) {
                parts.push_back(std::move(part));
                part.clear();
            }
        } else {
            part.push_back(c);
        }
    }
    if (!part.empty()) {
        parts.push_back(std::move(part));
    }
    return parts;
}

bool applicationIdMentions(std::string_view id, std::string_view word) {
    const auto parts = applicationIdParts(id);
    const auto wanted = applicationIdParts(word);
    if (wanted.empty()) {
        return false;
    }
    return std::search(parts.begin(), parts.end(), wanted.begin(), wanted.end()) != parts.end();
}

}  // namespace tovra
