#pragma once

#include <QWidget>

#include "MoxSupportActions.h"
#include "MoxUI/MoxSatelliteWindowPresenter.h"

namespace mox {

/// "Need help?" and one row per way to get it; rows whose link is missing are left out.
class MoxSupportView final : public QWidget {
  public:
    explicit MoxSupportView(MoxSupportActions actions, QWidget* parent = nullptr);
    /// The rows' labels, top to bottom.
    [[nodiscard]] QStringList rowLabels() const;
    /// Performs the row with that label, as a click does.
    bool activate(const QString& label);
    /// A newer record for the mail and the copy; the copy's row shows while there is one.
    void setDiagnostics(std::optional<MoxAppDiagnostics> diagnostics);

  private:
    MoxSupportActions actions_;
    QWidget* copyRow_ = nullptr;
};

/// The "support" window (540 x 480), reused while it is open.
QWidget* presentSupportWindow(
    const MoxAppIdentity& identity, std::optional<MoxAppDiagnostics> diagnostics,
    MoxSatelliteWindowPresenter& presenter = MoxSatelliteWindowPresenter::shared());

}  // namespace mox
