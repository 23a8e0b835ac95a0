#include "updates/MoxAppcast.h"

#include <gtest/gtest.h>

#include "updates/MoxVersion.h"

namespace mox {
namespace {

TEST(MoxVersion, ComparesSegmentsAsNumbers) {
    EXPECT_LT(MoxVersion::compare(u"1.9", u"1.10"), 0);
    EXPECT_GT(MoxVersion::compare(u"2.0", u"1.99.99"), 0);
    EXPECT_EQ(MoxVersion::compare(u"1.2", u"1.2.0"), 0);
    EXPECT_EQ(MoxVersion::compare(u"01.002", u"1.2"), 0);
    EXPECT_LT(MoxVersion::compare(u"1.2b1", u"1.2"), 0);
    EXPECT_LT(MoxVersion::compare(u"1.2b1", u"1.2b2"), 0);
    EXPECT_GT(MoxVersion::compare(u"12345678901234567890", u"9"), 0);
    EXPECT_EQ(MoxVersion::compare(u"42", u"42"), 0);
}

TEST(MoxVersion, OrdersPreReleasesByTheirNumbers) {
    EXPECT_LT(MoxVersion::compare(u"1.2b9", u"1.2b10"), 0);
    EXPECT_GT(MoxVersion::compare(u"1.2b10", u"1.2b9"), 0);
    EXPECT_LT(MoxVersion::compare(u"1.2b10", u"1.2rc1"), 0);
    EXPECT_LT(MoxVersion::compare(u"1.2rc2", u"1.2rc10"), 0);
    EXPECT_LT(MoxVersion::compare(u"1.2rc10", u"1.2"), 0);
    EXPECT_LT(MoxVersion::compare(u"1.2a3", u"1.2b1"), 0);
    EXPECT_EQ(MoxVersion::compare(u"1.2b09", u"1.2b9"), 0);
    EXPECT_EQ(MoxVersion::compare(u"1.2RC1", u"1.2rc1"), 0);
    EXPECT_LT(MoxVersion::compare(u"1.2.0-beta.3", u"1.2.0"), 0);
    EXPECT_GT(MoxVersion::compare(u"1.3b1", u"1.2"), 0);
    // Full-width digits are not numbers: they never outrank a real version.
    EXPECT_LT(MoxVersion::compare(u"\uFF19.0", u"1.0"), 0);
}

TEST(MoxAppcast, ShowsOnlyWhatLooksLikeAVersionAndPlainShortTitles) {
    const QString hostile = QString(5000, QLatin1Char('9')) + QStringLiteral("\u202E\n\tCtrl+Q");
    const QByteArray xml =
        QStringLiteral(R"(<rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
<channel>
<item><title>Tovra&#x202E; 3.0&#9;Ctrl+Q
second line %1</title><sparkle:version>300</sparkle:version>
<sparkle:shortVersionString>%2</sparkle:shortVersionString>
<link>https://moxworks.invalid/tovra/3.0</link></item>
<item><title>Full width</title><sparkle:version>\uFF19\uFF19\uFF19</sparkle:version>
<link>https://moxworks.invalid/tovra/w</link></item>
</channel></rss>)")
            .arg(QString(500, QLatin1Char('x')), hostile)
            .toUtf8();
    QString error;
    const MoxAppcast parsed = MoxAppcast::parse(xml, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(parsed.items.size(), 1U);  // the full-width version is no version
    const MoxAppcastItem& item = parsed.items.front();
    EXPECT_FALSE(item.shortVersionString.has_value());
    EXPECT_EQ(item.displayVersionString(), "300");
    EXPECT_TRUE(item.title.startsWith("Tovra 3.0 Ctrl+Q second line xxx"))
        << item.title.toStdString();
    EXPECT_LE(item.title.size(), 121);
    for (const QChar c : item.title) {
        EXPECT_FALSE(c.category() == QChar::Other_Control || c.category() == QChar::Other_Format);
    }
    EXPECT_TRUE(MoxAppcast::looksLikeVersion(u"1.2.0-beta.3+build~1"));
    EXPECT_FALSE(MoxAppcast::looksLikeVersion(u"1.2 beta"));
}

const char* const feed = R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
  <channel>
    <title>Tovra</title>
    <item>
      <title>Tovra 1.9</title>
      <sparkle:version>190</sparkle:version>
      <sparkle:shortVersionString>1.9</sparkle:shortVersionString>
      <link>https://moxworks.invalid/tovra/1.9</link>
    </item>
    <item>
      <title>Tovra 1.10</title>
      <enclosure url="https://dl.moxworks.invalid/tovra-1.10.tar.gz" sparkle:version="1100"
                 sparkle:shortVersionString="1.10" length="1" type="application/gzip"/>
    </item>
    <item>
      <title>Tovra 2.0 beta</title>
      <sparkle:version>2000</sparkle:version>
      <sparkle:channel>beta</sparkle:channel>
      <link>https://moxworks.invalid/tovra/2.0b</link>
    </item>
    <item><title>No version</title><link>https://moxworks.invalid/x</link></item>
    <item><title>Nowhere to get it</title><sparkle:version>9999</sparkle:version></item>
  </channel>
</rss>)";

TEST(MoxAppcast, ReadsVersionsChannelsAndWhereToDownload) {
    QString error;
    const MoxAppcast appcast = MoxAppcast::parse(feed, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(appcast.items.size(), 3U);
    EXPECT_EQ(appcast.items[0].displayVersionString(), "1.9");
    EXPECT_EQ(appcast.items[0].downloadURL, QUrl("https://moxworks.invalid/tovra/1.9"));
    EXPECT_EQ(appcast.items[1].version, "1100");
    EXPECT_EQ(appcast.items[1].displayVersionString(), "1.10");
    EXPECT_EQ(appcast.items[1].downloadURL, QUrl("https://dl.moxworks.invalid/tovra-1.10.tar.gz"));
    EXPECT_EQ(appcast.items[2].channel, QString("beta"));
    EXPECT_EQ(appcast.items[2].displayVersionString(), "2000");
}

TEST(MoxAppcast, OffersTheNewestItemOfTheAllowedChannelsOnly) {
    QString error;
    const MoxAppcast appcast = MoxAppcast::parse(feed, &error);
    EXPECT_EQ(appcast.bestUpdate({}, "100")->displayVersionString(), "1.10");
    EXPECT_EQ(appcast.bestUpdate({"beta"}, "100")->version, "2000");
    EXPECT_FALSE(appcast.bestUpdate({}, "1100").has_value());
    EXPECT_FALSE(appcast.bestUpdate({}, "5000").has_value());
}

TEST(MoxAppcast, OffersOnlyDownloadPagesOverHttps) {
    const auto itemWith = [](const QString& link) {
        return QStringLiteral(
                   R"(<rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
<channel><item><sparkle:version>900</sparkle:version><link>%1</link></item></channel></rss>)")
            .arg(link.toHtmlEscaped())
            .toUtf8();
    };
    for (const QString& refused :
         {QStringLiteral("http://moxworks.invalid/tovra/9"), QStringLiteral("file:///etc/passwd"),
          QStringLiteral("javascript:alert(1)"), QStringLiteral("data:text/html,<b>9</b>"),
          QStringLiteral("ftp://moxworks.invalid/tovra-9.tar.gz"),
          QStringLiteral("https:///nohost"), QStringLiteral("moxworks.invalid/tovra/9")}) {
        QString error;
        const MoxAppcast appcast = MoxAppcast::parse(itemWith(refused), &error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        EXPECT_TRUE(appcast.items.empty()) << refused.toStdString();
        EXPECT_FALSE(appcast.bestUpdate({}, "100").has_value()) << refused.toStdString();
    }
    QString error;
    const MoxAppcast https =
        MoxAppcast::parse(itemWith("HTTPS://moxworks.invalid/tovra/9"), &error);
    ASSERT_EQ(https.items.size(), 1U);
    EXPECT_EQ(https.items[0].downloadURL.host(), "moxworks.invalid");
}

TEST(MoxAppcast, ExplainsWhyAFeedCannotBeRead) {
    QString error;
    EXPECT_TRUE(MoxAppcast::parse("<rss><channel><item>", &error).items.empty());
    EXPECT_TRUE(error.startsWith("the update feed is not valid XML (line 1"))
        << error.toStdString();
    EXPECT_TRUE(MoxAppcast::parse("<html><body>Not here</body></html>", &error).items.empty());
    EXPECT_EQ(error, "the update feed has no channel");
    EXPECT_TRUE(MoxAppcast::parse("<rss><channel/></rss>", &error).items.empty());
    EXPECT_TRUE(error.isEmpty());
}

}  // namespace
}  // namespace mox
