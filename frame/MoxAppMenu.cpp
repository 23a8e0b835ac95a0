#include "MoxAppMenu.h"

#include "MoxHelpMenu.h"

namespace mox {

MoxAppMenu::MoxAppMenu(MoxAppIdentity identity, AnyMoxUpdateManager* updates,
                       std::weak_ptr<MoxCommandActions> actions, MoxAppOpeningURLs& urlOpener,
                       QSet<MoxAppMenuSection> sections, QObject* parent)
    : QObject(parent),
      updates_(updates),
      actions_(std::move(actions)),
      applicationMenu_(new QMenu(identity.productDisplayName)),
      helpMenu_(new QMenu(QStringLiteral("Help"))) {
    connect(this, &QObject::destroyed, applicationMenu_, &QObject::deleteLater);
    connect(this, &QObject::destroyed, helpMenu_, &QObject::deleteLater);
    if (sections.contains(MoxAppMenuSection::about)) {
        connect(applicationMenu_->addAction(QStringLiteral("About ") + identity.productDisplayName),
                &QAction::triggered, this, [this] {
                    if (auto target = actions_.lock()) {
                        target->showAbout();
                    }
                });
    }
    if (sections.contains(MoxAppMenuSection::updates)) {
        checkForUpdates_ = applicationMenu_->addAction(QStringLiteral("Check for Updates\u2026"));
        connect(checkForUpdates_, &QAction::triggered, this, [this] {
            if (updates_) {
                updates_->checkForUpdates();
            }
        });
        if (updates_) {
            connect(updates_, &AnyMoxUpdateManager::changed, this, &MoxAppMenu::syncUpdates);
        }
        syncUpdates();
    }
    MoxHelpMenu::addHelpGroup(helpMenu_, identity, urlOpener,
                              sections.contains(MoxAppMenuSection::support));
    if (sections.contains(MoxAppMenuSection::diagnostics)) {
        connect(helpMenu_->addAction(QStringLiteral("Copy Diagnostic Info")), &QAction::triggered,
                this, [this] {
                    if (auto target = actions_.lock()) {
                        target->copyDiagnostics();
                    }
                });
    }
}

void MoxAppMenu::syncUpdates() {
    if (checkForUpdates_) {
        checkForUpdates_->setEnabled(updates_ && updates_->canCheckForUpdates());
    }
}

QAction* MoxAppMenu::command(const QString& title) const {
    for (QMenu* menu : {applicationMenu_, helpMenu_}) {
        for (QAction* action : menu->actions()) {
            if (action->text() == title) {
                return action;
            }
        }
    }
    return nullptr;
}

}  // namespace mox
