#pragma once

#include <QString>
#include <QUrl>
#include <optional>

#include "MoxAppKitError.h"

namespace mox {

/// The product's web links and support mailbox, validated when built (throws MoxAppKitError).
class MoxAppLinks {
  public:
    MoxAppLinks(QUrl websiteURL, QUrl supportURL, std::optional<QUrl> documentationURL,
                std::optional<QUrl> privacyURL, std::optional<QUrl> termsURL,
                std::optional<QUrl> releaseNotesURL, std::optional<QString> contactEmail);

    QUrl websiteURL;
    QUrl supportURL;
    std::optional<QUrl> documentationURL;
    std::optional<QUrl> privacyURL;
    std::optional<QUrl> termsURL;
    std::optional<QUrl> releaseNotesURL;
    std::optional<QString> contactEmail;

    /// "mailto:" and the address; nothing without an address.
    [[nodiscard]] std::optional<QUrl> contactMailURL() const;
    /// A mail with subject and body, each percent-encoded keeping only A-Z a-z 0-9 "-._~".
    [[nodiscard]] std::optional<QUrl> mailURL(const QString& subject, const QString& body) const;

    friend bool operator==(const MoxAppLinks&, const MoxAppLinks&) = default;
};

struct MoxAppBranding {
    std::optional<QString> accentName;
    std::optional<QString> iconName;
    QString legalName;
    QString companyDisplayName;
    friend bool operator==(const MoxAppBranding&, const MoxAppBranding&) = default;
};

/// Which product the frame serves. Built once; a rule it breaks is thrown as MoxAppKitError and
/// nothing is built.
class MoxAppIdentity {
  public:
    MoxAppIdentity(const QString& productSlug, const QString& productDisplayName,
                   const QString& bundleIdentifier, MoxAppLinks links, MoxAppBranding branding);

    QString productSlug;
    QString productDisplayName;
    QString bundleIdentifier;
    MoxAppLinks links;
    MoxAppBranding branding;

    /// Tovra's own identity; the maker's web site and mailbox are under the reserved
    /// moxworks.invalid domain, so nothing ever reaches a real third party.
    static MoxAppIdentity tovra();

    friend bool operator==(const MoxAppIdentity&, const MoxAppIdentity&) = default;
};

}  // namespace mox
