#include "MoxLaunchAtLoginToggle.h"

#include <glib.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <QStandardPaths>
#include <memory>

#include "MoxUI/MoxBrandPack.h"

namespace mox {

namespace {

using Error = MoxLaunchAtLoginToggle::LaunchAtLoginError;

const char* const group = G_KEY_FILE_DESKTOP_GROUP;

struct KeyFileFree {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
using KeyFile = std::unique_ptr<GKeyFile, KeyFileFree>;

struct ErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};

KeyFile newKeyFile() {
    return KeyFile(g_key_file_new());
}

/// The entry at `path`, or null when there is none or it is not a desktop entry.
KeyFile load(const QString& path) {
    if (!QFileInfo::exists(path)) {
        return nullptr;
    }
    KeyFile file = newKeyFile();
    GError* error = nullptr;
    const QByteArray name = QFile::encodeName(path);
    if (!g_key_file_load_from_file(
            file.get(), name.constData(),
            static_cast<GKeyFileFlags>(G_KEY_FILE_KEEP_COMMENTS | G_KEY_FILE_KEEP_TRANSLATIONS),
            &error)) {
        std::unique_ptr<GError, ErrorFree> owned(error);
        return nullptr;
    }
    if (!g_key_file_has_group(file.get(), group)) {
        return nullptr;
    }
    return file;
}

/// A boolean key, or `fallback` when it is missing or not a boolean.
bool flag(GKeyFile* file, const char* key, bool fallback) {
    GError* error = nullptr;
    const gboolean value = g_key_file_get_boolean(file, group, key, &error);
    if (error != nullptr) {
        g_error_free(error);
        return fallback;
    }
    return value != FALSE;
}

bool runs(GKeyFile* file) {
    return !flag(file, G_KEY_FILE_DESKTOP_KEY_HIDDEN, false) &&
           flag(file, "X-GNOME-Autostart-enabled", true);
}

QString stringValue(GKeyFile* file, const char* key) {
    gchar* value = g_key_file_get_string(file, group, key, nullptr);
    const QString text = value != nullptr ? QString::fromUtf8(value) : QString();
    g_free(value);
    return text;
}

/// The format's string escapes, all of them: GLib's writer leaves a tab in the middle of a
/// value as it is.
void setString(GKeyFile* file, const char* key, const QString& value) {
    QString escaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == QLatin1Char('\\')) {
            escaped += QStringLiteral("\\\\");
        } else if (c == QLatin1Char('\n')) {
            escaped += QStringLiteral("\\n");
        } else if (c == QLatin1Char('\t')) {
            escaped += QStringLiteral("\\t");
        } else if (c == QLatin1Char('\r')) {
            escaped += QStringLiteral("\\r");
        } else if (c == QLatin1Char(' ') && i == 0) {
            escaped += QStringLiteral("\\s");
        } else {
            escaped += c;
        }
    }
    g_key_file_set_value(file, group, key, escaped.toUtf8().constData());
}

/// True when the program an Exec line starts can still be found.
bool programExists(const QString& exec) {
    gchar** argv = nullptr;
    if (!g_shell_parse_argv(exec.toUtf8().constData(), nullptr, &argv, nullptr)) {
        return false;
    }
    QString program = QString::fromUtf8(argv[0]);
    g_strfreev(argv);
    program.replace(QStringLiteral("%%"), QStringLiteral("%"));
    if (program.contains(QLatin1Char('/'))) {
        const QFileInfo info(program);
        return info.exists() && info.isExecutable();
    }
    return !QStandardPaths::findExecutable(program).isEmpty();
}

void write(const QString& path, GKeyFile* file) {
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        throw Error(Error::Kind::underlying,
                    QStringLiteral("Cannot create the folder %1").arg(info.absolutePath()));
    }
    gsize length = 0;
    gchar* data = g_key_file_to_data(file, &length, nullptr);
    const QByteArray contents(data, static_cast<qsizetype>(length));
    g_free(data);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(contents) != contents.size() ||
        !out.commit()) {
        throw Error(Error::Kind::underlying, out.errorString());
    }
}

bool systemEntryRuns(const MoxLaunchAtLoginToggle::Service& service) {
    for (const QString& path : service.systemEntryPaths) {
        if (const KeyFile entry = load(path)) {
            return runs(entry.get());  // the first one found is the one the desktop reads
        }
    }
    return false;
}

/// What an entry needs to start the program; what it runs is kept while it exists.
void complete(GKeyFile* file, const MoxLaunchAtLoginToggle::Service& service) {
    if (stringValue(file, G_KEY_FILE_DESKTOP_KEY_TYPE).isEmpty()) {
        g_key_file_set_string(file, group, G_KEY_FILE_DESKTOP_KEY_TYPE,
                              G_KEY_FILE_DESKTOP_TYPE_APPLICATION);
    }
    if (stringValue(file, G_KEY_FILE_DESKTOP_KEY_NAME).isEmpty()) {
        setString(
            file, G_KEY_FILE_DESKTOP_KEY_NAME,
            service.displayName.isEmpty() ? QStringLiteral("Application") : service.displayName);
    }
    if (!programExists(stringValue(file, G_KEY_FILE_DESKTOP_KEY_EXEC))) {
        setString(file, G_KEY_FILE_DESKTOP_KEY_EXEC,
                  MoxLaunchAtLoginToggle::execArgument(service.command));
    }
    // Once the program is removed, the login skips the entry instead of failing to start it.
    if (!service.command.isEmpty()) {
        setString(file, G_KEY_FILE_DESKTOP_KEY_TRY_EXEC, service.command);
    }
}

}  // namespace

