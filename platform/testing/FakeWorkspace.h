#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "platform/Workspace.h"

namespace tovra::testing {

/// A desktop whose frontmost application the test sets.
class FakeWorkspace final : public Workspace {
  public:
    [[nodiscard]] std::optional<FrontmostApplication> frontmostApplication() override {
        return frontmost_;
    }
    bool activate(const FrontmostApplication& application) override {
        activations_.push_back(application);
        if (closedWindow_ && *closedWindow_ == application.window) {
            return false;
        }
        if (holdsActivations_) {
            pendingActivation_ = application;  // the window manager takes its time
        } else {
            frontmost_ = application;
        }
        return true;
    }
    /// From now on an activation takes effect only when `completeActivation` says so.
    void holdActivations() { holdsActivations_ = true; }
    void completeActivation() {
        if (pendingActivation_) {
            frontmost_ = std::exchange(pendingActivation_, std::nullopt);
        }
    }

    void setFrontmost(std::optional<FrontmostApplication> application) {
        frontmost_ = std::move(application);
    }
    void setFrontmostId(const std::string& id) { frontmost_ = FrontmostApplication{id, 100, 1}; }
    void closeWindow(std::uint64_t window) { closedWindow_ = window; }
    [[nodiscard]] const std::vector<FrontmostApplication>& activations() const {
        return activations_;
    }

  private:
    std::optional<FrontmostApplication> frontmost_;
    std::optional<std::uint64_t> closedWindow_;
    bool holdsActivations_ = false;
    std::optional<FrontmostApplication> pendingActivation_;
    std::vector<FrontmostApplication> activations_;
};

}  // namespace tovra::testing
