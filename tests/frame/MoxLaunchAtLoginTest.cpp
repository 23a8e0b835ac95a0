#include "frame/MoxLaunchAtLoginToggle.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdlib>

namespace mox {
namespace {

/// What the desktop reads from an entry: its keys, with the format's escapes undone.
class Entry {
  public:
    explicit Entry(const QString& path) : file_(g_key_file_new()) {
        loaded_ = g_key_file_load_from_file(file_, QFile::encodeName(path).constData(),
                                            G_KEY_FILE_KEEP_TRANSLATIONS, nullptr) != FALSE;
    }
    ~Entry() { g_key_file_free(file_); }
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;

    [[nodiscard]] bool loaded() const { return loaded_; }
    [[nodiscard]] bool has(const char* key) const {
        return g_key_file_has_key(file_, "Desktop Entry", key, nullptr) != FALSE;
    }
    [[nodiscard]] QString value(const char* key, const char* group = "Desktop Entry") const {
        gchar* text = g_key_file_get_string(file_, group, key, nullptr);
        const QString result = text != nullptr ? QString::fromUtf8(text) : QString();
        g_free(text);
        return result;
    }
    /// The program Exec starts, as a shell-like reader of the format splits it.
    [[nodiscard]] QString program() const {
        gchar** argv = nullptr;
        if (!g_shell_parse_argv(value("Exec").toUtf8().constData(), nullptr, &argv, nullptr)) {
            return {};
        }
        QString first = QString::fromUtf8(argv[0]);
        g_strfreev(argv);
        return first.replace(QStringLiteral("%%"), QStringLiteral("%"));
    }

  private:
    GKeyFile* file_;
    bool loaded_ = false;
};

class MoxLaunchAtLoginTest : public ::testing::Test {
  protected:
    void SetUp() override { program = makeProgram(home.filePath("Tovra 1/bin/tovra")); }

