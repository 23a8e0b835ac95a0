#include "frame/MoxAppIdentity.h"

#include <gtest/gtest.h>

#include <QUrlQuery>

#include "frame/MoxAppIdentityValidator.h"

namespace mox {
namespace {

using Kind = MoxAppKitError::Kind;

MoxAppKitError slugFailure(const QString& slug) {
    try {
        MoxAppIdentityValidator::validatedSlug(slug);
    } catch (const MoxAppKitError& error) {
        return error;
    }
    return MoxAppKitError(Kind::invalidURL, "none", "no error");
}

MoxAppLinks links(QUrl website, std::optional<QString> email = std::nullopt) {
    return MoxAppLinks(std::move(website), QUrl("https://example.invalid/support"), std::nullopt,
                       std::nullopt, std::nullopt, std::nullopt, std::move(email));
}

TEST(MoxAppIdentityValidator, SlugsAreTrimmedAndLowerCasedAndUnsafeOnesRefused) {
    EXPECT_EQ(MoxAppIdentityValidator::validatedSlug(QString(80, 'a')), QString(80, 'a'));
    EXPECT_EQ(MoxAppIdentityValidator::validatedSlug("  Tovra.App_2 "), "tovra.app_2");
    for (const QString& bad :
         {QString(81, 'a'), QString("a/b"), QString("a\\b"), QString("a..b"), QString("a b"),
          QString("a?b"), QString("a#b"), QString("-a"), QString("a-"), QString("a+b")}) {
        EXPECT_EQ(slugFailure(bad).kind, Kind::invalidProductSlug) << bad.toStdString();
    }
    EXPECT_EQ(slugFailure("  ").kind, Kind::emptyProductSlug);
}

TEST(MoxAppIdentityValidator, LinksNeedHttpsAndNameTheirField) {
    EXPECT_NO_THROW(links(QUrl("HTTPS://example.invalid")));
    try {
        links(QUrl("http://example.invalid"));
        FAIL();
    } catch (const MoxAppKitError& error) {
        EXPECT_EQ(error, MoxAppKitError(Kind::invalidURL, "websiteURL", "must use https"));
    }
    MoxAppIdentityValidator::allowsInsecureHTTP = true;
    EXPECT_NO_THROW(links(QUrl("http://example.invalid")));
    MoxAppIdentityValidator::allowsInsecureHTTP = false;
    try {
        MoxAppLinks(QUrl("https://a.invalid"), QUrl("https://a.invalid"), QUrl("example/docs"),
                    std::nullopt, std::nullopt, std::nullopt, std::nullopt);
        FAIL();
    } catch (const MoxAppKitError& error) {
        EXPECT_EQ(error, MoxAppKitError(Kind::invalidURL, "documentationURL", "missing scheme"));
    }
}

TEST(MoxAppIdentityValidator, ContactAddressesMustLookLikeMail) {
    for (const QString& bad :
         {QString("   "), QString("a@b@c.invalid"), QString("a@localhost"),
          QString(250, 'a') + "@b.io", QString("a b@c.invalid"),
          QString("a") + QChar(1) + "@b.invalid", QString("a@b") + QChar(0) + ".invalid",
          // A noncharacter comes back from a mail link as U+FFFD, which stands for broken bytes.
          QString("a") + QString::fromUcs4(U"\U0007FFFF") + "@b.invalid",
          QString("a\uFFFD@b.invalid")}) {
        EXPECT_THROW(links(QUrl("https://a.invalid"), bad), MoxAppKitError) << bad.toStdString();
    }
    EXPECT_EQ(links(QUrl("https://a.invalid"), " help@a.invalid ").contactEmail, "help@a.invalid");
}

TEST(MoxAppLinks, MailLinksCarryAPercentEncodedSubjectAndBody) {
    const MoxAppLinks none = links(QUrl("https://a.invalid"));
    EXPECT_EQ(none.contactMailURL(), std::nullopt);
    EXPECT_EQ(none.mailURL("s", "b"), std::nullopt);
    const MoxAppLinks mail = links(QUrl("https://a.invalid"), "help@a.invalid");
    EXPECT_EQ(mail.contactMailURL()->toString(), "mailto:help@a.invalid");
    EXPECT_EQ(mail.mailURL("Bugs & ideas", "line 1\nZ\u00E9_~")->toString(QUrl::FullyEncoded),
              "mailto:help@a.invalid?subject=Bugs%20%26%20ideas&body=line%201%0AZ%C3%A9_~");
}

TEST(MoxAppLinks, AnAddressCannotAddAQueryOfItsOwn) {
    // Valid as an address; as a bare mailto path its "?" and "&" would add recipients.
    const MoxAppLinks mail = links(QUrl("https://a.invalid"), "help?cc=x&bcc=y#z@a.invalid");
    for (const QUrl& url : {*mail.contactMailURL(), *mail.mailURL("s", "b")}) {
        EXPECT_EQ(url.path(QUrl::FullyDecoded), "help?cc=x&bcc=y#z@a.invalid");
        EXPECT_FALSE(url.hasFragment());
    }
    EXPECT_FALSE(mail.contactMailURL()->hasQuery());
    EXPECT_EQ(QUrlQuery(*mail.mailURL("s", "b")).queryItems().size(), 2);
}

TEST(MoxAppIdentity, RefusesEmptyNames) {
    try {
        MoxAppIdentity("tovra", " ", "id", links(QUrl("https://a.invalid")), {});
        FAIL();
    } catch (const MoxAppKitError& error) {
        EXPECT_EQ(error.kind, Kind::emptyProductDisplayName);
    }
    EXPECT_THROW(MoxAppIdentity("tovra", "Tovra", "\n", links(QUrl("https://a.invalid")), {}),
                 MoxAppKitError);
}

}  // namespace
}  // namespace mox
