#include "MoxUpdatesView.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QVBoxLayout>

#include "MoxUI/MoxButton.h"
#include "MoxUI/MoxCard.h"
#include "MoxUI/MoxScales.h"
#include "MoxUI/MoxSectionHeader.h"

namespace mox {

MoxUpdatesView::MoxUpdatesView(const MoxAppIdentity& /*identity*/, AnyMoxUpdateManager& updates,
                               QWidget* parent)
    : QWidget(parent), updates_(&updates) {
    auto* column = new QVBoxLayout(this);
    const int padding = static_cast<int>(MoxSpacing::lg);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(static_cast<int>(MoxSpacing::md));
    column->addWidget(new MoxSectionHeader(QStringLiteral("Updates")));
    auto* card = new MoxCard;
    auto* inside = new QVBoxLayout(card);
    inside->setSpacing(static_cast<int>(MoxSpacing::md));
    status_ = new MoxUpdateStatusView;
    inside->addWidget(status_);
    auto* buttons = new QHBoxLayout;
    checkButton_ = new MoxButton(QStringLiteral("Check for Updates\u2026"),
                                 MoxButtonVariant::secondary, MoxButtonSize::lg);
    connect(checkButton_, &QPushButton::clicked, this, [this] {
        if (updates_) {
            updates_->checkForUpdates();
        }
    });
    buttons->addWidget(checkButton_);
    spinner_ = new QProgressBar;
    spinner_->setRange(0, 0);  // busy
    spinner_->setTextVisible(false);
    spinner_->setFixedSize(48, 8);
    buttons->addWidget(spinner_);
    buttons->addStretch();
    installButton_ =
        new MoxButton(QStringLiteral("Install"), MoxButtonVariant::primary, MoxButtonSize::lg);
    connect(installButton_, &QPushButton::clicked, this, [this] {
        if (updates_) {
            updates_->installUpdate();
        }
    });
    buttons->addWidget(installButton_);
    inside->addLayout(buttons);
    column->addWidget(card);
    column->addStretch();
    connect(&updates, &AnyMoxUpdateManager::changed, this, &MoxUpdatesView::sync);
    sync();
}

void MoxUpdatesView::sync() {
    if (!updates_) {
        return;
    }
    const MoxAppUpdateState state = updates_->state();
    status_->setState(state, updates_->lastCheckDate());
    checkButton_->setEnabled(updates_->canCheckForUpdates());
    spinner_->setVisible(state.kind == MoxAppUpdateState::Kind::checking);
    installButton_->setVisible(state.kind == MoxAppUpdateState::Kind::updateAvailable);
}

}  // namespace mox
