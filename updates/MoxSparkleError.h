#pragma once

#include <QString>
#include <exception>

namespace mox {

/// What went wrong with updates; its description is the text a user sees.
struct MoxSparkleError : std::exception {
    enum class Kind {
        updateCheckFailed,
        updateDownloadFailed,
        updateInstallFailed,
        unknown,
        invalidProductSlug,
        invalidProductDisplayName,
        invalidAppcastURL,
        sparkleUnavailable,
        cancelled,
    };

    Kind kind;
    QString message;  // the first four kinds only

    explicit MoxSparkleError(Kind errorKind, QString errorMessage = {})
        : kind(errorKind), message(std::move(errorMessage)) {}
    static MoxSparkleError updateCheckFailed(QString text) {
        return MoxSparkleError(Kind::updateCheckFailed, std::move(text));
    }

    [[nodiscard]] QString errorDescription() const {
        switch (kind) {
            case Kind::updateCheckFailed:
                return QStringLiteral("Update check failed: ") + message;
            case Kind::updateDownloadFailed:
                return QStringLiteral("Update download failed: ") + message;
            case Kind::updateInstallFailed:
                return QStringLiteral("Update installation failed: ") + message;
            case Kind::unknown:
                return QStringLiteral("Update failed: ") + message;
            case Kind::invalidProductSlug:
                return QStringLiteral("The update product slug is invalid.");
            case Kind::invalidProductDisplayName:
                return QStringLiteral("The update product display name is invalid.");
            case Kind::invalidAppcastURL:
                return QStringLiteral("The update feed URL is invalid.");
            case Kind::sparkleUnavailable:
                return QStringLiteral("The update system is unavailable.");
            case Kind::cancelled:
                return QStringLiteral("The update was cancelled.");
        }
        return {};
    }
    [[nodiscard]] const char* what() const noexcept override { return "MoxSparkleError"; }

    friend bool operator==(const MoxSparkleError& a, const MoxSparkleError& b) {
        return a.kind == b.kind && a.message == b.message;
    }
};

}  // namespace mox
