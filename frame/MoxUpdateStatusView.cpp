#include "MoxUpdateStatusView.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <cmath>

#include "MoxUI/MoxColors.h"
#include "MoxUI/MoxDateFormatter.h"
#include "MoxUI/MoxFonts.h"
#include "MoxUI/MoxLabel.h"
#include "MoxUI/MoxScales.h"

namespace mox {

using Kind = MoxAppUpdateState::Kind;

QString MoxUpdateStatusView::badgeLabel(const MoxAppUpdateState& state) {
    switch (state.kind) {
        case Kind::updateAvailable:
            return QStringLiteral("Available");
        case Kind::downloading:
            return QStringLiteral("Downloading");
        case Kind::readyToInstall:
            return QStringLiteral("Ready");
        case Kind::failed:
            return QStringLiteral("Failed");
        case Kind::idle:
            return QStringLiteral("Idle");
        case Kind::checking:
            return QStringLiteral("Checking");
        case Kind::noUpdateAvailable:
            return QStringLiteral("Up to date");
        case Kind::installing:
            return QStringLiteral("Installing");
    }
    return {};
}

MoxBadgeVariant MoxUpdateStatusView::badgeVariant(const MoxAppUpdateState& state) {
    switch (state.kind) {
        case Kind::updateAvailable:
        case Kind::readyToInstall:
            return MoxBadgeVariant::accent;
        case Kind::failed:
            return MoxBadgeVariant::danger;
        case Kind::noUpdateAvailable:
            return MoxBadgeVariant::success;
        default:
            return MoxBadgeVariant::neutral;
    }
}

QString MoxUpdateStatusView::detailText(const MoxAppUpdateState& state) {
    const bool hasVersion = state.version && !state.version->isEmpty();
    switch (state.kind) {
        case Kind::updateAvailable:
            return hasVersion ? QStringLiteral("Update available (%1)").arg(*state.version)
                              : QStringLiteral("Update available");
        case Kind::downloading:
            if (state.progress) {
                // Truncated, never rounded up: 0.999 is 99 %.
                const auto percent = static_cast<long long>(std::trunc(*state.progress * 100.0));
                return QStringLiteral("Downloading\u2026 %1%").arg(percent);
            }
            return QStringLiteral("Downloading\u2026");
        case Kind::readyToInstall:
            return hasVersion ? QStringLiteral("Ready to install (%1)").arg(*state.version)
                              : QStringLiteral("Ready to install");
        case Kind::failed:
            return state.message.isEmpty() ? QStringLiteral("Update failed.") : state.message;
        case Kind::idle:
            return QStringLiteral("Idle");
        case Kind::checking:
            return QStringLiteral("Checking\u2026");
        case Kind::noUpdateAvailable:
            return QStringLiteral("Up to date");
        case Kind::installing:
            return QStringLiteral("Installing\u2026");
    }
    return {};
}

MoxUpdateStatusView::MoxUpdateStatusView(QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(static_cast<int>(MoxSpacing::xs));
    auto* top = new QHBoxLayout;
    badge_ = new MoxBadge(QString(), MoxBadgeVariant::neutral);
    top->addWidget(badge_);
    detail_ = styledLabel(QString(), MoxFonts::body14(), MoxColors::textPrimary(), true);
    top->addWidget(detail_, 1);
    column->addLayout(top);
    lastChecked_ = styledLabel(QString(), MoxFonts::body12(), MoxColors::textSecondary());
    column->addWidget(lastChecked_);
    setState(MoxAppUpdateState::idle(), std::nullopt);
}

void MoxUpdateStatusView::setState(const MoxAppUpdateState& state,
                                   const std::optional<QDateTime>& lastCheckedAt) {
    badge_->setText(badgeLabel(state));
    badge_->setVariant(badgeVariant(state));
    detail_->setText(detailText(state));
    lastChecked_->setVisible(lastCheckedAt.has_value());
    lastChecked_->setText(lastCheckedAt ? QStringLiteral("Last checked: ") +
                                              MoxDateFormatter::shared().string(*lastCheckedAt)
                                        : QString());
}

}  // namespace mox
