#pragma once

#include <QString>
#include <optional>

#include "MoxSparkleError.h"

namespace mox {

/// The update situation as the update module publishes it.
struct MoxSparkleState {
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
    std::optional<QString> version;        // updateAvailable, readyToInstall
    std::optional<double> progress;        // downloading, 0..1
    std::optional<MoxSparkleError> error;  // failed

    static MoxSparkleState idle() { return {}; }
    static MoxSparkleState checking() { return {Kind::checking, {}, {}, {}}; }
    static MoxSparkleState noUpdateAvailable() { return {Kind::noUpdateAvailable, {}, {}, {}}; }
    static MoxSparkleState installing() { return {Kind::installing, {}, {}, {}}; }
    static MoxSparkleState updateAvailable(std::optional<QString> v) {
        return {Kind::updateAvailable, std::move(v), {}, {}};
    }
    static MoxSparkleState readyToInstall(std::optional<QString> v) {
        return {Kind::readyToInstall, std::move(v), {}, {}};
    }
    static MoxSparkleState downloading(std::optional<double> p) {
        return {Kind::downloading, {}, p, {}};
    }
    static MoxSparkleState failed(MoxSparkleError e) {
        return {Kind::failed, {}, {}, std::move(e)};
    }

    friend bool operator==(const MoxSparkleState&, const MoxSparkleState&) = default;
};

}  // namespace mox
