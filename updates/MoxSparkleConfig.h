#pragma once

#include <QString>
#include <QUrl>
#include <memory>

#include "MoxSparkleError.h"

namespace mox {

/// A diagnostic sink; nothing here requires anything of it.
class MoxSparkleLogger {
  public:
    virtual ~MoxSparkleLogger() = default;
};

/// The product being updated: slug trimmed, lower-cased and valid; display name trimmed and
/// not empty. Building one throws MoxSparkleError.
struct MoxSparkleProductIdentity {
    QString slug;
    QString displayName;

    static MoxSparkleProductIdentity make(const QString& slug, const QString& displayName);
    /// Not empty, at most 80 characters, no "..", "/" or "\", lower-case letters, digits and
    /// inner hyphens. The tests run in that order.
    static bool isSlugValid(const QString& slug);
    /// Trimmed and lower-cased, or invalidProductSlug.
    static QString normalizedSlug(const QString& slug);

    friend bool operator==(const MoxSparkleProductIdentity&,
                           const MoxSparkleProductIdentity&) = default;
};

/// Where the feed lives: base, then the slug as a folder, then "appcast.xml".
struct MoxSparkleAppcast {
    QUrl baseURL;
    QString productSlug;
    QString channel;

    static MoxSparkleAppcast make(const QUrl& baseURL, const QString& productSlug,
                                  const QString& channel);
    /// Never carries the channel nor a query.
    [[nodiscard]] QUrl feedURL() const;

    friend bool operator==(const MoxSparkleAppcast&, const MoxSparkleAppcast&) = default;
};

struct MoxSparkleConfig {
    MoxSparkleProductIdentity product;
    QUrl appcastURL;
    bool automaticallyChecksForUpdates = true;
    bool automaticallyDownloadsUpdates = false;
    double checkInterval = 86400;  // seconds
    bool sendsSystemProfile = false;
    bool allowsPrereleaseUpdates = false;
    std::shared_ptr<MoxSparkleLogger> logger;

    /// Identity, then appcast; the first failure is thrown.
    static MoxSparkleConfig make(const QString& productSlug, const QString& productDisplayName,
                                 const QUrl& baseURL, const QString& channel,
                                 bool automaticallyChecksForUpdates,
                                 bool automaticallyDownloadsUpdates, double checkInterval,
                                 bool sendsSystemProfile, bool allowsPrereleaseUpdates,
                                 std::shared_ptr<MoxSparkleLogger> logger = nullptr);

    /// Equal when everything but the logger is.
    friend bool operator==(const MoxSparkleConfig& a, const MoxSparkleConfig& b) {
        return a.product == b.product && a.appcastURL == b.appcastURL &&
               a.automaticallyChecksForUpdates == b.automaticallyChecksForUpdates &&
               a.automaticallyDownloadsUpdates == b.automaticallyDownloadsUpdates &&
               a.checkInterval == b.checkInterval && a.sendsSystemProfile == b.sendsSystemProfile &&
               a.allowsPrereleaseUpdates == b.allowsPrereleaseUpdates;
    }
};

}  // namespace mox
