#pragma once

#include <functional>

#include "platform/AccessibilityTrust.h"

namespace tovra {

class X11Connection;

/// On X11 the "permission" is the session itself: an X11 session (not Wayland, whose native
/// windows are out of reach even with XWayland) with XTEST, XInput2 (2.1 or later) and XFixes.
class X11AccessibilityTrust final : public AccessibilityTrust {
  public:
    X11AccessibilityTrust(X11Connection* connection, std::function<void()> openSettings)
        : connection_(connection), openSettings_(std::move(openSettings)) {}

    [[nodiscard]] bool isTrusted() override;
    /// There is no system prompt to show: the same check.
    bool isTrustedWithPrompt() override { return isTrusted(); }
    void openSettings() override {
        if (openSettings_) {
            openSettings_();
        }
    }

    /// True when the session is a Wayland one, whatever DISPLAY says.
    static bool isWaylandSession();

  private:
    X11Connection* connection_;
    std::function<void()> openSettings_;
};

}  // namespace tovra
