#include "MoxHelpMenu.h"

namespace mox {

MoxHelpMenu::MoxHelpMenu(MoxAppIdentity identity, MoxAppOpeningURLs& urlOpener, QObject* parent)
    : QObject(parent), identity_(std::move(identity)), menu_(new QMenu(QStringLiteral("Help"))) {
    connect(this, &QObject::destroyed, menu_, &QObject::deleteLater);
    addHelpGroup(menu_, identity_, urlOpener, true);
}

void MoxHelpMenu::addHelpGroup(QMenu* menu, const MoxAppIdentity& identity,
                               MoxAppOpeningURLs& urlOpener, bool support) {
    const MoxAppLinks links = identity.links;
    QObject::connect(menu->addAction(identity.productDisplayName + QStringLiteral(" Help")),
                     &QAction::triggered, menu,
                     [&urlOpener, links] { urlOpener.open(links.supportURL); });
    if (!support) {
        return;
    }
    QObject::connect(
        menu->addAction(QStringLiteral("Contact Support")), &QAction::triggered, menu,
        [&urlOpener, links] { urlOpener.open(links.contactMailURL().value_or(links.supportURL)); });
    QObject::connect(menu->addAction(QStringLiteral("Open Website")), &QAction::triggered, menu,
                     [&urlOpener, links] { urlOpener.open(links.websiteURL); });
}

}  // namespace mox
