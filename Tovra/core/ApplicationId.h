#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tovra {

/// The words of an application id or window class, lower-cased: "org.gnome.Terminal" is
/// org, gnome, terminal; "Xfce4-terminal" is xfce4, terminal. Dots, dashes, underscores and
/// spaces separate them.
[[nodiscard]] std::vector<std::string> applicationIdParts(std::string_view id);

/// True when the id holds `word` as whole parts, in a row ("visual-studio-code" in
/// "com.visual-studio-code.app"), never inside another part ("zed" is not in "Glazed").
[[nodiscard]] bool applicationIdMentions(std::string_view id, std::string_view word);

}  // namespace tovra
