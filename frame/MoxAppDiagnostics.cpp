#include "MoxAppDiagnostics.h"

#include <QStringList>
#include <QSysInfo>
#include <QVersionNumber>

namespace mox {

namespace {

QStringList lines(const MoxAppDiagnostics& d, QString (*value)(const QString&)) {
    QStringList result{QStringLiteral("App: ") + value(d.productDisplayName),
                       QStringLiteral("Product Slug: ") + value(d.productSlug),
                       QStringLiteral("Bundle ID: ") + value(d.bundleIdentifier)};
    if (d.appVersion) {
        result << QStringLiteral("Version: ") + value(*d.appVersion);
    }
    if (d.buildNumber) {
        result << QStringLiteral("Build: ") + value(*d.buildNumber);
    }
    result << d.systemName + QStringLiteral(": ") + value(d.systemVersion);
    if (d.distribution && !d.distribution->isEmpty()) {
        result << QStringLiteral("Distribution: ") + value(*d.distribution);
    }
    if (d.session && !d.session->isEmpty()) {
        result << QStringLiteral("Session: ") + value(*d.session);
    }
    result << QStringLiteral("Architecture: ") + value(d.architecture);
    if (d.updateSummary && !d.updateSummary->isEmpty()) {
        result << QStringLiteral("Updates: ") + value(*d.updateSummary);
    }
    if (d.appcastURL) {
        result << QStringLiteral("Appcast: ") + value(d.appcastURL->toString(QUrl::FullyEncoded));
    }
    return result;
}

QString asIs(const QString& text) {
    return text;
}

QString buildArchitecture() {
    const QString arch = QSysInfo::buildCpuArchitecture();
    return arch == QStringLiteral("x86_64") || arch == QStringLiteral("amd64")
               ? QStringLiteral("x86_64")
               : arch;
}

std::optional<QString> sessionDescription() {
    QStringList parts;
    for (const char* name : {"XDG_SESSION_TYPE", "XDG_CURRENT_DESKTOP"}) {
        const QString part = qEnvironmentVariable(name).trimmed();
        if (!part.isEmpty()) {
            parts << part;
        }
    }
    return parts.isEmpty() ? std::nullopt
                           : std::optional<QString>(parts.join(QStringLiteral(", ")));
}

}  // namespace

QString MoxAppDiagnostics::singleLine(const QString& text) {
    QString flat = text;
    for (QChar& c : flat) {
        const char16_t u = c.unicode();
        if (u == 0 || u == 0x0A || u == 0x0B || u == 0x0C || u == 0x0D || u == 0x85) {
            c = QLatin1Char(' ');
        }
    }
    return flat;
}

QString MoxAppDiagnostics::formattedText() const {
    return lines(*this, asIs).join('\n');
}

QString MoxAppDiagnostics::supportMailBody() const {
    QStringList body = lines(*this, MoxAppDiagnostics::singleLine);
    body << QString() << QStringLiteral("What happened:") << QString();
    return body.join('\n');
}

QString MoxDiagnosticInfoBuilder::versionTriple(const QString& release) {
    const QVersionNumber version = QVersionNumber::fromString(release);
    return QStringLiteral("%1.%2.%3")
        .arg(version.majorVersion())
        .arg(version.minorVersion())
        .arg(version.microVersion());
}

MoxAppDiagnostics MoxDiagnosticInfoBuilder::build(const MoxAppIdentity& identity,
                                                  std::optional<QString> updateSummary,
                                                  std::optional<QUrl> appcastURL,
                                                  const MoxBundle& bundle) {
    const QString release = QSysInfo::kernelVersion();
    const QString distribution = QSysInfo::prettyProductName();
    return {identity.productSlug,
            identity.productDisplayName,
            identity.bundleIdentifier,
            bundle.shortVersion(),
            bundle.buildVersion(),
            QStringLiteral("Linux"),
            versionTriple(release),
            buildArchitecture(),
            std::move(updateSummary),
            std::move(appcastURL),
            distribution.isEmpty() ? std::nullopt : std::optional<QString>(distribution),
            sessionDescription()};
}

}  // namespace mox
