#include "MoxSymbols.h"

#include <QApplication>
#include <QMap>
#include <QStyle>

namespace mox {

QIcon symbolIcon(const QString& symbol) {
    struct Theme {
        const char* name;
        QStyle::StandardPixmap fallback;
    };
    static const QMap<QString, Theme> themes{
        {QStringLiteral("lifepreserver"), {"help-browser", QStyle::SP_DialogHelpButton}},
        {QStringLiteral("book"), {"help-contents", QStyle::SP_FileDialogDetailedView}},
        {QStringLiteral("globe"), {"applications-internet", QStyle::SP_DriveNetIcon}},
        {QStringLiteral("envelope"), {"mail-send", QStyle::SP_DialogYesButton}},
        {QStringLiteral("doc.on.doc"), {"edit-copy", QStyle::SP_FileIcon}},
        {QStringLiteral("hand.raised"), {"security-high", QStyle::SP_MessageBoxWarning}},
        {QStringLiteral("doc.text"), {"text-x-generic", QStyle::SP_FileIcon}},
        {QStringLiteral("arrow.down.circle"), {"software-update-available", QStyle::SP_ArrowDown}},
        {QStringLiteral("info.circle"), {"help-about", QStyle::SP_MessageBoxInformation}},
        {QStringLiteral("stethoscope"), {"utilities-system-monitor", QStyle::SP_ComputerIcon}},
    };
    const auto found = themes.find(symbol);
    if (found == themes.end()) {
        return {};
    }
    const QIcon themed = QIcon::fromTheme(QString::fromLatin1(found->name));
    return themed.isNull() ? QApplication::style()->standardIcon(found->fallback) : themed;
}

}  // namespace mox
