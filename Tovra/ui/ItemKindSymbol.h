#pragma once

#include <string>

#include "MoxUI/MoxGlyph.h"

namespace tovra {

/// The symbol of an item's kind ("Image", "Rich text", "HTML" or "Plain text").
inline mox::MoxGlyph kindGlyph(const std::string& kind) {
    if (kind == "Image") {
        return mox::MoxGlyph::image;
    }
    return kind == "Plain text" ? mox::MoxGlyph::text : mox::MoxGlyph::richText;
}

/// The freedesktop icon name for the same kind, for surfaces that follow the icon theme.
inline const char* kindIconName(const std::string& kind) {
    if (kind == "Image") {
        return "image-x-generic";
    }
    return kind == "Plain text" ? "text-x-generic" : "text-html";
}

}  // namespace tovra
