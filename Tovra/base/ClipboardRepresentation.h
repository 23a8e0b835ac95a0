#pragma once

#include <string>

#include "Bytes.h"

namespace tovra {

/// One type of a captured clipboard content; types compare by exact text.
struct ClipboardRepresentation {
    std::string type;
    Bytes data;

    friend bool operator==(const ClipboardRepresentation&,
                           const ClipboardRepresentation&) = default;
};

}  // namespace tovra
