#include "updates/MoxSparkleManager.h"

#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <tuple>
#include <vector>

#include "LoopbackFeedServer.h"

namespace mox {
namespace {

QByteArray feedWith(const QString& version, const QString& shortVersion) {
    return QStringLiteral(R"(<?xml version="1.0"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
<channel><title>Tovra</title>
<item><title>Tovra %2</title><sparkle:version>%1</sparkle:version>
<sparkle:shortVersionString>%2</sparkle:shortVersionString>
<link>https://moxworks.invalid/tovra/%2</link></item>
</channel></rss>)")
        .arg(version, shortVersion)
        .toUtf8();
}

class MoxSparkleManagerTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { LoopbackFeedServer::trustTestCertificate(); }

    /// A manager whose schedule keeps its last check here, on a clock `skipped` can move on.
    std::unique_ptr<MoxSparkleManager> makeManager(const QUrl& base, double interval = 86400) {
        auto manager = std::make_unique<MoxSparkleManager>(
            MoxSparkleConfig::make("tovra", "Tovra", base, "stable", true, false, interval, false,
                                   false),
            MoxBundle({{"CFBundleShortVersionString", "1.2"}, {"CFBundleVersion", "120"}}));
        MoxUpdater::Schedule schedule;
        schedule.lastCheck = [this] { return lastCheck; };
        schedule.recordCheck = [this](const QDateTime& when) { lastCheck = when; };
        schedule.now = [this] { return QDateTime::currentDateTimeUtc().addSecs(skipped); };
        schedule.settleMs = 50;
        manager->setSchedule(schedule);
        manager->setUpdateInterface([this] { ++interfaceShown; });
        manager->setURLOpener([this](const QUrl& url) { opened.push_back(url); });
        manager->setActivationPolicyProvider([] { return MoxActivationPolicy::accessory; });
        return manager;
    }

