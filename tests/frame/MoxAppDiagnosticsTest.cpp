#include "frame/MoxAppDiagnostics.h"

#include <gtest/gtest.h>

#include <QPushButton>

#include "frame/MoxDiagnosticsView.h"

namespace mox {
namespace {

MoxAppDiagnostics sample() {
    return {"tovra",
            "Tovra",
            "invalid.moxworks.tovra",
            QString("1.2"),
            QString("42"),
            "Linux",
            "6.1.0",
            "x86_64",
            QString("idle"),
            QUrl("https://moxworks.invalid/tovra/appcast.xml"),
            QString("Debian GNU/Linux 12 (bookworm)"),
            QString("wayland, GNOME")};
}

TEST(MoxAppDiagnostics, ListsEachValueOnItsLineAndLeavesOutWhatIsMissing) {
    EXPECT_EQ(sample().formattedText(),
              "App: Tovra\nProduct Slug: tovra\nBundle ID: invalid.moxworks.tovra\nVersion: 1.2\n"
              "Build: 42\nLinux: 6.1.0\nDistribution: Debian GNU/Linux 12 (bookworm)\n"
              "Session: wayland, GNOME\nArchitecture: x86_64\nUpdates: idle\n"
              "Appcast: https://moxworks.invalid/tovra/appcast.xml");
    MoxAppDiagnostics sparse = sample();
    sparse.buildNumber.reset();
    sparse.updateSummary = QString();
    sparse.appcastURL.reset();
    sparse.distribution.reset();
    sparse.session.reset();
    EXPECT_EQ(sparse.formattedText(),
              "App: Tovra\nProduct Slug: tovra\nBundle ID: invalid.moxworks.tovra\nVersion: 1.2\n"
              "Linux: 6.1.0\nArchitecture: x86_64");
}

TEST(MoxAppDiagnostics, SupportMailIsSingleLineAndAsksWhatHappened) {
    MoxAppDiagnostics d = sample();
    d.productDisplayName = "To\nvra\u0085";
    EXPECT_TRUE(d.formattedText().startsWith("App: To\nvra"));
    const QString body = d.supportMailBody();
    EXPECT_TRUE(body.startsWith("App: To vra \nProduct Slug"));
    EXPECT_TRUE(
        body.endsWith("Appcast: https://moxworks.invalid/tovra/appcast.xml\n\nWhat happened:\n"));
}

TEST(MoxDiagnosticInfoBuilder, ReadsIdentityBundleTheRunningKernelAndTheSession) {
    qputenv("XDG_SESSION_TYPE", "x11");
    qputenv("XDG_CURRENT_DESKTOP", "XFCE");
    EXPECT_EQ(MoxDiagnosticInfoBuilder::versionTriple("6.1.0-13-amd64"), "6.1.0");
    EXPECT_EQ(MoxDiagnosticInfoBuilder::versionTriple("5.15"), "5.15.0");
    const MoxAppDiagnostics d =
        MoxDiagnosticInfoBuilder::build(MoxAppIdentity::tovra(), std::nullopt, std::nullopt,
                                        MoxBundle({{"CFBundleShortVersionString", "0.1.0"}}));
    EXPECT_EQ(d.productSlug, "tovra");
    EXPECT_EQ(d.systemName, "Linux");
    EXPECT_EQ(d.systemVersion.count('.'), 2);
    EXPECT_FALSE(d.formattedText().contains("Build: "));
    EXPECT_EQ(d.session, "x11, XFCE");
    EXPECT_TRUE(d.distribution.has_value());  // the test machine's os-release
}

class RecordingClipboard final : public MoxClipboardWriting {
  public:
    void write(const QString& text) override { written << text; }
    QStringList written;
};

TEST(MoxDiagnosticsView, CopiesTheFormattedText) {
    RecordingClipboard clipboard;
    MoxDiagnosticsView view(sample(), clipboard);
    view.findChild<QPushButton*>("copyDiagnostics")->click();
    EXPECT_EQ(clipboard.written, QStringList{sample().formattedText()});
}

}  // namespace
}  // namespace mox
