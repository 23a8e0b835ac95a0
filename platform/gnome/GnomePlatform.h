#pragma once

#include <functional>
#include <memory>

#include "GnomeAccessibilityTrust.h"
#include "GnomeBridge.h"
#include "GnomeKeyboardTap.h"
#include "GnomePasteboard.h"
#include "GnomeWorkspace.h"
#include "platform/Platform.h"

namespace tovra {

class MainQueue;

/// Every backend through Tovra's GNOME Shell extension, over one bridge. `keepAlive` holds
/// what must live as long as the backends (the single-instance claim, the Wayland connection
/// that tells when the session ends).
class GnomePlatform final : public Platform {
  public:
    struct Options {
        GnomePasteboard::Options pasteboard;
        std::function<void()> openHelp;
        std::string socketPath = GnomeBridge::defaultSocketPath();
    };

    GnomePlatform(MainQueue& mainQueue, Options options, std::shared_ptr<void> keepAlive = {});

    Pasteboard& pasteboard() override { return pasteboard_; }
    KeyboardTap& keyboardTap() override { return keyboardTap_; }
    Workspace& workspace() override { return workspace_; }
    AccessibilityTrust& trust() override { return trust_; }

    [[nodiscard]] GnomeBridge& bridge() { return bridge_; }

    /// How long a start waits for the extension to answer.
    static constexpr int greetingTimeoutMs = 1000;

  private:
    std::shared_ptr<void> keepAlive_;
    GnomeBridge bridge_;
    GnomePasteboard pasteboard_;
    GnomeKeyboardTap keyboardTap_;
    GnomeWorkspace workspace_;
    GnomeAccessibilityTrust trust_;
};

}  // namespace tovra
