#pragma once

#include <QString>
#include <exception>

namespace mox {

/// Why the frame refused a record. It carries reasons as data, no message of its own.
struct MoxAppKitError : std::exception {
    enum class Kind {
        invalidProductSlug,
        invalidURL,
        emptyProductSlug,
        emptyProductDisplayName,
        emptyBundleIdentifier,
        invalidContactEmail,
    };

    Kind kind;
    QString field;   // invalidURL: the link's field name
    QString reason;  // invalidProductSlug, invalidURL

    explicit MoxAppKitError(Kind errorKind, QString errorField = {}, QString errorReason = {})
        : kind(errorKind), field(std::move(errorField)), reason(std::move(errorReason)) {}
    [[nodiscard]] const char* what() const noexcept override { return "MoxAppKitError"; }

    friend bool operator==(const MoxAppKitError& a, const MoxAppKitError& b) {
        return a.kind == b.kind && a.field == b.field && a.reason == b.reason;
    }
};

/// The frame's switches; the shared default has both off.
struct MoxAppKitOptions {
    bool showsDiagnosticsByDefault = false;
    bool showsRawErrorCodesInDebug = false;
    friend bool operator==(const MoxAppKitOptions&, const MoxAppKitOptions&) = default;
};

}  // namespace mox
