#pragma once

#include <functional>
#include <string>

#include "platform/AccessibilityTrust.h"

namespace tovra {

class WaylandConnection;

/// On Wayland what Tovra needs is what the compositor offers: clipboard access for other
/// programs (data control) is a must; typing the paste (a virtual keyboard, KWin's fake input)
/// and knowing the application in front (foreign toplevels, KWin's window list) only make it
/// better.
class WaylandAccessibilityTrust final : public AccessibilityTrust {
  public:
    WaylandAccessibilityTrust(const WaylandConnection& connection,
                              std::function<void()> openSettings);

    [[nodiscard]] bool isTrusted() override { return trusted_; }
    bool isTrustedWithPrompt() override { return trusted_; }
    void openSettings() override {
        if (openSettings_) {
            openSettings_();
        }
    }
    [[nodiscard]] std::string explanation() const override { return explanation_; }

    /// What this compositor lacks, for the user, from what it offers.
    static std::string explain(bool dataControl, bool typesKeys, bool toplevels, bool kwin);

  private:
    bool trusted_;
    std::string explanation_;
    std::function<void()> openSettings_;
};

}  // namespace tovra
