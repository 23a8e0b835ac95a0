#include "WaylandAccessibilityTrust.h"

#include "WaylandConnection.h"

namespace tovra {

WaylandAccessibilityTrust::WaylandAccessibilityTrust(const WaylandConnection& connection,
                                                     std::function<void()> openSettings)
    : trusted_(connection.dataControlFlavor() != DataControlFlavor::none &&
               connection.seat() != nullptr),
      explanation_(explain(trusted_, connection.virtualKeyboardManager() != nullptr,
                           connection.offers("zwlr_foreign_toplevel_manager_v1"))),
      openSettings_(std::move(openSettings)) {}

std::string WaylandAccessibilityTrust::explain(bool dataControl, bool virtualKeyboard,
                                               bool toplevels) {
    if (!dataControl) {
        return "This Wayland desktop lets no program read or set the clipboard for you (it "
               "offers neither ext-data-control nor wlr-data-control), so Tovra cannot queue "
               "copies here. It works on sway, Hyprland, river, labwc, niri, Wayfire and KDE "
               "Plasma, and in any X11 session (GNOME offers \"GNOME on Xorg\" at login).";
    }
    std::string text =
        "Tovra reads copies on this Wayland desktop. Paste next and paste all come from the "
        "desktop's own key bindings running \"tovra paste-next\" and \"tovra paste-all\".";
    if (!virtualKeyboard) {
        text +=
            " This desktop lets no program type keys: the next item waits on the clipboard "
            "for your own Ctrl+V.";
    }
    if (!toplevels) {
        text +=
            " It does not say which application is in front, so smart mode uses its "
            "default order.";
    }
    return text;
}

}  // namespace tovra
