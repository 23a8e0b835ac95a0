#include "MoxLaunchAtLoginToggle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include "MoxUI/MoxBrandPack.h"

namespace mox {

namespace {

/// The [Desktop Entry] group's keys; other groups are ignored.
QMap<QString, QString> readEntry(const QString& path, bool* readable) {
    QMap<QString, QString> keys;
    QFile file(path);
    *readable = file.open(QIODevice::ReadOnly | QIODevice::Text);
    if (!*readable) {
        return keys;
    }
    bool inEntry = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QStringLiteral("[Desktop Entry]");
        } else if (inEntry && !line.startsWith(QLatin1Char('#'))) {
            const qsizetype equals = line.indexOf(QLatin1Char('='));
            if (equals > 0 && !keys.contains(line.left(equals).trimmed())) {
                keys.insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
            }
        }
    }
    return keys;
}

void write(const QString& path, const QByteArray& contents) {
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        throw MoxLaunchAtLoginToggle::LaunchAtLoginError(
            MoxLaunchAtLoginToggle::LaunchAtLoginError::Kind::underlying,
            QStringLiteral("Cannot create the folder %1").arg(info.absolutePath()));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size() ||
        !file.commit()) {
        throw MoxLaunchAtLoginToggle::LaunchAtLoginError(
            MoxLaunchAtLoginToggle::LaunchAtLoginError::Kind::underlying, file.errorString());
    }
}

}  // namespace

MoxLaunchAtLoginToggle::Service MoxLaunchAtLoginToggle::mainAppService() {
    const QString name = QCoreApplication::applicationName() + QStringLiteral(".desktop");
    Service service;
    service.entryPath = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                        QStringLiteral("/autostart/") + name;
    service.executable = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (service.executable.isEmpty()) {
        service.executable = QCoreApplication::applicationFilePath();
    }
    service.displayName = MoxBrandPack::current().displayName;
    const QStringList configDirs =
        QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    for (qsizetype i = 1; i < configDirs.size(); ++i) {  // the first is the user's own
        service.systemEntryPaths << configDirs[i] + QStringLiteral("/autostart/") + name;
    }
    return service;
}

QString MoxLaunchAtLoginToggle::execValue(const QString& executable) {
    // Quoted argument rules first, then the string escapes of the file format.
    QString quoted;
    for (const QChar c : executable) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\')) {
            quoted += QLatin1Char('\\');
        }
        quoted += c;
    }
    quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return quoted;
}

bool MoxLaunchAtLoginToggle::isEnabled(const Service& service) {
    bool readable = false;
    const QMap<QString, QString> entry = readEntry(service.entryPath, &readable);
    return readable && entry.value(QStringLiteral("Hidden")) != QStringLiteral("true") &&
           entry.value(QStringLiteral("Exec")) == execValue(service.executable);
}

void MoxLaunchAtLoginToggle::setEnabled(bool enabled, const Service& service) {
    if (enabled) {
        const QString name =
            service.displayName.isEmpty() ? QStringLiteral("Application") : service.displayName;
        write(service.entryPath, QStringLiteral("[Desktop Entry]\n"
                                                "Type=Application\n"
                                                "Name=%1\n"
                                                "Exec=%2\n"
                                                "Terminal=false\n"
                                                "X-GNOME-Autostart-enabled=true\n")
                                     .arg(name, execValue(service.executable))
                                     .toUtf8());
        return;
    }
    // An entry the system gives everyone is switched off for this user by a hidden one.
    for (const QString& systemEntry : service.systemEntryPaths) {
        if (QFileInfo::exists(systemEntry)) {
            write(service.entryPath, "[Desktop Entry]\nType=Application\nHidden=true\n");
            return;
        }
    }
    QFile file(service.entryPath);
    if (file.exists() && !file.remove()) {
        throw LaunchAtLoginError(LaunchAtLoginError::Kind::underlying, file.errorString());
    }
}

}  // namespace mox
