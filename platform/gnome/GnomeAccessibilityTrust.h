#pragma once

#include <functional>
#include <string>

#include "GnomeBridge.h"
#include "platform/AccessibilityTrust.h"

namespace tovra {

/// On GNOME what Tovra needs is its shell extension running and serving this program.
class GnomeAccessibilityTrust final : public AccessibilityTrust {
  public:
    GnomeAccessibilityTrust(GnomeBridge& bridge, std::function<void()> openHelp);

    [[nodiscard]] bool isTrusted() override { return bridge_.isConnected(); }
    /// Asks the shell to turn the extension on; it is there on a later check.
    bool isTrustedWithPrompt() override;
    /// Turns the extension on where it is installed and off; the help otherwise.
    void openSettings() override;
    [[nodiscard]] std::string explanation() const override;

    static constexpr const char* extensionUuid = "tovra@moxworks.invalid";
    /// What the user is told, from what is known of the extension.
    static std::string explain(bool installed, bool refused);

  private:
    [[nodiscard]] static bool extensionInstalled();
    static void enableExtension();

    GnomeBridge& bridge_;
    std::function<void()> openHelp_;
};

}  // namespace tovra
