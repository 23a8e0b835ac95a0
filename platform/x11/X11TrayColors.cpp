#include "X11TrayColors.h"

#include <string>

#include "X11Connection.h"

namespace tovra::x11 {

namespace {

xcb_atom_t existingAtom(xcb_connection_t* c, const std::string& name) {
    const XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 1, static_cast<std::uint16_t>(name.size()), name.data()), nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

}  // namespace

std::optional<std::uint32_t> trayForeground(xcb_connection_t* c, int screen) {
    if (c == nullptr || xcb_connection_has_error(c) != 0) {
        return std::nullopt;
    }
    const xcb_atom_t selection = existingAtom(c, "_NET_SYSTEM_TRAY_S" + std::to_string(screen));
    const xcb_atom_t colors = existingAtom(c, "_NET_SYSTEM_TRAY_COLORS");
    if (selection == XCB_ATOM_NONE || colors == XCB_ATOM_NONE) {
        return std::nullopt;  // no client ever named them: no tray sets them
    }
    const XcbReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr));
    if (!owner || owner->owner == XCB_WINDOW_NONE) {
        return std::nullopt;
    }
    // Foreground, error, warning and success, each as 16-bit red, green and blue.
    const XcbReply<xcb_get_property_reply_t> property(xcb_get_property_reply(
        c, xcb_get_property(c, 0, owner->owner, colors, XCB_ATOM_CARDINAL, 0, 12), nullptr));
    if (!property || property->format != 32 || xcb_get_property_value_length(property.get()) < 12) {
        return std::nullopt;
    }
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(property.get()));
    std::uint32_t rgb = 0;
    for (int channel = 0; channel < 3; ++channel) {
        rgb = (rgb << 8) | ((values[channel] >> 8) & 0xFF);
    }
    return rgb;
}

}  // namespace tovra::x11
