#pragma once

#include <array>
#include <string_view>

namespace tovra {

/// The five standard pasteboard types, by their uniform type identifiers. Platform backends map
/// them to their own names (MIME targets on X11).
namespace pasteboardType {
inline constexpr std::string_view rtf = "public.rtf";
inline constexpr std::string_view html = "public.html";
inline constexpr std::string_view string = "public.utf8-plain-text";
inline constexpr std::string_view png = "public.png";
inline constexpr std::string_view tiff = "public.tiff";
/// Marks contents that clipboard history tools should not keep; staged items carry it with
/// `concealedValue`.
inline constexpr std::string_view concealed = "org.nspasteboard.ConcealedType";
inline constexpr std::string_view concealedValue = "secret";
}  // namespace pasteboardType

/// The types a capture reads, in the order it reads them: a payload's representations keep it.
inline constexpr std::array<std::string_view, 5> capturedTypes{
    pasteboardType::rtf, pasteboardType::html, pasteboardType::string, pasteboardType::png,
    pasteboardType::tiff};

}  // namespace tovra
