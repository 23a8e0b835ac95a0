#include "MoxSupportActions.h"

namespace mox {

namespace {

QString singleLineTrimmed(const QString& text) {
    QString flat = text;
    for (QChar& c : flat) {
        const char16_t u = c.unicode();
        if (u == 0 || u == 0x0A || u == 0x0B || u == 0x0C || u == 0x0D || u == 0x85 ||
            u == 0x2028 || u == 0x2029) {
            c = QLatin1Char(' ');
        }
    }
    return flat.trimmed();
}

}  // namespace

void MoxSupportActions::openSupport() const {
    urlOpener.open(identity.links.supportURL);
}

void MoxSupportActions::openDocumentation() const {
    if (identity.links.documentationURL) {
        urlOpener.open(*identity.links.documentationURL);
    }
}

void MoxSupportActions::openWebsite() const {
    urlOpener.open(identity.links.websiteURL);
}

void MoxSupportActions::contactSupport() const {
    if (diagnostics) {
        if (auto mail = identity.links.mailURL(supportSubject(), diagnostics->supportMailBody())) {
            urlOpener.open(*mail);
            return;
        }
    }
    if (auto mail = identity.links.contactMailURL()) {
        urlOpener.open(*mail);
        return;
    }
    urlOpener.open(identity.links.supportURL);
}

void MoxSupportActions::copyDiagnosticInfo() const {
    if (diagnostics) {
        clipboard.write(diagnostics->formattedText());
    }
}

void MoxSupportActions::openPrivacyPolicy() const {
    if (identity.links.privacyURL) {
        urlOpener.open(*identity.links.privacyURL);
    }
}

void MoxSupportActions::openTerms() const {
    if (identity.links.termsURL) {
        urlOpener.open(*identity.links.termsURL);
    }
}

QString MoxSupportActions::supportSubject() const {
    QString subject = singleLineTrimmed(identity.productDisplayName);
    const std::optional<QString> known =
        diagnostics ? diagnostics->appVersion : MoxBundle::main().shortVersion();
    if (known) {
        const QString version = singleLineTrimmed(*known);
        if (!version.isEmpty()) {
            subject += QLatin1Char(' ') + version;
        }
    }
    return subject + QStringLiteral(" \u2014 ");
}

}  // namespace mox
