#pragma once

#include <QDateTime>
#include <QLabel>
#include <QWidget>
#include <optional>

#include "MoxAppUpdateState.h"
#include "MoxUI/MoxBadge.h"

namespace mox {

/// A badge and a line for the update state, and when the last check ran.
class MoxUpdateStatusView final : public QWidget {
  public:
    explicit MoxUpdateStatusView(QWidget* parent = nullptr);
    void setState(const MoxAppUpdateState& state, const std::optional<QDateTime>& lastCheckedAt);

    static QString badgeLabel(const MoxAppUpdateState& state);
    static MoxBadgeVariant badgeVariant(const MoxAppUpdateState& state);
    static QString detailText(const MoxAppUpdateState& state);

    [[nodiscard]] MoxBadge* badge() const { return badge_; }
    [[nodiscard]] QLabel* detail() const { return detail_; }
    /// Hidden without a last-check date.
    [[nodiscard]] QLabel* lastChecked() const { return lastChecked_; }

  private:
    MoxBadge* badge_;
    QLabel* detail_;
    QLabel* lastChecked_;
};

}  // namespace mox
