#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>

namespace tovra::x11 {

/// The colour the system tray of `screen` asks its icons to draw in (0xRRGGBB), from the
/// tray's `_NET_SYSTEM_TRAY_COLORS`; none without a tray or when the tray does not say.
std::optional<std::uint32_t> trayForeground(xcb_connection_t* connection, int screen);

}  // namespace tovra::x11