MoxLaunchAtLoginToggle::Service MoxLaunchAtLoginToggle::mainAppService() {
    const QString program = QCoreApplication::applicationName();
    const QString desktopId = QGuiApplication::desktopFileName();
    const QString name = desktopId.isEmpty() ? program : desktopId;
    const QString autostart =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        QStringLiteral("/autostart/");
    Service service;
    service.entryPath = autostart + name + QStringLiteral(".desktop");
    if (name != program) {
        service.formerEntryPaths << autostart + program + QStringLiteral(".desktop");
    }
    service.templatePath = QStandardPaths::locate(QStandardPaths::ApplicationsLocation,
                                                  name + QStringLiteral(".desktop"));
    QString executable = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (executable.isEmpty()) {
        executable = QCoreApplication::applicationFilePath();
    }
    service.command = commandFor(executable, program);
    service.displayName = MoxBrandPack::current().displayName;
    const QStringList configDirs =
        QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    for (qsizetype i = 1; i < configDirs.size(); ++i) {  // the first is the user's own
        service.systemEntryPaths << configDirs[i] + QStringLiteral("/autostart/") + name +
                                        QStringLiteral(".desktop");
    }
    return service;
}

QString MoxLaunchAtLoginToggle::commandFor(const QString& executable, const QString& name) {
    const QString found = QStandardPaths::findExecutable(name);
    if (!found.isEmpty() && !name.isEmpty() &&
        QFileInfo(found).canonicalFilePath() == QFileInfo(executable).canonicalFilePath()) {
        return name;
    }
    return executable;
}

QString MoxLaunchAtLoginToggle::execArgument(const QString& program) {
    // Quoted unless every character is one no reader splits on or treats specially (GLib's
    // reader takes a form feed for a separator, which the format does not reserve).
    static const QString plain = QStringLiteral("/._+-,:=@%");
    bool needsQuotes = program.isEmpty();
    for (const QChar c : program) {
        const bool isPlain = (c.isLetterOrNumber() && c.unicode() < 0x80) || plain.contains(c);
        needsQuotes = needsQuotes || !isPlain;
    }
    QString argument;
    if (needsQuotes) {
        argument = QStringLiteral("\"");
        for (const QChar c : program) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\')) {
                argument += QLatin1Char('\\');
            }
            argument += c;
        }
        argument += QLatin1Char('"');
    } else {
        argument = program;
    }
    argument.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return argument;
}

bool MoxLaunchAtLoginToggle::isEnabled(const Service& service) {
    if (QFileInfo::exists(service.entryPath)) {
        const KeyFile entry = load(service.entryPath);
        return entry && runs(entry.get());  // the user's entry overrides the system's
    }
    return systemEntryRuns(service);
}

void MoxLaunchAtLoginToggle::setEnabled(bool enabled, const Service& service) {
    KeyFile entry = load(service.entryPath);
    if (enabled) {
        if (!entry) {
            if (systemEntryRuns(service) && !QFileInfo::exists(service.entryPath)) {
                return;  // the system's entry starts it already
            }
            // The installed desktop entry, so the login item reads as the application does.
            entry = service.templatePath.isEmpty() ? nullptr : load(service.templatePath);
            if (!entry) {
                entry = newKeyFile();
                g_key_file_set_string(entry.get(), group, G_KEY_FILE_DESKTOP_KEY_TYPE,
                                      G_KEY_FILE_DESKTOP_TYPE_APPLICATION);
                setString(entry.get(), G_KEY_FILE_DESKTOP_KEY_NAME,
                          service.displayName.isEmpty() ? QStringLiteral("Application")
                                                        : service.displayName);
                g_key_file_set_boolean(entry.get(), group, G_KEY_FILE_DESKTOP_KEY_TERMINAL, FALSE);
            }
            setString(entry.get(), G_KEY_FILE_DESKTOP_KEY_EXEC, execArgument(service.command));
        }
        g_key_file_remove_key(entry.get(), group, G_KEY_FILE_DESKTOP_KEY_HIDDEN, nullptr);
        g_key_file_set_boolean(entry.get(), group, "X-GNOME-Autostart-enabled", TRUE);
        complete(entry.get(), service);
        write(service.entryPath, entry.get());
        return;
    }
    // An entry the system gives everyone is switched off for this user by a hidden one.
    if (systemEntryRuns(service)) {
        if (!entry) {
            entry = newKeyFile();
            g_key_file_set_string(entry.get(), group, G_KEY_FILE_DESKTOP_KEY_TYPE,
                                  G_KEY_FILE_DESKTOP_TYPE_APPLICATION);
        }
        g_key_file_set_boolean(entry.get(), group, G_KEY_FILE_DESKTOP_KEY_HIDDEN, TRUE);
        write(service.entryPath, entry.get());
        return;
    }
    QFile file(service.entryPath);
    if (file.exists() && !file.remove()) {
        throw Error(Error::Kind::underlying, file.errorString());
    }
}

bool MoxLaunchAtLoginToggle::repair(const Service& service) {
    bool renamed = false;
    if (!QFileInfo::exists(service.entryPath)) {
        for (const QString& former : service.formerEntryPaths) {
            if (QFileInfo::exists(former) && QFile::rename(former, service.entryPath)) {
                renamed = true;
                break;
            }
        }
    }
    const KeyFile entry = load(service.entryPath);
    if (!entry || !runs(entry.get()) ||
        programExists(stringValue(entry.get(), G_KEY_FILE_DESKTOP_KEY_EXEC))) {
        return renamed;
    }
    setString(entry.get(), G_KEY_FILE_DESKTOP_KEY_EXEC, execArgument(service.command));
    write(service.entryPath, entry.get());
    return true;
}

}  // namespace mox
