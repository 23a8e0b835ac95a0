#pragma once

#include <QString>
#include <QUrl>
#include <optional>

#include "MoxAppIdentity.h"
#include "MoxUI/MoxBundle.h"

namespace mox {

/// A short plain-text description of the application and the machine, for support.
struct MoxAppDiagnostics {
    QString productSlug;
    QString productDisplayName;
    QString bundleIdentifier;
    std::optional<QString> appVersion;
    std::optional<QString> buildNumber;
    /// The system the line names ("Linux"; a macOS build would say "macOS").
    QString systemName;
    /// Its version as major.minor.patch, the patch always present.
    QString systemVersion;
    QString architecture;
    std::optional<QString> updateSummary;
    std::optional<QUrl> appcastURL;
    /// The distribution ("Debian GNU/Linux 12 (bookworm)"), when it says.
    std::optional<QString> distribution{};
    /// The kind of session and the desktop ("wayland, GNOME"), when the session says.
    std::optional<QString> session{};

    /// One "Label: value" line each, missing values left out, no line feed at the end.
    [[nodiscard]] QString formattedText() const;
    /// The same lines made single-line, then an empty line, "What happened:" and an empty line.
    [[nodiscard]] QString supportMailBody() const;
    /// Each NUL, line feed, vertical tab, form feed, carriage return and U+0085 becomes a space.
    static QString singleLine(const QString& text);

    friend bool operator==(const MoxAppDiagnostics&, const MoxAppDiagnostics&) = default;
};

struct MoxDiagnosticInfoBuilder {
    static MoxAppDiagnostics build(const MoxAppIdentity& identity,
                                   std::optional<QString> updateSummary,
                                   std::optional<QUrl> appcastURL,
                                   const MoxBundle& bundle = MoxBundle::main());
    /// "6.1.0" from a kernel release such as "6.1.0-13-amd64"; missing parts are 0.
    static QString versionTriple(const QString& release);
};

}  // namespace mox
