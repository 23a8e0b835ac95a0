#include <gtest/gtest.h>

#include <cstdlib>

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include "LoopbackFeedServer.h"
#include "MoxUI/MoxSatelliteWindowPresenter.h"
#include "Tovra/services/AppServices.h"
#include "Tovra/services/TovraApplicationFrame.h"
#include "Tovra/services/TovraUpdateBridge.h"
#include "frame/MoxAppOpeningURLs.h"
#include "frame/MoxAppSettingsView.h"

namespace tovra {
namespace {

using mox::MoxAppUpdateState;
using mox::MoxSparkleState;

// The other kinds map one to one; the found version is checked end to end below.
TEST(MakeAppUpdateState, AFailureKeepsItsDescriptionOrSaysThatAnUpdateFailed) {
    EXPECT_EQ(
        makeAppUpdateState(MoxSparkleState::failed(mox::MoxSparkleError::updateCheckFailed("x"))),
        MoxAppUpdateState::failed("Update check failed: x"));
    MoxSparkleState noError = MoxSparkleState::failed(mox::MoxSparkleError::updateCheckFailed(""));
    noError.error.reset();
    EXPECT_EQ(makeAppUpdateState(noError), MoxAppUpdateState::failed("Update failed."));
    EXPECT_EQ(makeAppUpdateState(MoxSparkleState::updateAvailable(std::nullopt)),
              MoxAppUpdateState::updateAvailable(std::nullopt));
}

TEST(TovraUpdateBridge, CopiesTheManagerOneTurnLater) {
    const auto services = AppServices::make(mox::MoxBundle());
    TovraUpdateBridge& bridge = services->updates();
    EXPECT_EQ(bridge.state(), MoxAppUpdateState::idle());
    EXPECT_TRUE(bridge.canCheckForUpdates());
    EXPECT_FALSE(bridge.lastCheckDate().has_value());

    int changes = 0;
    QObject::connect(&bridge, &mox::AnyMoxUpdateManager::changed, [&] { ++changes; });
    services->sparkle().checkForUpdates();  // not started: the state stays checking
    services->sparkle().resetError();
    services->sparkle().checkForUpdates();
    EXPECT_EQ(bridge.state(), MoxAppUpdateState::idle());
    EXPECT_TRUE(bridge.canCheckForUpdates());
    QCoreApplication::processEvents();
    EXPECT_EQ(bridge.state().kind, MoxAppUpdateState::Kind::checking);
    EXPECT_FALSE(bridge.canCheckForUpdates());
    EXPECT_TRUE(bridge.lastCheckDate().has_value());
    // However many changes the manager made in that turn, the menu and the pages hear once.
    EXPECT_EQ(changes, 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(changes, 1);
}

TEST(TovraUpdateBridge, ATaskForAGoneManagerDoesNothing) {
    auto sparkle = std::make_unique<mox::MoxSparkleManager>(
        mox::MoxSparkleConfig::make("tovra", "Tovra", QUrl("https://dl.moxworks.invalid"), "stable",
                                    true, false, 86400, false, false),
        mox::MoxBundle());
    TovraUpdateBridge bridge(*sparkle);
    sparkle->checkForUpdates();
    sparkle.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(bridge.state(), MoxAppUpdateState::idle());
}

class RecordingOpener final : public mox::MoxAppOpeningURLs {
  public:
    void open(const QUrl& url) override { opened << url; }
    QList<QUrl> opened;
};

TEST(TovraApplicationFrame, ACheckFromTheMenuShowsTheUpdatesPageAndThePendingUpdate) {
    LoopbackFeedServer::trustTestCertificate();
    LoopbackFeedServer server;
    server.serve("/tovra/appcast.xml",
                 {200,
                  R"(<rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
<channel><item><title>Tovra 0.2</title><sparkle:version>2</sparkle:version>
<sparkle:shortVersionString>0.2.0</sparkle:shortVersionString>
<link>https://moxworks.invalid/tovra/0.2.0</link></item></channel></rss>)",
                  0});
    QTemporaryDir directory;
    QSettings store(directory.filePath("tovra.conf"), QSettings::IniFormat);
    // Checked two hours ago, by an earlier run: nothing is due at launch.
    const QDateTime earlier = QDateTime::currentDateTimeUtc().addSecs(-7200);
    store.setValue(TovraApplicationFrame::lastUpdateCheckKey, earlier.toString(Qt::ISODate));
    const mox::MoxBundle bundle(
        {{"CFBundleShortVersionString", "0.1.0"}, {"CFBundleVersion", "1"}});
    TovraApplicationFrame frame(bundle, store, server.baseURL());
    ASSERT_TRUE(frame.buildServices());
    frame.startUpdates();
    QCoreApplication::processEvents();
    ASSERT_TRUE(frame.services()->updates().lastCheckDate().has_value());
    EXPECT_EQ(frame.services()->updates().lastCheckDate()->toUTC().toString(Qt::ISODate),
              earlier.toString(Qt::ISODate));
    int changes = 0;
    frame.observeUpdates([&] { ++changes; });
    EXPECT_TRUE(frame.canCheckForUpdates());

    frame.checkForUpdates();
    QWidget* settings = mox::MoxSatelliteWindowPresenter::shared().window("settings");
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame.pendingUpdateVersion().has_value(); }, 10'000));
    EXPECT_EQ(frame.pendingUpdateVersion(), std::optional<std::string>("0.2.0"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame.canCheckForUpdates(); }, 10'000));
    EXPECT_EQ(server.requestCount(), 1);  // the user's check only
    const QDateTime recorded = QDateTime::fromString(
        store.value(TovraApplicationFrame::lastUpdateCheckKey).toString(), Qt::ISODate);
    EXPECT_LE(std::abs(recorded.secsTo(QDateTime::currentDateTimeUtc())), 5);
    EXPECT_GT(changes, 0);
    EXPECT_EQ(frame.services()->updates().state(),
              MoxAppUpdateState::updateAvailable(QString("0.2.0")));
    // The open window's diagnostics follow the update state.
    const auto* diagnostics = settings->findChild<QPlainTextEdit*>();
    ASSERT_NE(diagnostics, nullptr);
    EXPECT_TRUE(diagnostics->toPlainText().contains("Updates: updateAvailable(version: 0.2.0)"))
        << diagnostics->toPlainText().toStdString();

    RecordingOpener opener;
    mox::setSharedURLOpener(&opener);
    frame.services()->updates().installUpdate();
    mox::setSharedURLOpener(nullptr);
    mox::MoxSatelliteWindowPresenter::shared().closeAll();
    EXPECT_EQ(opener.opened, QList<QUrl>{QUrl("https://moxworks.invalid/tovra/0.2.0")});
    EXPECT_FALSE(frame.pendingUpdateVersion().has_value());
}

TEST(TovraApplicationFrame, ScheduledChecksTurnedOffStayOffAcrossLaunches) {
    QTemporaryDir directory;
    QSettings store(directory.filePath("tovra.conf"), QSettings::IniFormat);
    const mox::MoxBundle bundle;  // the frame keeps a reference
    {
        TovraApplicationFrame frame(bundle, store);
        ASSERT_TRUE(frame.buildServices());
        frame.startUpdates();
        EXPECT_EQ(frame.automaticUpdateChecks(), true);
        frame.setAutomaticUpdateChecks(false);
        const mox::MoxUpdater* updater = frame.services()->sparkle().bridge().updaterController();
        ASSERT_NE(updater, nullptr);
        EXPECT_FALSE(updater->automaticallyChecksForUpdates());  // the running one stops too
    }
    TovraApplicationFrame relaunched(bundle, store);
    ASSERT_TRUE(relaunched.buildServices());
    relaunched.startUpdates();
    EXPECT_EQ(relaunched.automaticUpdateChecks(), false);
    EXPECT_FALSE(relaunched.services()
                     ->sparkle()
                     .bridge()
                     .updaterController()
                     ->automaticallyChecksForUpdates());
}

TEST(TovraApplicationFrame, ABuildWithoutTheUpdateCheckerNeverAsksTheServer) {
    LoopbackFeedServer::trustTestCertificate();
    LoopbackFeedServer server;
    QTemporaryDir directory;
    QSettings store(directory.filePath("tovra.conf"), QSettings::IniFormat);
    const mox::MoxBundle bundle;
    TovraApplicationFrame frame(bundle, store, server.baseURL(), false);
    ASSERT_TRUE(frame.buildServices());  // About, Support and diagnostics still work
    frame.startUpdates();
    EXPECT_FALSE(frame.services()->sparkle().bridge().started());
    EXPECT_FALSE(frame.canCheckForUpdates());
    EXPECT_FALSE(frame.automaticUpdateChecks().has_value());
    frame.checkForUpdates();
    // A check would have shown "checking" at once: none began.
    EXPECT_EQ(frame.services()->sparkle().state(), mox::MoxSparkleState::idle());
    EXPECT_EQ(server.requestCount(), 0);
}

}  // namespace
}  // namespace tovra
