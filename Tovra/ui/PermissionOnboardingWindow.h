#pragma once

#include <QWidget>
#include <functional>

#include "Tovra/app/Surfaces.h"

namespace tovra {

class AccessibilityTrust;

/// Says what Tovra needs to catch shortcuts on this desktop; "Retry" checks again. One window,
/// kept and shown again until the check succeeds.
class PermissionOnboardingWindow final : public QWidget, public PermissionSurface {
  public:
    explicit PermissionOnboardingWindow(AccessibilityTrust& trust);

    void show(std::function<void()> retry) override;
    void close() override;
    [[nodiscard]] bool isShown() const override { return isVisible(); }

  private:
    void openSettings();
    void retry();

    AccessibilityTrust& trust_;
    std::function<void()> retryHandler_;
};

}  // namespace tovra
