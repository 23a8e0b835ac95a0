#include "MoxSparkleConfig.h"

#include <QRegularExpression>

namespace mox {

bool MoxSparkleProductIdentity::isSlugValid(const QString& slug) {
    if (slug.isEmpty() || slug.size() > 80) {
        return false;
    }
    if (slug.contains(QStringLiteral("..")) || slug.contains(QLatin1Char('/')) ||
        slug.contains(QLatin1Char('\\'))) {
        return false;
    }
    static const QRegularExpression single(QStringLiteral("^[a-z0-9]$"));
    static const QRegularExpression longer(QStringLiteral("^[a-z0-9][a-z0-9-]*[a-z0-9]$"));
    return (slug.size() == 1 ? single : longer).match(slug).hasMatch();
}

QString MoxSparkleProductIdentity::normalizedSlug(const QString& slug) {
    QString normalized = slug.trimmed().toLower();
    if (!isSlugValid(normalized)) {
        throw MoxSparkleError(MoxSparkleError::Kind::invalidProductSlug);
    }
    return normalized;
}

MoxSparkleProductIdentity MoxSparkleProductIdentity::make(const QString& slug,
                                                          const QString& displayName) {
    QString normalized = normalizedSlug(slug);
    QString name = displayName.trimmed();
    if (name.isEmpty()) {
        throw MoxSparkleError(MoxSparkleError::Kind::invalidProductDisplayName);
    }
    return {std::move(normalized), std::move(name)};
}

MoxSparkleAppcast MoxSparkleAppcast::make(const QUrl& baseURL, const QString& productSlug,
                                          const QString& channel) {
    return {baseURL, MoxSparkleProductIdentity::normalizedSlug(productSlug), channel};
}

QUrl MoxSparkleAppcast::feedURL() const {
    QUrl url = baseURL;
    QString path = url.path();
    if (!path.endsWith(QLatin1Char('/'))) {
        path += QLatin1Char('/');
    }
    url.setPath(path + productSlug + QStringLiteral("/appcast.xml"));
    url.setQuery(QString());
    url.setFragment(QString());
    return url;
}

MoxSparkleConfig MoxSparkleConfig::make(const QString& productSlug,
                                        const QString& productDisplayName, const QUrl& baseURL,
                                        const QString& channel, bool automaticallyChecksForUpdates,
                                        bool automaticallyDownloadsUpdates, double checkInterval,
                                        bool sendsSystemProfile, bool allowsPrereleaseUpdates,
                                        std::shared_ptr<MoxSparkleLogger> logger) {
    MoxSparkleProductIdentity product =
        MoxSparkleProductIdentity::make(productSlug, productDisplayName);
    const MoxSparkleAppcast appcast = MoxSparkleAppcast::make(baseURL, productSlug, channel);
    return {std::move(product),
            appcast.feedURL(),
            automaticallyChecksForUpdates,
            automaticallyDownloadsUpdates,
            checkInterval,
            sendsSystemProfile,
            allowsPrereleaseUpdates,
            std::move(logger)};
}

}  // namespace mox
