#pragma once

#include <functional>
#include <memory>
#include <string>

#include "X11AccessibilityTrust.h"
#include "X11Connection.h"
#include "X11KeyboardTap.h"
#include "X11Pasteboard.h"
#include "X11SingleInstance.h"
#include "X11Workspace.h"
#include "platform/Platform.h"

namespace tovra {

class MainQueue;

/// Every X11 backend over one connection to the display, built in the order they need.
class X11Platform final : public Platform {
  public:
    struct Options {
        X11Pasteboard::Options pasteboard;
        X11KeyboardTap::Options keyboard;
        /// Opens what explains the session Tovra needs.
        std::function<void()> openHelp;
    };

    /// Connects to the display named (null: $DISPLAY) and lets the main loop read it; null
    /// with a reason when it cannot be reached.
    static std::unique_ptr<X11Connection> connect(const char* display, MainQueue& mainQueue,
                                                  std::string& error);
    /// Connects and builds every backend.
    static std::unique_ptr<X11Platform> open(const char* display, MainQueue& mainQueue,
                                             Options options, std::string& error);
    /// Builds every backend on an attached connection, keeping `instance` (may be null) with
    /// them so the display stays claimed while they run.
    X11Platform(std::unique_ptr<X11Connection> connection, MainQueue& mainQueue, Options options,
                std::unique_ptr<X11SingleInstance> instance = nullptr);
    ~X11Platform() override;

    Pasteboard& pasteboard() override { return pasteboard_; }
    KeyboardTap& keyboardTap() override { return keyboardTap_; }
    Workspace& workspace() override { return workspace_; }
    AccessibilityTrust& trust() override { return trust_; }

    [[nodiscard]] X11Connection& connection() { return *connection_; }
    [[nodiscard]] X11Pasteboard& x11Pasteboard() { return pasteboard_; }
    [[nodiscard]] X11KeyboardTap& x11KeyboardTap() { return keyboardTap_; }

  private:
    std::unique_ptr<X11Connection> connection_;
    std::unique_ptr<X11SingleInstance> instance_;
    X11Pasteboard pasteboard_;
    X11KeyboardTap keyboardTap_;
    X11Workspace workspace_;
    X11AccessibilityTrust trust_;
};

}  // namespace tovra
