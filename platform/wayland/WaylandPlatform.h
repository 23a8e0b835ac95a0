#pragma once

#include <functional>
#include <memory>
#include <string>

#include "WaylandAccessibilityTrust.h"
#include "WaylandConnection.h"
#include "WaylandKeyboardTap.h"
#include "WaylandPasteboard.h"
#include "WaylandSingleInstance.h"
#include "WaylandWorkspace.h"
#include "platform/Platform.h"

namespace tovra {

class MainQueue;

/// Every Wayland backend over one connection to the compositor. Built whatever the compositor
/// offers: where it lacks data control, the trust says what is missing and nothing is read.
class WaylandPlatform final : public Platform {
  public:
    struct Options {
        WaylandPasteboard::Options pasteboard;
        /// Opens what explains the session Tovra needs.
        std::function<void()> openHelp;
        /// Runs once when the compositor goes away.
        std::function<void()> lost;
    };

    /// Connects and builds every backend; null with a reason when the compositor cannot be
    /// reached.
    static std::unique_ptr<WaylandPlatform> open(const char* displayName, MainQueue& mainQueue,
                                                 Options options, std::string& error);
    WaylandPlatform(std::unique_ptr<WaylandConnection> connection, MainQueue& mainQueue,
                    Options options, std::unique_ptr<WaylandSingleInstance> instance = nullptr);
    ~WaylandPlatform() override;

    Pasteboard& pasteboard() override { return pasteboard_; }
    KeyboardTap& keyboardTap() override { return keyboardTap_; }
    Workspace& workspace() override { return workspace_; }
    AccessibilityTrust& trust() override { return trust_; }

    [[nodiscard]] WaylandConnection& connection() { return *connection_; }
    [[nodiscard]] WaylandPasteboard& waylandPasteboard() { return pasteboard_; }

  private:
    std::unique_ptr<WaylandConnection> connection_;
    std::unique_ptr<WaylandSingleInstance> instance_;
    WaylandPasteboard pasteboard_;
    WaylandKeyboardTap keyboardTap_;
    WaylandWorkspace workspace_;
    WaylandAccessibilityTrust trust_;
};

}  // namespace tovra
