#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "Tovra/base/Bytes.h"
#include "Tovra/base/PasteboardTypes.h"

namespace tovra::wayland {

struct MimeName {
    std::string_view type;
    std::string_view mime;
    friend bool operator==(const MimeName&, const MimeName&) = default;
};

/// Our pasteboard types as MIME types, most preferred first for each type. The X11 names of
/// plain text stay: XWayland clients and many native ones still offer and ask for them.
inline constexpr std::array<MimeName, 11> clipboardMimeTypes{{
    {pasteboardType::rtf, "text/rtf"},
    {pasteboardType::rtf, "application/rtf"},
    {pasteboardType::html, "text/html"},
    {pasteboardType::string, "text/plain;charset=utf-8"},
    {pasteboardType::string, "UTF8_STRING"},
    {pasteboardType::string, "text/plain"},
    {pasteboardType::string, "STRING"},
    {pasteboardType::string, "TEXT"},
    {pasteboardType::png, "image/png"},
    {pasteboardType::tiff, "image/tiff"},
    // Clipboard history tools that honour it never record what we stage.
    {pasteboardType::concealed, "x-kde-passwordManagerHint"},
}};

/// Offered with everything we put on the clipboard, so our own contents are known again when
/// they come back, and when a clipboard manager re-offers them as its own.
inline constexpr std::string_view ownContentsMarker = "application/x-tovra-staged";
inline constexpr std::string_view ownContentsMarkerValue = "staged";

/// For each of our types the offer carries, the MIME type to read it under, in capture order.
std::vector<MimeName> mimeTypesToRead(const std::vector<std::string>& offered);

/// Text read under a plain-text MIME type becomes valid UTF-8: what is not is read as Latin-1
/// (older clients' STRING). Other types pass as they are.
Bytes bytesFromMime(const MimeName& name, Bytes data);

/// The MIME types we answer for `type`.
std::vector<std::string_view> mimeTypesOf(std::string_view type);
/// Our type served under `mime`, or empty when we serve nothing under it.
std::string_view typeOfMime(std::string_view mime);

}  // namespace tovra::wayland
