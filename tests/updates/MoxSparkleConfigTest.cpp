#include "updates/MoxSparkleConfig.h"

#include <gtest/gtest.h>

#include "updates/MoxSparkleDiagnostics.h"
#include "updates/SparkleDelegateProxy.h"

namespace mox {
namespace {

MoxSparkleError::Kind refusal(const QString& slug, const QString& name = QStringLiteral("Tovra")) {
    try {
        (void)MoxSparkleProductIdentity::make(slug, name);
    } catch (const MoxSparkleError& error) {
        return error.kind;
    }
    ADD_FAILURE() << "accepted " << slug.toStdString();
    return MoxSparkleError::Kind::unknown;
}

TEST(MoxSparkleSlug, AcceptsUpToEightyLowerCaseCharactersWithInnerHyphens) {
    EXPECT_TRUE(MoxSparkleProductIdentity::isSlugValid(QString(80, QLatin1Char('a'))));
    EXPECT_FALSE(MoxSparkleProductIdentity::isSlugValid(QString(81, QLatin1Char('a'))));
    EXPECT_FALSE(MoxSparkleProductIdentity::isSlugValid(QString()));
    EXPECT_TRUE(MoxSparkleProductIdentity::isSlugValid("a"));
    EXPECT_TRUE(MoxSparkleProductIdentity::isSlugValid("7"));
    EXPECT_TRUE(MoxSparkleProductIdentity::isSlugValid("clip-queue2"));
    for (const char* bad : {"-", "-tovra", "tovra-", "To", "to_vra", "to vra", "tövra"}) {
        EXPECT_FALSE(MoxSparkleProductIdentity::isSlugValid(bad)) << bad;
    }
}

TEST(MoxSparkleSlug, IsStoredTrimmedAndLowerCasedAndPathsAreRefused) {
    EXPECT_EQ(MoxSparkleProductIdentity::make("  ToVRA\n", " Tovra ").slug, "tovra");
    EXPECT_EQ(MoxSparkleProductIdentity::make("tovra", " Tovra \t").displayName, "Tovra");
    for (const char* bad : {"../etc", "a/b", "a\\b", "a..b"}) {
        EXPECT_EQ(refusal(bad), MoxSparkleError::Kind::invalidProductSlug) << bad;
    }
    EXPECT_EQ(refusal("tovra", "   "), MoxSparkleError::Kind::invalidProductDisplayName);
    // The slug is judged before the name.
    EXPECT_EQ(refusal("-", "   "), MoxSparkleError::Kind::invalidProductSlug);
}

TEST(MoxSparkleAppcast, FeedIsBaseThenSlugThenAppcastWhateverTheSlashOrChannel) {
    const QUrl withSlash =
        MoxSparkleAppcast::make(QUrl("https://dl.moxworks.invalid/updates/"), "Tovra", "stable")
            .feedURL();
    const QUrl without =
        MoxSparkleAppcast::make(QUrl("https://dl.moxworks.invalid/updates"), "tovra", "beta")
            .feedURL();
    EXPECT_EQ(withSlash, QUrl("https://dl.moxworks.invalid/updates/tovra/appcast.xml"));
    EXPECT_EQ(withSlash, without);
    EXPECT_EQ(MoxSparkleAppcast::make(QUrl("https://dl.moxworks.invalid?x=1"), "tovra", "stable")
                  .feedURL()
                  .toString(),
              "https://dl.moxworks.invalid/tovra/appcast.xml");
}

TEST(MoxSparkleConfig, BuildsIdentityThenFeedAndComparesWithoutTheLogger) {
    const auto make = [](bool prerelease, std::shared_ptr<MoxSparkleLogger> logger) {
        return MoxSparkleConfig::make("tovra", "Tovra", QUrl("https://dl.moxworks.invalid"),
                                      "stable", true, false, 86400, false, prerelease,
                                      std::move(logger));
    };
    const MoxSparkleConfig config = make(false, nullptr);
    EXPECT_EQ(config.appcastURL, QUrl("https://dl.moxworks.invalid/tovra/appcast.xml"));
    EXPECT_EQ(config, make(false, std::make_shared<MoxSparkleLogger>()));
    EXPECT_NE(config, make(true, nullptr));

    SparkleDelegateProxy stableOnly(config);
    EXPECT_TRUE(stableOnly.allowedChannelsForUpdater().isEmpty());
    EXPECT_EQ(stableOnly.feedURLStringForUpdater(),
              "https://dl.moxworks.invalid/tovra/appcast.xml");
    SparkleDelegateProxy prerelease(make(true, nullptr));
    EXPECT_EQ(prerelease.allowedChannelsForUpdater(),
              (QSet<QString>{"stable", "beta", "prerelease"}));
}

TEST(MoxSparkleDiagnostics, ReadsTextKeysOnlyAndComparesTheFeed) {
    const MoxSparkleConfig config =
        MoxSparkleConfig::make("tovra", "Tovra", QUrl("https://dl.moxworks.invalid"), "stable",
                               true, false, 86400, false, false);
    MoxBundle bundle({{"CFBundleShortVersionString", "1.4"},
                      {"CFBundleVersion", 14},
                      {"SUFeedURL", "https://dl.moxworks.invalid/tovra/appcast.xml"},
                      {"SUPublicEDKey", " \n\t"}});
    MoxSparkleDiagnostics d = MoxSparkleDiagnostics::make(bundle, config);
    EXPECT_EQ(d.bundleVersion, QString("1.4"));
    EXPECT_FALSE(d.buildNumber.has_value());  // a number, not a text
    EXPECT_TRUE(d.hasFeedURL);
    EXPECT_TRUE(d.feedMatchesExpected());
    EXPECT_FALSE(d.hasPublicKey);

    bundle.setInfo({{"SUFeedURL", "https://elsewhere.invalid/feed.xml"}, {"SUPublicEDKey", "k"}});
    d = MoxSparkleDiagnostics::make(bundle, config);
    EXPECT_FALSE(d.feedMatchesExpected());
    EXPECT_TRUE(d.hasPublicKey);
    EXPECT_FALSE(d.bundleVersion.has_value());
}

}  // namespace
}  // namespace mox
