#pragma once

#include <memory>

#include "AppServices.h"
#include "MoxUI/MoxSatelliteWindowPresenter.h"
#include "frame/MoxCommandActions.h"

namespace tovra {

/// The commands the frame's windows and menus ask for: About, Support, the updates page and
/// copying the diagnostic text. Without services they do nothing.
class TovraCommandActions final : public mox::MoxCommandActions,
                                  public std::enable_shared_from_this<TovraCommandActions> {
  public:
    explicit TovraCommandActions(
        mox::MoxSatelliteWindowPresenter& presenter = mox::MoxSatelliteWindowPresenter::shared())
        : presenter_(presenter) {}

    void setServices(std::weak_ptr<AppServices> services) { services_ = std::move(services); }

    void showAbout() override;
    void showSupport() override;
    void copyDiagnostics() override;
    /// The settings window on its Updates page, where a check shows its outcome.
    void showUpdates();

  private:
    std::weak_ptr<AppServices> services_;
    mox::MoxSatelliteWindowPresenter& presenter_;
};

}  // namespace tovra
