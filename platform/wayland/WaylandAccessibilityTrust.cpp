#include "WaylandAccessibilityTrust.h"

#include "WaylandConnection.h"

namespace tovra {

WaylandAccessibilityTrust::WaylandAccessibilityTrust(const WaylandConnection& connection,
                                                     std::function<void()> openSettings)
    : trusted_(connection.dataControlFlavor() != DataControlFlavor::none &&
               connection.seat() != nullptr),
      explanation_(explain(
          trusted_,
          connection.virtualKeyboardManager() != nullptr || connection.fakeInput() != nullptr,
          connection.offers("zwlr_foreign_toplevel_manager_v1") ||
              connection.offers("org_kde_plasma_window_management"),
          connection.offers("org_kde_plasma_shell"))),
      openSettings_(std::move(openSettings)) {}

std::string WaylandAccessibilityTrust::explain(bool dataControl, bool typesKeys, bool toplevels,
                                               bool kwin) {
    if (!dataControl) {
        return "This Wayland desktop lets no program read or set the clipboard for you (it "
               "offers neither ext-data-control nor wlr-data-control), so Tovra cannot queue "
               "copies here. It works on sway, Hyprland, river, labwc, niri, Wayfire and KDE "
               "Plasma, on GNOME through Tovra's GNOME Shell extension, and in any X11 session.";
    }
    std::string text =
        "Tovra reads copies on this Wayland desktop. Paste next and paste all come from the "
        "desktop's own key bindings running \"tovra paste-next\" and \"tovra paste-all\".";
    if (kwin && (!typesKeys || !toplevels)) {
        // KWin grants both to the program its desktop entry names, by absolute path.
        text +=
            " KDE Plasma lets Tovra type the paste and see the application in front only when "
            "it runs as installed, with its desktop entry (started as /usr/bin/tovra): until "
            "then the next item waits on the clipboard for your own Ctrl+V, and smart mode uses "
            "its default order.";
        return text;
    }
    if (!typesKeys) {
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
