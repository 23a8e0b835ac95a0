#pragma once

#include <QMenu>
#include <QObject>

#include "MoxAppIdentity.h"
#include "MoxAppOpeningURLs.h"

namespace mox {

/// The help commands alone: "<name> Help", "Contact Support", "Open Website".
class MoxHelpMenu final : public QObject {
  public:
    MoxHelpMenu(MoxAppIdentity identity, MoxAppOpeningURLs& urlOpener, QObject* parent = nullptr);
    /// A "Help" menu holding them.
    [[nodiscard]] QMenu* menu() const { return menu_; }

    /// Adds the help group to `menu`; `support` false leaves out contact and web site.
    static void addHelpGroup(QMenu* menu, const MoxAppIdentity& identity,
                             MoxAppOpeningURLs& urlOpener, bool support);

  private:
    MoxAppIdentity identity_;
    QMenu* menu_;
};

}  // namespace mox
