#pragma once

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QString>

namespace tovra::test {

/// The settings file a run of the binary starts with. An update check counts as done just now,
/// so no run ever reaches for the network.
inline bool seedConfiguration(const QString& configHome, bool firstRunCompleted) {
    QDir(configHome).mkpath(QStringLiteral("moxworks"));
    QFile file(QDir(configHome).filePath(QStringLiteral("moxworks/tovra.conf")));
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    QByteArray text = "[General]\nmoxworks.tovra.lastUpdateCheck=" +
                      QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toUtf8() + "\n";
    if (firstRunCompleted) {
        text += "moxworks.tovra.firstRunCompleted=true\n";
    }
    return file.write(text) == text.size();
}

}  // namespace tovra::test
