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

namespace {

/// Every text the status view shows for a state, in one table.
struct KindWording {
    QString label;
    MoxBadgeVariant variant;
    QString detail;
};

KindWording wordingOf(Kind kind) {
    switch (kind) {
        case Kind::updateAvailable:
            return {QStringLiteral("Available"), MoxBadgeVariant::accent,
                    QStringLiteral("Update available")};
        case Kind::downloading:
            return {QStringLiteral("Downloading"), MoxBadgeVariant::neutral,
                    QStringLiteral("Downloading\u2026")};
        case Kind::readyToInstall:
            return {QStringLiteral("Ready"), MoxBadgeVariant::accent,
                    QStringLiteral("Ready to install")};
        case Kind::failed:
            return {QStringLiteral("Failed"), MoxBadgeVariant::danger,
                    MoxAppUpdateState::genericFailureMessage()};
        case Kind::idle:
            return {QStringLiteral("Idle"), MoxBadgeVariant::neutral, QStringLiteral("Idle")};
        case Kind::checking:
            return {QStringLiteral("Checking"), MoxBadgeVariant::neutral,
                    QStringLiteral("Checking\u2026")};
        case Kind::noUpdateAvailable:
            return {QStringLiteral("Up to date"), MoxBadgeVariant::success,
                    QStringLiteral("Up to date")};
        case Kind::installing:
            return {QStringLiteral("Installing"), MoxBadgeVariant::neutral,
                    QStringLiteral("Installing\u2026")};
    }
    return {QString(), MoxBadgeVariant::neutral, QString()};
}

}  // namespace

QString MoxUpdateStatusView::badgeLabel(const MoxAppUpdateState& state) {
    return wordingOf(state.kind).label;
}

MoxBadgeVariant MoxUpdateStatusView::badgeVariant(const MoxAppUpdateState& state) {
    return wordingOf(state.kind).variant;
}

QString MoxUpdateStatusView::detailText(const MoxAppUpdateState& state) {
    const QString plain = wordingOf(state.kind).detail;
    const bool hasVersion = state.version && !state.version->isEmpty();
    switch (state.kind) {
        case Kind::updateAvailable:
        case Kind::readyToInstall:
            return hasVersion ? QStringLiteral("%1 (%2)").arg(plain, *state.version) : plain;
        case Kind::downloading:
            if (state.progress) {
                // Truncated, never rounded up: 0.999 is 99 %.
                const auto percent = static_cast<long long>(std::trunc(*state.progress * 100.0));
                return QStringLiteral("%1 %2%").arg(plain).arg(percent);
            }
            return plain;
        case Kind::failed:
            return state.message.isEmpty() ? plain : state.message;
        default:
            return plain;
    }
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
