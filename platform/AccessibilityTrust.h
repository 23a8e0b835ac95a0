#pragma once

#include <string>

namespace tovra {

/// Whether the system lets us catch global shortcuts and type pastes (on X11: an X11 session
/// with XTEST, XInput2 and XFixes).
class AccessibilityTrust {
  public:
    AccessibilityTrust() = default;
    virtual ~AccessibilityTrust() = default;
    AccessibilityTrust(const AccessibilityTrust&) = delete;
    AccessibilityTrust& operator=(const AccessibilityTrust&) = delete;

    [[nodiscard]] virtual bool isTrusted() = 0;
    /// The same, letting the system guide the user where it can.
    virtual bool isTrustedWithPrompt() = 0;
    /// Opens what explains how to grant it.
    virtual void openSettings() = 0;
    /// What this desktop gives and lacks, for the user; empty for the usual words.
    [[nodiscard]] virtual std::string explanation() const { return {}; }
};

}  // namespace tovra
