#pragma once

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <memory>

#include "AnyMoxUpdateManager.h"
#include "MoxAppIdentity.h"
#include "MoxAppOpeningURLs.h"
#include "MoxCommandActions.h"
#include "MoxSettingsSection.h"

namespace mox {

/// The application's menu commands: About and Check for Updates… (enabled while a check may
/// start) in an application menu, the help commands and Copy Diagnostic Info in a Help menu.
class MoxAppMenu final : public QObject {
  public:
    MoxAppMenu(MoxAppIdentity identity, AnyMoxUpdateManager* updates,
               std::weak_ptr<MoxCommandActions> actions, MoxAppOpeningURLs& urlOpener,
               QSet<MoxAppMenuSection> sections, QObject* parent = nullptr);

    [[nodiscard]] QMenu* applicationMenu() const { return applicationMenu_; }
    [[nodiscard]] QMenu* helpMenu() const { return helpMenu_; }
    /// The command with that title, in either menu.
    [[nodiscard]] QAction* command(const QString& title) const;

  private:
    void syncUpdates();

    QPointer<AnyMoxUpdateManager> updates_;
    std::weak_ptr<MoxCommandActions> actions_;
    QMenu* applicationMenu_;
    QMenu* helpMenu_;
    QPointer<QAction> checkForUpdates_;
};

}  // namespace mox
