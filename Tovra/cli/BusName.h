#pragma once

#include <string>
#include <string_view>

namespace tovra::cli {

/// The bus name of the Tovra that serves one display. Each X display and each Wayland socket
/// has its own, so instances on two displays sharing a session bus never answer for each
/// other. `waylandSession` picks the Wayland socket over the X display (XWayland's).
std::string busNameFor(std::string_view x11Display, std::string_view waylandDisplay,
                       bool waylandSession);

/// The bus name for this process's display: the one given with -display, else the session's
/// own as the platform backends choose it.
std::string busName(std::string_view displayOption = {});

/// The display `busName` chose, for messages ("DISPLAY :1", "Wayland wayland-0").
std::string displayDescription(std::string_view displayOption = {});

}  // namespace tovra::cli
