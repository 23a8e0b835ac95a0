#pragma once

#include <array>
#include <string_view>

#include "Tovra/base/Bytes.h"
#include "Tovra/base/PasteboardTypes.h"

namespace tovra::x11 {

struct TargetName {
    std::string_view type;
    std::string_view target;
};

/// Our pasteboard types as X selection targets, most preferred first for each type.
inline constexpr std::array<TargetName, 9> clipboardTargets{{
    {pasteboardType::rtf, "text/rtf"},
    {pasteboardType::rtf, "application/rtf"},
    {pasteboardType::html, "text/html"},
    {pasteboardType::string, "UTF8_STRING"},
    {pasteboardType::string, "text/plain;charset=utf-8"},
    {pasteboardType::string, "STRING"},
    {pasteboardType::png, "image/png"},
    {pasteboardType::tiff, "image/tiff"},
    // Clipboard history tools that honour it never record what we stage.
    {pasteboardType::concealed, "x-kde-passwordManagerHint"},
}};

/// The one text target that is Latin-1 rather than UTF-8.
inline constexpr std::string_view latin1Target = "STRING";

Bytes latin1ToUtf8(std::string_view latin1);
/// Characters Latin-1 cannot hold become "?".
Bytes utf8ToLatin1(std::string_view utf8);

/// What an owner's property under `target` holds, as our bytes of that target's type.
Bytes bytesFromProperty(std::string_view target, std::string_view property);
/// What we put in a requestor's property for `target`, from our bytes of its type.
Bytes propertyFromBytes(std::string_view target, std::string_view bytes);

}  // namespace tovra::x11
