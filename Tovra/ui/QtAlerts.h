#pragma once

#include "Tovra/app/Surfaces.h"

namespace tovra {

/// The controller's modal questions as Qt message boxes.
class QtAlerts final : public Alerts {
  public:
    bool confirmClearQueue() override;
    std::optional<std::string> askCustomSeparator(const std::string& current) override;
    void showError(const std::string& message) override;
};

}  // namespace tovra
