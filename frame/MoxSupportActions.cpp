#include "MoxSupportActions.h"

namespace mox {

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
    QString subject = MoxAppDiagnostics::singleLine(identity.productDisplayName).trimmed();
    const std::optional<QString> known =
        diagnostics ? diagnostics->appVersion : MoxBundle::main().shortVersion();
    if (known) {
        const QString version = MoxAppDiagnostics::singleLine(*known).trimmed();
        if (!version.isEmpty()) {
            subject += QLatin1Char(' ') + version;
        }
    }
    return subject + QStringLiteral(" \u2014 ");
}

}  // namespace mox