    /// An executable file at `path`.
    QString makeProgram(const QString& path) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    void writeEntry(const QString& path, const QByteArray& contents) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }
    static QByteArray contents(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    [[nodiscard]] MoxLaunchAtLoginToggle::Service service() const {
        return {home.filePath("config/autostart/invalid.moxworks.tovra.desktop"),
                program,
                "Tovra",
                {home.filePath("xdg/autostart/invalid.moxworks.tovra.desktop")},
                home.filePath("share/applications/invalid.moxworks.tovra.desktop"),
                {home.filePath("config/autostart/tovra.desktop")}};
    }

    QTemporaryDir home;
    QString program;
};

TEST_F(MoxLaunchAtLoginTest, EnablingWritesAnEntryThatStartsThisProgram) {
    const auto tovra = service();
    EXPECT_FALSE(MoxLaunchAtLoginToggle::isEnabled(tovra));
    MoxLaunchAtLoginToggle::setEnabled(true, tovra);
    EXPECT_TRUE(MoxLaunchAtLoginToggle::isEnabled(tovra));
    const Entry entry(tovra.entryPath);
    ASSERT_TRUE(entry.loaded());
    EXPECT_EQ(entry.value("Type"), "Application");
    EXPECT_EQ(entry.value("Name"), "Tovra");
    EXPECT_EQ(entry.program(), program);
    EXPECT_EQ(entry.value("TryExec"), program);  // skipped at login once the program is gone
    EXPECT_FALSE(entry.has("Hidden"));

    MoxLaunchAtLoginToggle::setEnabled(false, tovra);
    EXPECT_FALSE(QFile::exists(tovra.entryPath));
    MoxLaunchAtLoginToggle::setEnabled(false, tovra);  // nothing to remove is fine
    EXPECT_FALSE(MoxLaunchAtLoginToggle::isEnabled(tovra));
}

TEST_F(MoxLaunchAtLoginTest, TheEntryIsOursByNameAndKeepsWhatItStartsWhileThatExists) {
    // Installed once; now a development build runs.
    const QString installed = makeProgram(home.filePath("usr/bin/tovra"));
    const auto tovra = service();
    writeEntry(tovra.entryPath,
               "# written by hand\n[Desktop Entry]\nType=Application\n"
               "Name=Tovra\nName[de]=Tovra (Warteschlange)\nExec=" +
                   installed.toUtf8() +
                   " --quiet\n\n[Desktop Action Open]\nName=Open\nExec=tovra\n");
    EXPECT_TRUE(MoxLaunchAtLoginToggle::isEnabled(tovra));
    const QByteArray before = contents(tovra.entryPath);
    EXPECT_FALSE(MoxLaunchAtLoginToggle::repair(tovra));
    EXPECT_EQ(contents(tovra.entryPath), before);  // nothing rewritten

    MoxLaunchAtLoginToggle::setEnabled(true, tovra);
    const Entry entry(tovra.entryPath);
    EXPECT_EQ(entry.program(), installed);  // not repointed at the build folder
    EXPECT_EQ(entry.value("Exec"), installed + " --quiet");
    EXPECT_EQ(entry.value("Name[de]"), "Tovra (Warteschlange)");
    EXPECT_EQ(entry.value("Exec", "Desktop Action Open"), "tovra");
    EXPECT_TRUE(contents(tovra.entryPath).contains("# written by hand"));
}

TEST_F(MoxLaunchAtLoginTest, AnEntryWhoseProgramIsGoneIsRepairedAndOnlyThen) {
    const auto tovra = service();
    writeEntry(tovra.entryPath,
               "[Desktop Entry]\nType=Application\nName=Tovra\nExec=/opt/gone/tovra --quiet\n");
    EXPECT_TRUE(MoxLaunchAtLoginToggle::repair(tovra));
    EXPECT_EQ(Entry(tovra.entryPath).program(), program);
    EXPECT_FALSE(MoxLaunchAtLoginToggle::repair(tovra));  // once is enough

    // Switched off by the user: left as it is, whatever it names.
    writeEntry(tovra.entryPath,
               "[Desktop Entry]\nType=Application\nExec=/opt/gone/tovra\n"
               "Hidden=true\n");
    const QByteArray before = contents(tovra.entryPath);
    EXPECT_FALSE(MoxLaunchAtLoginToggle::repair(tovra));
    EXPECT_EQ(contents(tovra.entryPath), before);
}

TEST_F(MoxLaunchAtLoginTest, HiddenOrSwitchedOffEntriesAreOffUntilTurnedOn) {
    const auto tovra = service();
    for (const QByteArray& off :
         {QByteArray("Hidden=true"), QByteArray("X-GNOME-Autostart-enabled=false")}) {
        writeEntry(tovra.entryPath, "[Desktop Entry]\nType=Application\nExec=" +
                                        program.toUtf8().replace(" ", "\\s") + "\n" + off + "\n");
        EXPECT_FALSE(MoxLaunchAtLoginToggle::isEnabled(tovra)) << off.toStdString();
        MoxLaunchAtLoginToggle::setEnabled(true, tovra);
        EXPECT_TRUE(MoxLaunchAtLoginToggle::isEnabled(tovra)) << off.toStdString();
        EXPECT_FALSE(Entry(tovra.entryPath).has("Hidden"));
    }
    writeEntry(tovra.entryPath, "not a desktop entry");
    EXPECT_FALSE(MoxLaunchAtLoginToggle::isEnabled(tovra));
}

TEST_F(MoxLaunchAtLoginTest, ASystemEntryCountsUntilTheUsersOwnOverridesIt) {
    const auto tovra = service();
    writeEntry(tovra.systemEntryPaths[0], "[Desktop Entry]\nType=Application\nExec=tovra\n");
    EXPECT_TRUE(MoxLaunchAtLoginToggle::isEnabled(tovra));
    MoxLaunchAtLoginToggle::setEnabled(true, tovra);
    EXPECT_FALSE(QFile::exists(tovra.entryPath));  // nothing to add

    MoxLaunchAtLoginToggle::setEnabled(false, tovra);
    ASSERT_TRUE(QFile::exists(tovra.entryPath));
    EXPECT_EQ(Entry(tovra.entryPath).value("Hidden"), "true");
    EXPECT_FALSE(MoxLaunchAtLoginToggle::isEnabled(tovra));

    MoxLaunchAtLoginToggle::setEnabled(true, tovra);
    EXPECT_TRUE(MoxLaunchAtLoginToggle::isEnabled(tovra));
    EXPECT_EQ(Entry(tovra.entryPath).program(), program);  // a whole entry of its own

    writeEntry(tovra.systemEntryPaths[0], "[Desktop Entry]\nExec=tovra\nHidden=true\n");
    QFile::remove(tovra.entryPath);
    EXPECT_FALSE(MoxLaunchAtLoginToggle::isEnabled(tovra));
}

TEST_F(MoxLaunchAtLoginTest, ExecQuotesWhatTheFormatReservesAndEscapesLineBreaks) {
    EXPECT_EQ(MoxLaunchAtLoginToggle::execArgument("/usr/bin/tovra"), "/usr/bin/tovra");
    EXPECT_EQ(MoxLaunchAtLoginToggle::execArgument("tovra"), "tovra");
    // A form feed is no reserved character, but GLib's reader splits on it (found by fuzzing).
    EXPECT_EQ(MoxLaunchAtLoginToggle::execArgument("/a\fb"), "\"/a\fb\"");
    EXPECT_EQ(MoxLaunchAtLoginToggle::execArgument("/caf\u00E9"), "\"/caf\u00E9\"");
    EXPECT_EQ(MoxLaunchAtLoginToggle::execArgument("/a b/100%/t"), "\"/a b/100%%/t\"");
    EXPECT_EQ(MoxLaunchAtLoginToggle::execArgument("/a$b/\"q\"\\"), "\"/a\\$b/\\\"q\\\"\\\\\"");

    program = makeProgram(home.filePath("odd $dir/100% \"sure\"/line\nbreak\ttab\rcr/tovra"));
    const auto tovra = service();
    MoxLaunchAtLoginToggle::setEnabled(true, tovra);
    const QByteArray text = contents(tovra.entryPath);
    for (const QByteArray& line : text.split('\n')) {
        if (line.startsWith("Exec=")) {
            EXPECT_FALSE(line.contains('\t') || line.contains('\r')) << line.toStdString();
        }
    }
    EXPECT_EQ(Entry(tovra.entryPath).program(), program);
    EXPECT_TRUE(MoxLaunchAtLoginToggle::isEnabled(tovra));
    EXPECT_FALSE(MoxLaunchAtLoginToggle::repair(tovra));  // it finds what it wrote
}

TEST_F(MoxLaunchAtLoginTest, AnInstalledProgramIsStartedByItsName) {
    const QString bin = home.filePath("bin");
    QDir().mkpath(bin);
    ASSERT_TRUE(QFile::link(program, bin + "/tovra-login-test"));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.toUtf8() + ":" + path);
    EXPECT_EQ(MoxLaunchAtLoginToggle::commandFor(program, "tovra-login-test"), "tovra-login-test");
    const QString other = makeProgram(home.filePath("build/tovra"));
    EXPECT_EQ(MoxLaunchAtLoginToggle::commandFor(other, "tovra-login-test"), other);
    EXPECT_EQ(MoxLaunchAtLoginToggle::commandFor(program, "tovra-not-installed"), program);
    qputenv("PATH", path);
}

TEST_F(MoxLaunchAtLoginTest, ANewEntryReadsAsTheInstalledDesktopEntryDoes) {
    const auto tovra = service();
    writeEntry(tovra.templatePath,
               "[Desktop Entry]\nType=Application\nName=Tovra\n"
               "Comment=Collect copies in a queue\nIcon=invalid.moxworks.tovra\n"
               "Exec=tovra\nCategories=Utility;\n");
    MoxLaunchAtLoginToggle::setEnabled(true, tovra);
    const Entry entry(tovra.entryPath);
    EXPECT_EQ(entry.value("Icon"), "invalid.moxworks.tovra");
    EXPECT_EQ(entry.value("Comment"), "Collect copies in a queue");
    EXPECT_EQ(entry.program(), program);  // what this installation runs
    EXPECT_EQ(entry.value("X-GNOME-Autostart-enabled"), "true");
}

TEST_F(MoxLaunchAtLoginTest, AnEntryUnderTheFormerNameIsTakenOver) {
    const auto tovra = service();
    const QByteArray text =
        "[Desktop Entry]\nType=Application\nName=Tovra\nExec=\"" + program.toUtf8() + "\"\n";
    writeEntry(tovra.formerEntryPaths[0], text);
    EXPECT_TRUE(MoxLaunchAtLoginToggle::repair(tovra));
    EXPECT_FALSE(QFile::exists(tovra.formerEntryPaths[0]));
    EXPECT_EQ(contents(tovra.entryPath), text);
    EXPECT_TRUE(MoxLaunchAtLoginToggle::isEnabled(tovra));
}

TEST_F(MoxLaunchAtLoginTest, AFailureCarriesTheSystemsMessage) {
    const auto tovra = service();
    // A file where the autostart folder belongs: no entry can be written, even by root.
    writeEntry(home.filePath("config/autostart"), "not a folder");
    try {
        MoxLaunchAtLoginToggle::setEnabled(true, tovra);
        ADD_FAILURE() << "the entry was written";
    } catch (const MoxLaunchAtLoginToggle::LaunchAtLoginError& error) {
        EXPECT_EQ(error.kind, MoxLaunchAtLoginToggle::LaunchAtLoginError::Kind::underlying);
        EXPECT_TRUE(error.message.contains(home.filePath("config/autostart")))
            << error.message.toStdString();
    }
    EXPECT_FALSE(MoxLaunchAtLoginToggle::isEnabled(tovra));
}

}  // namespace
}  // namespace mox
