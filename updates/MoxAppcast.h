#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QUrl>
#include <optional>
#include <vector>

namespace mox {

/// One release in an update feed.
struct MoxAppcastItem {
    QString title;
    QString version;  // sparkle:version, compared with the application's build
    std::optional<QString> shortVersionString;
    std::optional<QString> channel;
    QUrl downloadURL;  // the item's page, else its enclosure

    /// What the user is shown: the short version when there is one.
    [[nodiscard]] QString displayVersionString() const {
        return shortVersionString && !shortVersionString->isEmpty() ? *shortVersionString : version;
    }
    friend bool operator==(const MoxAppcastItem&, const MoxAppcastItem&) = default;
};

/// An update feed (RSS with the sparkle namespace), read with QXmlStreamReader.
struct MoxAppcast {
    std::vector<MoxAppcastItem> items;

    /// The feed's items, or the reason it cannot be read. Items without a version that looks
    /// like one (short, ASCII letters, digits and ".-+~_") or without anywhere to download
    /// from are skipped; a short version string that does not look like one is dropped, and
    /// titles are cut and freed of control and direction marks.
    static MoxAppcast parse(const QByteArray& xml, QString* error);

    /// Whether `text` can be shown as a version: what the feed says is shown in the menu.
    static bool looksLikeVersion(QStringView text);
    /// `text` made safe to show on one line: controls, line breaks, tabs (a menu takes what
    /// follows a tab for a shortcut) and direction marks removed, cut to `limit` characters.
    static QString plainLine(QStringView text, qsizetype limit);

    /// The newest item newer than `currentVersion` among items without a channel and those of
    /// the allowed channels.
    [[nodiscard]] std::optional<MoxAppcastItem> bestUpdate(const QSet<QString>& allowedChannels,
                                                           const QString& currentVersion) const;
};

}  // namespace mox
