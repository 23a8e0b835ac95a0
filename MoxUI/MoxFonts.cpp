#include "MoxFonts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QHash>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <optional>

namespace mox {

Q_LOGGING_CATEGORY(fontRegistrationLog, "mox.ui.FontRegistration")

const QStringList& MoxFonts::fontNames() {
    static const QStringList names{QStringLiteral("Inter-VariableFont_opsz,wght"),
                                   QStringLiteral("Inter-Italic-VariableFont_opsz,wght"),
                                   QStringLiteral("DancingScript-VariableFont_wght")};
    return names;
}

QStringList MoxFonts::resourceLocations() {
    QStringList locations;
    if (QCoreApplication::instance() != nullptr) {
        const QString program = QCoreApplication::applicationDirPath();
        locations << program << program + QStringLiteral("/../share/tovra");
    }
    locations << QStandardPaths::standardLocations(QStandardPaths::AppDataLocation);
    return locations;
}

MoxFonts::Registration MoxFonts::registerFonts(const QStringList& searchLocations) {
    Registration result;
    QDir bundle;
    for (const QString& location : searchLocations) {
        const QDir candidate(QDir(location).filePath(QString::fromLatin1(bundleName)));
        if (candidate.exists()) {
            bundle = candidate;
            result.bundleFound = true;
            break;
        }
    }
    if (!result.bundleFound) {
        qCInfo(fontRegistrationLog, "unable to find bundle named MoxUI_MoxUI");
    }

    QStringList files;
    for (const QString& name : fontNames()) {
        QString found;
        for (const char* extension : {".ttf", ".otf"}) {
            const QString path = bundle.filePath(name + QString::fromLatin1(extension));
            if (result.bundleFound && QFileInfo::exists(path)) {
                found = path;
                break;
            }
        }
        if (found.isEmpty()) {
            qCInfo(fontRegistrationLog, "MoxUI font missing in bundle: %s", qUtf8Printable(name));
            result.missingFonts << name;
        } else {
            files << found;
        }
    }
    if (files.isEmpty()) {
        qCInfo(fontRegistrationLog, "MoxUI: no bundled fonts found; falling back to system fonts.");
        return result;
    }
    for (const QString& file : files) {
        if (QFontDatabase::addApplicationFont(file) < 0) {
            qCInfo(fontRegistrationLog, "MoxUI font registration warning: %s",
                   qUtf8Printable(QStringLiteral("cannot load ") + file));
        } else {
            result.registeredFiles << file;
            ++registrationCount();
        }
    }
    return result;
}

void MoxFonts::ensureRegistered() {
    static const bool registered = [] {
        registerFonts(resourceLocations());
        return true;
    }();
    (void)registered;
}

bool MoxFonts::isAvailable(const QString& family) {
    // Asking the font database is slow; families only appear when fonts are registered.
    static QHash<QString, bool> known;
    static int registrations = -1;
    if (registrations != registrationCount()) {
        known.clear();
        registrations = registrationCount();
    }
    const auto found = known.constFind(family);
    if (found != known.constEnd()) {
        return *found;
    }
    const bool available = QFontDatabase::families().contains(family, Qt::CaseInsensitive);
    known.insert(family, available);
    return available;
}

int& MoxFonts::registrationCount() {
    static int count = 0;
    return count;
}

double MoxFonts::scale() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return 1.0;
    }
    // Pixels, not points: a desktop that raises its resolution instead of its font size asks
    // for larger text just the same.
    static std::optional<QFont> measured;
    static double factor = 1.0;
    const QFont desktop = QGuiApplication::font();
    if (measured != desktop) {
        measured = desktop;
        constexpr double usualPixels = 13.0;
        constexpr double largest = 3.0;
        factor = std::clamp(QFontInfo(desktop).pixelSize() / usualPixels, 1.0, largest);
    }
    return factor;
}

int MoxFonts::scaled(double designPixels) {
    return static_cast<int>(std::lround(designPixels * scale()));
}

QFont MoxFonts::font(MoxFontFamily family, double size, QFont::Weight weight, bool italic) {
    ensureRegistered();
    QFont font;
    switch (family) {
        case MoxFontFamily::display:
        case MoxFontFamily::body:
            font.setFamily(QStringLiteral("Inter"));
            break;
        case MoxFontFamily::script:
            font.setFamily(QStringLiteral("Dancing Script"));
            break;
        case MoxFontFamily::mono:
            font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
            break;
    }
    font.setPixelSize(std::max(scaled(size), 1));
    font.setWeight(weight);
    font.setItalic(italic);
    if (family != MoxFontFamily::mono && !isAvailable(font.family())) {
        QFont system = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        system.setPixelSize(font.pixelSize());
        system.setWeight(weight);
        system.setItalic(italic);
        return system;
    }
    return font;
}

}  // namespace mox
