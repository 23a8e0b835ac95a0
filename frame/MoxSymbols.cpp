#include "MoxSymbols.h"

#include <QMap>

#include "MoxUI/MoxColors.h"
#include "MoxUI/MoxGlyph.h"

namespace mox {

QIcon symbolIcon(const QString& symbol) {
    struct Theme {
        const char* name;
        MoxGlyph fallback;
    };
    static const QMap<QString, Theme> themes{
        {QStringLiteral("lifepreserver"), {"help-browser", MoxGlyph::help}},
        {QStringLiteral("book"), {"help-contents", MoxGlyph::book}},
        {QStringLiteral("globe"), {"applications-internet", MoxGlyph::globe}},
        {QStringLiteral("envelope"), {"mail-send", MoxGlyph::envelope}},
        {QStringLiteral("doc.on.doc"), {"edit-copy", MoxGlyph::copy}},
        {QStringLiteral("hand.raised"), {"security-high", MoxGlyph::shield}},
        {QStringLiteral("doc.text"), {"text-x-generic", MoxGlyph::text}},
        {QStringLiteral("arrow.down.circle"), {"software-update-available", MoxGlyph::update}},
        {QStringLiteral("info.circle"), {"help-about", MoxGlyph::info}},
        {QStringLiteral("stethoscope"), {"utilities-system-monitor", MoxGlyph::pulse}},
    };
    const auto found = themes.find(symbol);
    if (found == themes.end()) {
        return {};
    }
    return themedIcon(QString::fromLatin1(found->name), found->fallback,
                      MoxColors::textSecondary());
}

}  // namespace mox
