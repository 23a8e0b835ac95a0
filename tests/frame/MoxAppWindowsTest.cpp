#include <gtest/gtest.h>

#include <QVBoxLayout>

#include <QAbstractButton>
#include <QTest>

#include <QApplication>
#include <QMenuBar>

#include "MoxUI/MoxBrandPack.h"
#include "MoxUI/MoxSatelliteWindowPresenter.h"
#include "frame/MoxAboutView.h"
#include "frame/MoxAppMenu.h"
#include "frame/MoxAppSettingsView.h"
#include "frame/MoxHelpMenu.h"
#include "frame/MoxStandardEditMenu.h"
#include "frame/MoxSupportView.h"

namespace mox {
namespace {

class RecordingOpener final : public MoxAppOpeningURLs {
  public:
    void open(const QUrl& url) override { opened << url; }
    QList<QUrl> opened;
};

class RecordingClipboard final : public MoxClipboardWriting {
  public:
    void write(const QString& text) override { written << text; }
    QStringList written;
};

class RecordingActions final : public MoxCommandActions {
  public:
    void showAbout() override { ++abouts; }
    void showSupport() override {}
    void copyDiagnostics() override { ++copies; }
    int abouts = 0;
    int copies = 0;
};

MoxAppIdentity withoutContact() {
    MoxAppIdentity identity = MoxAppIdentity::tovra();
    identity.links.contactEmail.reset();
    identity.links.documentationURL.reset();
    return identity;
}

MoxAppDiagnostics diagnostics(std::optional<QString> version) {
    return {"tovra",
            "Tovra",
            "invalid.moxworks.tovra",
            std::move(version),
            std::nullopt,
            "Linux",
            "6.1.0",
            "x86_64",
            std::nullopt,
            std::nullopt};
}

TEST(MoxSupportActions, ContactFallsBackFromMailWithDiagnosticsToAddressToSupportPage) {
    RecordingOpener opener;
    RecordingClipboard clipboard;
    MoxSupportActions full{MoxAppIdentity::tovra(), diagnostics(QString("1.2")), opener, clipboard};
    EXPECT_EQ(full.supportSubject(), "Tovra 1.2 \u2014 ");
    full.contactSupport();
    ASSERT_EQ(opener.opened.size(), 1);
    EXPECT_TRUE(opener.opened[0]
                    .toString(QUrl::FullyEncoded)
                    .startsWith("mailto:support@moxworks.invalid?subject=Tovra%201.2%20%E2%80%94%20"
                                "&body=App%3A%20Tovra%0A"));

    MoxSupportActions noDiagnostics{MoxAppIdentity::tovra(), std::nullopt, opener, clipboard};
    noDiagnostics.contactSupport();
    EXPECT_EQ(opener.opened[1], QUrl("mailto:support@moxworks.invalid"));
    noDiagnostics.copyDiagnosticInfo();
    EXPECT_TRUE(clipboard.written.isEmpty());

    MoxSupportActions nothing{withoutContact(), diagnostics(std::nullopt), opener, clipboard};
    EXPECT_EQ(nothing.supportSubject(), "Tovra \u2014 ");
    nothing.contactSupport();  // the mail link needs an address
    EXPECT_EQ(opener.opened[2], MoxAppIdentity::tovra().links.supportURL);
    nothing.openDocumentation();
    EXPECT_EQ(opener.opened.size(), 3);
    nothing.copyDiagnosticInfo();
    EXPECT_EQ(clipboard.written, QStringList{diagnostics(std::nullopt).formattedText()});
}

TEST(MoxSupportView, ListsOnlyRowsThatCanActAndPerformsThem) {
    RecordingOpener opener;
    RecordingClipboard clipboard;
    MoxSupportView view(MoxSupportActions{withoutContact(), std::nullopt, opener, clipboard});
    EXPECT_EQ(view.rowLabels(),
              (QStringList{"Open Support", "Open Website", "Contact", "Privacy Policy", "Terms"}));
    EXPECT_TRUE(view.activate("Terms"));
    EXPECT_EQ(opener.opened, QList<QUrl>{*MoxAppIdentity::tovra().links.termsURL});
    // A row follows Enter as a link does.
    auto* website = view.findChild<QAbstractButton*>("Open Website");
    ASSERT_NE(website, nullptr);
    QTest::keyClick(website, Qt::Key_Return);
    EXPECT_EQ(opener.opened.size(), 2);
}

TEST(MoxSupportView, TheCopyRowAppearsWhenDiagnosticsArriveLater) {
    RecordingOpener opener;
    RecordingClipboard clipboard;
    MoxSupportView view(MoxSupportActions{withoutContact(), std::nullopt, opener, clipboard});
    view.show();
    EXPECT_FALSE(view.rowLabels().contains("Copy Diagnostic Info"));
    view.setDiagnostics(diagnostics(QString("1.2")));
    ASSERT_TRUE(view.rowLabels().contains("Copy Diagnostic Info"));
    for (QAbstractButton* row : view.findChildren<QAbstractButton*>()) {
        if (row->text() == "Copy Diagnostic Info") {
            QTest::mouseClick(row, Qt::LeftButton);
        }
    }
    EXPECT_EQ(clipboard.written, QStringList{diagnostics(QString("1.2")).formattedText()});
}

TEST(MoxAboutView, VersionLineAndLinks) {
    EXPECT_EQ(MoxAboutView::versionLine(QString("1.2"), QString("42")), "Version 1.2 (Build 42)");
    EXPECT_EQ(MoxAboutView::versionLine(QString("1.2"), std::nullopt), "Version 1.2");
    EXPECT_EQ(MoxAboutView::versionLine(std::nullopt, QString("42")), "Build 42");
    EXPECT_FALSE(MoxAboutView::versionLine(std::nullopt, std::nullopt).has_value());

    RecordingOpener opener;
    MoxAboutView view(MoxAppIdentity::tovra(), diagnostics(QString("1.2")), opener, MoxBundle());
    EXPECT_EQ(view.shownVersionLine(), "Version 1.2");
    EXPECT_EQ(view.linkTitles(), (QStringList{"Website", "Privacy Policy", "Terms"}));
    MoxAppIdentity bare = MoxAppIdentity::tovra();
    bare.links.privacyURL.reset();
    bare.links.termsURL.reset();
    MoxAboutView plain(bare, std::nullopt, opener, MoxBundle());
    EXPECT_EQ(plain.linkTitles(), QStringList{"Website"});
    EXPECT_TRUE(plain.shownVersionLine().isEmpty());
}

TEST(MoxAboutView, TheNoteCardComesWithABrandPackThatHasAnOrigin) {
    RecordingOpener opener;
    MoxBrandPack::reset();
    EXPECT_EQ(MoxAboutView(MoxAppIdentity::tovra(), std::nullopt, opener, MoxBundle())
                  .findChild<QWidget*>("MoxAboutView.localNote"),
              nullptr);
    MoxBrandPack::configure(MoxBrandPack::tovra());
    const MoxAboutView branded(MoxAppIdentity::tovra(), std::nullopt, opener, MoxBundle());
    EXPECT_NE(branded.findChild<QWidget*>("MoxAboutView.localNote"), nullptr);
    // A screen reader reads names meant for people, never the code's object names.
    for (const QWidget* widget : branded.findChildren<QWidget*>()) {
        EXPECT_FALSE(widget->accessibleName().contains("MoxAboutView"))
            << widget->accessibleName().toStdString();
    }
    MoxBrandPack::reset();
}

TEST(MoxAppSettingsView, ShowsTheAskedSectionsInOrder) {
    AnyMoxUpdateManager updates(MoxAppUpdateState::idle(), true, std::nullopt);
    RecordingOpener opener;
    RecordingClipboard clipboard;
    MoxAppSettingsView onlyAbout(MoxAppIdentity::tovra(), updates, std::nullopt,
                                 {MoxSettingsSection::about}, opener, clipboard);
    EXPECT_EQ(onlyAbout.tabLabels(), QStringList{"About"});
    EXPECT_FALSE(onlyAbout.showSection(MoxSettingsSection::updates));
    MoxAppSettingsView all(
        MoxAppIdentity::tovra(), updates, diagnostics(QString("1.2")),
        {MoxSettingsSection::diagnostics, MoxSettingsSection::general, MoxSettingsSection::about,
         MoxSettingsSection::support, MoxSettingsSection::updates},
        opener, clipboard);
    EXPECT_EQ(all.tabLabels(), (QStringList{"Updates", "Support", "About", "Diagnostics"}));
    EXPECT_TRUE(all.showSection(MoxSettingsSection::diagnostics));
    EXPECT_EQ(all.currentIndex(), 3);
    EXPECT_GE(all.minimumWidth(), 480);
}

TEST(MoxAppMenu, CommandsFollowTheSectionsAndTheUpdateManager) {
    AnyMoxUpdateManager updates(MoxAppUpdateState::idle(), true, std::nullopt);
    RecordingOpener opener;
    auto actions = std::make_shared<RecordingActions>();
    MoxAppMenu menu(withoutContact(), &updates, actions, opener,
                    {MoxAppMenuSection::about, MoxAppMenuSection::updates,
                     MoxAppMenuSection::support, MoxAppMenuSection::diagnostics});
    QStringList titles;
    for (QMenu* m : {menu.applicationMenu(), menu.helpMenu()}) {
        for (QAction* a : m->actions()) {
            titles << a->text();
        }
    }
    EXPECT_EQ(titles, (QStringList{"About Tovra", "Check for Updates\u2026", "Tovra Help",
                                   "Contact Support", "Open Website", "Copy Diagnostic Info"}));
    QAction* check = menu.command("Check for Updates\u2026");
    EXPECT_TRUE(check->isEnabled());
    updates.updateCanCheckForUpdates(false);
    EXPECT_FALSE(check->isEnabled());

    menu.command("About Tovra")->trigger();
    menu.command("Copy Diagnostic Info")->trigger();
    menu.command("Contact Support")->trigger();  // no address: the support page
    EXPECT_EQ(actions->abouts, 1);
    EXPECT_EQ(actions->copies, 1);
    EXPECT_EQ(opener.opened, QList<QUrl>{MoxAppIdentity::tovra().links.supportURL});

    // Held weakly: once the owner let go, a command reaches nobody and opens nothing itself.
    const std::weak_ptr<RecordingActions> released = actions;
    actions.reset();
    ASSERT_TRUE(released.expired());
    menu.command("About Tovra")->trigger();
    menu.command("Copy Diagnostic Info")->trigger();
    EXPECT_EQ(MoxSatelliteWindowPresenter::shared().window("about-app"), nullptr);
    EXPECT_EQ(opener.opened.size(), 1);

    MoxAppMenu few(MoxAppIdentity::tovra(), nullptr, {}, opener, {MoxAppMenuSection::about});
    EXPECT_EQ(few.applicationMenu()->actions().size(), 1);
    EXPECT_EQ(few.helpMenu()->actions().size(), 1);  // "Tovra Help" is always there
    MoxHelpMenu help(MoxAppIdentity::tovra(), opener);
    EXPECT_EQ(help.menu()->actions().size(), 3);
}

TEST(MoxStandardEditMenu, AWindowsMenuBarPutsEditBeforeHelp) {
    RecordingOpener opener;
    MoxStandardEditMenu::install();
    MoxAppMenu menus(MoxAppIdentity::tovra(), nullptr, {}, opener, {MoxAppMenuSection::about});
    QWidget content;
    auto* layout = new QVBoxLayout(&content);
    (void)layout;
    const QMenuBar* bar =
        MoxStandardEditMenu::attachMenuBar(&content, {menus.applicationMenu(), menus.helpMenu()});
    QStringList titles;
    for (const QAction* menu : bar->actions()) {
        titles << menu->text();
    }
    EXPECT_EQ(titles, (QStringList{"Tovra", "Edit", "Help"}));
}

TEST(MoxStandardEditMenu, InstallingTwiceLeavesOneEditMenu) {
    QMenuBar bar;
    MoxStandardEditMenu::install(&bar);
    MoxStandardEditMenu::install(&bar);
    ASSERT_EQ(bar.actions().size(), 1);
    QAction* edit = bar.actions()[0];
    EXPECT_EQ(edit->menu()->actions()[1]->shortcut(), QKeySequence(QKeySequence::Copy));
}

}  // namespace
}  // namespace mox
