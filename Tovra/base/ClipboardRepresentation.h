#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Bytes.h"

namespace tovra {

/// One type of a captured clipboard content; types compare by exact text.
struct ClipboardRepresentation {
    std::string type;
    Bytes data;

    friend bool operator==(const ClipboardRepresentation&,
                           const ClipboardRepresentation&) = default;
};

/// Sets the bytes of `type` in `contents`: replaced where the type is there, added at the end
/// where it is not.
inline void putRepresentation(std::vector<ClipboardRepresentation>& contents, std::string_view type,
                              Bytes data) {
    for (auto& representation : contents) {
        if (representation.type == type) {
            representation.data = std::move(data);
            return;
        }
    }
    contents.push_back({std::string(type), std::move(data)});
}

}  // namespace tovra
