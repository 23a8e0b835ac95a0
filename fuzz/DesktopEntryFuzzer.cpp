// A program path of any bytes, written into an autostart entry, reads back as that very path
// through the format's escapes, Exec's quoting and its "%%": the desktop starts what we meant.
// Any entry file at all is read without crashing.
#include <glib.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

#include "FuzzCheck.h"
#include "frame/MoxLaunchAtLoginToggle.h"

namespace {

QString programIn(GKeyFile* file) {
    gchar* exec = g_key_file_get_string(file, "Desktop Entry", "Exec", nullptr);
    gchar** argv = nullptr;
    const bool parsed = exec != nullptr && g_shell_parse_argv(exec, nullptr, &argv, nullptr);
    QString program = parsed ? QString::fromUtf8(argv[0]) : QString();
    if (parsed && argv[1] != nullptr) {
        program = QStringLiteral("<more than one argument>");
    }
    g_strfreev(argv);
    g_free(exec);
    return program.replace(QStringLiteral("%%"), QStringLiteral("%"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir home;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const mox::MoxLaunchAtLoginToggle::Service service{
        home.filePath(QStringLiteral("autostart/tovra.desktop")),
        QString::fromUtf8(bytes.left(200)),
        QStringLiteral("Tovra"),
        {home.filePath(QStringLiteral("system/tovra.desktop"))},
        {},
        {}};
    QFile::remove(service.entryPath);
    const QString program = service.command;
    if (!program.isEmpty() && !program.contains(QChar(0)) && program.toUtf8() == bytes.left(200)) {
        mox::MoxLaunchAtLoginToggle::setEnabled(true, service);
        GKeyFile* file = g_key_file_new();
        FUZZ_CHECK(g_key_file_load_from_file(file, QFile::encodeName(service.entryPath).constData(),
                                             G_KEY_FILE_NONE, nullptr));
        FUZZ_CHECK(programIn(file) == program);
        g_key_file_free(file);
    }
    // The same bytes as an entry someone else wrote: read, judged, maybe repaired.
    QDir().mkpath(home.filePath(QStringLiteral("autostart")));
    QFile entry(service.entryPath);
    if (entry.open(QIODevice::WriteOnly)) {
        entry.write(bytes);
        entry.close();
        (void)mox::MoxLaunchAtLoginToggle::isEnabled(service);
        try {
            (void)mox::MoxLaunchAtLoginToggle::repair(service);
        } catch (const mox::MoxLaunchAtLoginToggle::LaunchAtLoginError&) {
        }
    }
    return 0;
}
