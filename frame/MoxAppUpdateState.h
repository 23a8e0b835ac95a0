#pragma once

#include <QString>
#include <optional>

namespace mox {

/// The update situation as the frame knows it, independent of any update framework.
struct MoxAppUpdateState {
    enum class Kind {
        updateAvailable,
        downloading,
        readyToInstall,
        failed,
        idle,
        checking,
        noUpdateAvailable,
        installing,
    };

    Kind kind = Kind::idle;
    std::optional<QString> version;  // updateAvailable, readyToInstall
    std::optional<double> progress;  // downloading
    QString message;                 // failed

    static MoxAppUpdateState idle() { return {}; }
    static MoxAppUpdateState of(Kind kind) { return {kind, {}, {}, {}}; }
    static MoxAppUpdateState updateAvailable(std::optional<QString> v) {
        return {Kind::updateAvailable, std::move(v), {}, {}};
    }
    static MoxAppUpdateState readyToInstall(std::optional<QString> v) {
        return {Kind::readyToInstall, std::move(v), {}, {}};
    }
    static MoxAppUpdateState downloading(std::optional<double> p) {
        return {Kind::downloading, {}, p, {}};
    }
    /// What a failure says when its error has no description.
    static QString genericFailureMessage() { return QStringLiteral("Update failed."); }
    static MoxAppUpdateState failed(QString text) {
        return {Kind::failed, {}, {}, std::move(text)};
    }

    /// The case name, with its labelled value in parentheses when the case carries one:
    /// "idle", "updateAvailable(version: 1.3)", "failed(message: timed out)".
    [[nodiscard]] QString summary() const;

    friend bool operator==(const MoxAppUpdateState&, const MoxAppUpdateState&) = default;
};

}  // namespace mox
