#include "MoxAppcast.h"

#include <QXmlStreamReader>

#include "MoxVersion.h"

namespace mox {

namespace {

const QString sparkleNamespace =
    QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");

bool isSparkle(const QXmlStreamReader& reader, QStringView name) {
    return reader.name() == name &&
           (reader.namespaceUri() == sparkleNamespace ||
            reader.qualifiedName() == QStringLiteral("sparkle:") + name.toString());
}

/// A null text when absent.
QString sparkleAttribute(const QXmlStreamAttributes& attributes, const QString& name) {
    if (attributes.hasAttribute(sparkleNamespace, name)) {
        return attributes.value(sparkleNamespace, name).toString();
    }
    if (attributes.hasAttribute(QStringLiteral("sparkle:") + name)) {
        return attributes.value(QStringLiteral("sparkle:") + name).toString();
    }
    return {};
}

/// Only https: with no signature to check here, TLS is all that vouches for where "Install"
/// takes the user.
QUrl webURL(const QString& text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    return url.isValid() &&
                   url.scheme().compare(QStringLiteral("https"), Qt::CaseInsensitive) == 0 &&
                   !url.host().isEmpty()
               ? url
               : QUrl();
}

constexpr qsizetype longestVersion = 32;
constexpr qsizetype longestTitle = 120;

}  // namespace

bool MoxAppcast::looksLikeVersion(QStringView text) {
    if (text.isEmpty() || text.size() > longestVersion) {
        return false;
    }
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool plain = (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') ||
                           (u >= 'A' && u <= 'Z') || u == '.' || u == '-' || u == '+' || u == '~' ||
                           u == '_';
        if (!plain) {
            return false;
        }
    }
    return true;
}

QString MoxAppcast::plainLine(QStringView text, qsizetype limit) {
    QString line;
    qsizetype count = 0;
    for (const char32_t point : text.toUcs4()) {
        if (count >= limit) {
            line.append(QChar(0x2026));  // …
            break;
        }
        const QChar::Category category = QChar::category(point);
        if (QChar::isSpace(point)) {
            if (!line.isEmpty() && !line.endsWith(QLatin1Char(' '))) {
                line.append(QLatin1Char(' '));
                ++count;
            }
        } else if (category != QChar::Other_Control && category != QChar::Other_Format &&
                   category != QChar::Other_NotAssigned && category != QChar::Other_PrivateUse &&
                   category != QChar::Other_Surrogate) {
            line.append(QString::fromUcs4(&point, 1));
            ++count;
        }
    }
    return line.trimmed();
}

MoxAppcast MoxAppcast::parse(const QByteArray& xml, QString* error) {
    MoxAppcast feed;
    QXmlStreamReader reader(xml);
    bool sawChannel = false;
    std::optional<MoxAppcastItem> item;
    QUrl link;
    QUrl enclosure;
    QString enclosureVersion;
    QString enclosureShortVersion;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            if (reader.name() == QStringLiteral("channel") && reader.namespaceUri().isEmpty()) {
                sawChannel = true;
            } else if (reader.name() == QStringLiteral("item") && reader.namespaceUri().isEmpty()) {
                item = MoxAppcastItem{};
                link = enclosure = QUrl();
                enclosureVersion = enclosureShortVersion = QString();
            } else if (item) {
                if (reader.name() == QStringLiteral("title") && reader.namespaceUri().isEmpty()) {
                    item->title = reader.readElementText().trimmed();
                } else if (reader.name() == QStringLiteral("link") &&
                           reader.namespaceUri().isEmpty()) {
                    link = webURL(reader.readElementText());
                } else if (isSparkle(reader, u"version")) {
                    item->version = reader.readElementText().trimmed();
                } else if (isSparkle(reader, u"shortVersionString")) {
                    item->shortVersionString = reader.readElementText().trimmed();
                } else if (isSparkle(reader, u"channel")) {
                    item->channel = reader.readElementText().trimmed();
                } else if (reader.name() == QStringLiteral("enclosure")) {
                    const QXmlStreamAttributes attributes = reader.attributes();
                    enclosure = webURL(attributes.value(QStringLiteral("url")).toString());
                    enclosureVersion = sparkleAttribute(attributes, QStringLiteral("version"));
                    enclosureShortVersion =
                        sparkleAttribute(attributes, QStringLiteral("shortVersionString"));
                }
            }
        } else if (reader.isEndElement() && reader.name() == QStringLiteral("item") && item) {
            if (item->version.isEmpty()) {
                item->version = enclosureVersion.trimmed();
            }
            if (!item->shortVersionString && !enclosureShortVersion.isNull()) {
                item->shortVersionString = enclosureShortVersion.trimmed();
            }
            if (item->shortVersionString && !looksLikeVersion(*item->shortVersionString)) {
                item->shortVersionString.reset();
            }
            item->title = plainLine(item->title, longestTitle);
            item->downloadURL = link.isEmpty() ? enclosure : link;
            if (looksLikeVersion(item->version) && !item->downloadURL.isEmpty()) {
                feed.items.push_back(std::move(*item));
            }
            item.reset();
        }
    }
    if (reader.hasError()) {
        *error = QStringLiteral("the update feed is not valid XML (line %1: %2)")
                     .arg(reader.lineNumber())
                     .arg(reader.errorString());
        return {};
    }
    if (!sawChannel) {
        *error = QStringLiteral("the update feed has no channel");
        return {};
    }
    error->clear();
    return feed;
}

std::optional<MoxAppcastItem> MoxAppcast::bestUpdate(const QSet<QString>& allowedChannels,
                                                     const QString& currentVersion) const {
    std::optional<MoxAppcastItem> best;
    for (const MoxAppcastItem& candidate : items) {
        if (candidate.channel && !candidate.channel->isEmpty() &&
            !allowedChannels.contains(*candidate.channel)) {
            continue;
        }
        if (MoxVersion::compare(candidate.version, currentVersion) <= 0) {
            continue;
        }
        if (!best || MoxVersion::compare(candidate.version, best->version) > 0) {
            best = candidate;
        }
    }
    return best;
}

}  // namespace mox