    static bool finishes(MoxSparkleManager& manager) {
        return QTest::qWaitFor([&] { return manager.canCheckForUpdates(); }, 10'000);
    }

    [[nodiscard]] QDateTime now() const { return QDateTime::currentDateTimeUtc().addSecs(skipped); }

    LoopbackFeedServer server;
    // Checked an hour ago: nothing is due at launch unless a test says otherwise.
    std::optional<QDateTime> lastCheck = QDateTime::currentDateTimeUtc().addSecs(-3600);
    qint64 skipped = 0;
    int interfaceShown = 0;
    std::vector<QUrl> opened;
};

TEST_F(MoxSparkleManagerTest, ACheckBeforeStartPublishesInOrderAndRunsNothing) {
    lastCheck.reset();
    auto manager = makeManager(server.baseURL());
    EXPECT_EQ(manager->state(), MoxSparkleState::idle());
    EXPECT_TRUE(manager->canCheckForUpdates());
    EXPECT_FALSE(manager->lastCheckDate().has_value());

    std::vector<std::tuple<MoxSparkleState::Kind, bool, bool>> seen;
    QObject::connect(manager.get(), &MoxSparkleManager::changed, [&] {
        seen.emplace_back(manager->state().kind, manager->canCheckForUpdates(),
                          manager->lastCheckDate().has_value());
    });
    manager->checkForUpdates();
    using Kind = MoxSparkleState::Kind;
    // Everything the start of a check changes, in one notification.
    const std::vector<std::tuple<Kind, bool, bool>> expected{{Kind::checking, false, true}};
    EXPECT_EQ(seen, expected);
    QTest::qWait(100);
    EXPECT_EQ(manager->state(), MoxSparkleState::checking());
    EXPECT_FALSE(manager->canCheckForUpdates());
    EXPECT_EQ(server.requestCount(), 0);
    EXPECT_EQ(interfaceShown, 0);
}

TEST_F(MoxSparkleManagerTest, StartsOneUpdaterAndChecksNothingAtLaunchWhenTheLastCheckIsRecent) {
    auto manager = makeManager(server.baseURL());
    manager->start();
    MoxUpdater* updater = manager->bridge().updaterController();
    ASSERT_NE(updater, nullptr);
    manager->start();
    EXPECT_EQ(manager->bridge().updaterController(), updater);
    EXPECT_TRUE(updater->isScheduled());
    EXPECT_EQ(updater->updateCheckInterval(), 86400);
    EXPECT_FALSE(updater->automaticallyDownloadsUpdates());
    EXPECT_EQ(manager->lastCheckDate(), lastCheck->toLocalTime());  // kept across restarts
    QTest::qWait(200);
    EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(MoxSparkleManagerTest, ACheckThatCameDueWhileNotRunningRunsShortlyAfterLaunch) {
    server.serve("/tovra/appcast.xml", {200, feedWith("120", "1.2"), 0});
    for (const std::optional<QDateTime>& before :
         {std::optional<QDateTime>(), std::optional<QDateTime>(now().addDays(-2)),
          std::optional<QDateTime>(now().addDays(3))}) {  // never; long ago; a clock set back
        lastCheck = before;
        const int requests = server.requestCount();
        auto manager = makeManager(server.baseURL());
        manager->start();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return manager->state() != MoxSparkleState::idle(); }, 10'000));
        EXPECT_EQ(server.requestCount(), requests + 1);
        ASSERT_TRUE(lastCheck.has_value());
        EXPECT_LE(std::abs(lastCheck->secsTo(now())), 5);  // remembered for the next launch
        EXPECT_EQ(manager->state(), MoxSparkleState::noUpdateAvailable())
            << (manager->lastError() ? manager->lastError()->errorDescription().toStdString()
                                     : std::string());
    }
}

TEST_F(MoxSparkleManagerTest, ACheckThatCameDueDuringSleepRunsAfterWakeUp) {
    server.serve("/tovra/appcast.xml", {200, feedWith("130", "1.3"), 0});
    auto manager = makeManager(server.baseURL());
    manager->start();
    QTest::qWait(150);
    ASSERT_EQ(server.requestCount(), 0);
    // Two days asleep: the schedule's timer did not run meanwhile, the wall clock did.
    skipped = 2 * 86400;
    manager->systemDidWake();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return manager->pendingUpdateVersion().has_value(); }, 10'000));
    EXPECT_EQ(server.requestCount(), 1);
    EXPECT_LE(std::abs(lastCheck->secsTo(now())), 5);
}

TEST_F(MoxSparkleManagerTest, AUserCheckFindsTheNewerVersionWithoutBlockingAndInstallOpensItsPage) {
    server.serve("/tovra/appcast.xml", {200, feedWith("130", "1.3"), 300});
    auto manager = makeManager(server.baseURL());
    manager->start();
    bool loopTurned = false;
    QTimer::singleShot(20, [&] { loopTurned = true; });
    manager->checkForUpdates();
    EXPECT_EQ(interfaceShown, 1);  // the updates page opens at once
    EXPECT_EQ(manager->state(), MoxSparkleState::checking());
    ASSERT_TRUE(finishes(*manager));
    EXPECT_TRUE(loopTurned);
    EXPECT_EQ(server.paths(), QStringList{"/tovra/appcast.xml"});
    EXPECT_EQ(manager->state(), MoxSparkleState::updateAvailable(QString("1.3")));
    EXPECT_EQ(manager->pendingUpdateVersion(), QString("1.3"));
    EXPECT_FALSE(manager->lastError().has_value());

    manager->installUpdate();
    ASSERT_EQ(opened.size(), 1U);
    EXPECT_EQ(opened[0], QUrl("https://moxworks.invalid/tovra/1.3"));
    EXPECT_FALSE(manager->pendingUpdateVersion().has_value());
}

TEST_F(MoxSparkleManagerTest, AUserCheckReportsUpToDateAndEachKindOfFailure) {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const QUrl dead(QStringLiteral("https://127.0.0.1:%1/").arg(probe.serverPort()));
    probe.close();
    const QUrl plain(QStringLiteral("http://127.0.0.1:%1/").arg(server.baseURL().port()));
    struct Case {
        QUrl feed;
        LoopbackFeedServer::Response response;
        QString description;  // empty: up to date
        int requests;
    };
    const std::vector<Case> cases{
        {server.baseURL(), {200, feedWith("120", "1.2"), 0}, {}, 1},
        {server.baseURL(),
         {200, QByteArray("<rss><channel><item>"), 0},
         "Update check failed: the update feed is not valid XML (line 1: ",
         1},
        {server.baseURL(),
         {404, QByteArray("gone"), 0},
         "Update check failed: the update server answered 404 Not Found",
         1},
        {dead, {}, "Update check failed: ", 0},
        {plain, {}, "Update check failed: the update feed must be an https address", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.feed.toString().toStdString());
        server.serve("/tovra/appcast.xml", c.response);
        const int requests = server.requestCount();
        auto manager = makeManager(c.feed);
        manager->start();
        manager->checkForUpdates();
        ASSERT_TRUE(finishes(*manager));
        EXPECT_EQ(server.requestCount(), requests + c.requests);
        if (c.description.isEmpty()) {
            EXPECT_EQ(manager->state(), MoxSparkleState::noUpdateAvailable());
            EXPECT_FALSE(manager->lastError().has_value());
            continue;
        }
        ASSERT_EQ(manager->state().kind, MoxSparkleState::Kind::failed);
        EXPECT_TRUE(manager->state().error->errorDescription().startsWith(c.description))
            << manager->state().error->errorDescription().toStdString();
        EXPECT_GT(manager->state().error->message.size(), 0);
        EXPECT_EQ(manager->lastError(), manager->state().error);
        manager->resetError();
        EXPECT_EQ(manager->state(), MoxSparkleState::idle());
        EXPECT_FALSE(manager->lastError().has_value());
    }
}

TEST_F(MoxSparkleManagerTest, OneCheckNotifiesOnceWhenItStartsAndOnceWhenItEnds) {
    server.serve("/tovra/appcast.xml", {200, feedWith("130", "1.3"), 100});
    auto manager = makeManager(server.baseURL());
    manager->start();
    int changes = 0;
    int warnings = 0;
    QObject::connect(manager.get(), &MoxSparkleManager::changed, [&] { ++changes; });
    QObject::connect(manager.get(), &MoxSparkleManager::willChange, [&] { ++warnings; });
    manager->checkForUpdates();
    ASSERT_TRUE(finishes(*manager));
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(warnings, 2);
    manager->resetError();  // nothing to reset: no notification
    EXPECT_EQ(changes, 2);
}

TEST_F(MoxSparkleManagerTest, AFoundUpdateStaysOfferedWhenALaterCheckFails) {
    server.serve("/tovra/appcast.xml", {200, feedWith("130", "1.3"), 0});
    auto manager = makeManager(server.baseURL());
    manager->start();
    manager->checkForUpdates();
    ASSERT_TRUE(finishes(*manager));
    ASSERT_EQ(manager->state(), MoxSparkleState::updateAvailable(QString("1.3")));
    server.serve("/tovra/appcast.xml", {503, QByteArray("busy"), 0});
    manager->checkForUpdates();  // the menu's Install checks again
    ASSERT_TRUE(finishes(*manager));
    EXPECT_EQ(manager->state(), MoxSparkleState::updateAvailable(QString("1.3")));
    EXPECT_TRUE(manager->lastError().has_value());
    manager->installUpdate();
    EXPECT_EQ(opened, std::vector<QUrl>{QUrl("https://moxworks.invalid/tovra/1.3")});
    // A check that says it is gone withdraws it.
    server.serve("/tovra/appcast.xml", {200, feedWith("120", "1.2"), 0});
    manager->checkForUpdates();
    ASSERT_TRUE(finishes(*manager));
    EXPECT_EQ(manager->state(), MoxSparkleState::noUpdateAvailable());
    EXPECT_FALSE(manager->hasUpdateToInstall());
}

TEST_F(MoxSparkleManagerTest, ASlowOrBrokenAnswerEndsTheCheckWithANetworkError) {
    auto manager = makeManager(server.baseURL());
    manager->start();
    manager->bridge().updaterController()->setCheckDeadline(400);
    // A server that drips a byte now and then never trips the inactivity timeout.
    server.serve("/tovra/appcast.xml", {200, feedWith("130", "1.3"), 0, 50});
    manager->checkForUpdates();
    ASSERT_TRUE(finishes(*manager));
    ASSERT_EQ(manager->state().kind, MoxSparkleState::Kind::failed);
    EXPECT_EQ(manager->state().error->errorDescription(),
              "Update check failed: the update server took longer than 0.4 seconds");

    // Reset after "200 OK" and part of the body: a network error, not the server's answer.
    server.serve("/tovra/appcast.xml", {200, feedWith("130", "1.3"), 0, 0, 40});
    manager->checkForUpdates();
    ASSERT_TRUE(finishes(*manager));
    ASSERT_EQ(manager->state().kind, MoxSparkleState::Kind::failed);
    const QString description = manager->state().error->errorDescription();
    EXPECT_FALSE(description.contains("answered")) << description.toStdString();
    EXPECT_FALSE(description.contains("200")) << description.toStdString();
}

TEST_F(MoxSparkleManagerTest, AServersReasonIsShownShortAndPlain) {
    auto manager = makeManager(server.baseURL());
    manager->start();
    LoopbackFeedServer::Response answer{500, QByteArray("no"), 0};
    answer.reason = "Broken\t" + QByteArray(4000, 'r') + "\xE2\x80\xAE";
    server.serve("/tovra/appcast.xml", answer);
    manager->checkForUpdates();
    ASSERT_TRUE(finishes(*manager));
    ASSERT_EQ(manager->state().kind, MoxSparkleState::Kind::failed);
    const QString description = manager->state().error->errorDescription();
    EXPECT_TRUE(
        description.startsWith("Update check failed: the update server answered 500 "
                               "Broken rrr"))
        << description.toStdString();
    EXPECT_LT(description.size(), 140);
    EXPECT_FALSE(description.contains(QChar(0x202E)));
}

// What Qt refuses by default, pinned: a certificate nobody vouches for, and a redirect from
// https to plain http.
TEST_F(MoxSparkleManagerTest, AnUntrustedServerAndARedirectToHttpAreRefused) {
    LoopbackFeedServer untrusted(QStringLiteral("untrusted"));
    untrusted.serve("/tovra/appcast.xml", {200, feedWith("130", "1.3"), 0});
    auto manager = makeManager(untrusted.baseURL());
    manager->start();
    manager->checkForUpdates();
    ASSERT_TRUE(finishes(*manager));
    EXPECT_EQ(manager->state().kind, MoxSparkleState::Kind::failed);
    EXPECT_EQ(untrusted.paths().size(), 0);  // no request went over that connection

    QTcpServer plain;
    ASSERT_TRUE(plain.listen(QHostAddress::LocalHost, 0));
    LoopbackFeedServer::Response redirect{301, QByteArray(), 0};
    redirect.headers = "Location: http://127.0.0.1:" + QByteArray::number(plain.serverPort()) +
                       "/tovra/appcast.xml\r\n";
    server.serve("/tovra/appcast.xml", redirect);
    auto redirected = makeManager(server.baseURL());
    redirected->start();
    redirected->checkForUpdates();
    ASSERT_TRUE(finishes(*redirected));
    EXPECT_EQ(redirected->state().kind, MoxSparkleState::Kind::failed);
    EXPECT_FALSE(plain.hasPendingConnections());
    EXPECT_EQ(server.requestCount(), 1);
}

TEST_F(MoxSparkleManagerTest, AScheduledFindOnlyRemindsATrayApplication) {
    server.serve("/tovra/appcast.xml", {200, feedWith("130", "1.3"), 0});
    lastCheck = now();
    auto manager = makeManager(server.baseURL(), 0.3);
    manager->start();
    EXPECT_EQ(server.requestCount(), 0);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return manager->pendingUpdateVersion().has_value(); }, 10'000));
    EXPECT_EQ(manager->pendingUpdateVersion(), QString("1.3"));
    EXPECT_EQ(manager->state(), MoxSparkleState::updateAvailable(QString("1.3")));
    EXPECT_TRUE(manager->lastCheckDate().has_value());
    EXPECT_EQ(interfaceShown, 0);  // no window of its own

    // A quiet failure keeps the picture and remembers the error.
    server.serve("/tovra/appcast.xml", {500, QByteArray("down"), 0});
    const int before = server.requestCount();
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager->lastError().has_value(); }, 10'000));
    EXPECT_GT(server.requestCount(), before);
    EXPECT_EQ(manager->state(), MoxSparkleState::updateAvailable(QString("1.3")));
    EXPECT_EQ(manager->pendingUpdateVersion(), QString("1.3"));
}

TEST_F(MoxSparkleManagerTest, AScheduledFindShowsTheInterfaceOfARegularApplication) {
    server.serve("/tovra/appcast.xml", {200, feedWith("130", "1.3"), 0});
    auto manager = makeManager(server.baseURL(), 0.2);
    manager->setActivationPolicyProvider([] { return MoxActivationPolicy::regular; });
    manager->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return interfaceShown > 0; }, 10'000));
    EXPECT_EQ(manager->pendingUpdateVersion(), QString("1.3"));
}

}  // namespace
}  // namespace mox
