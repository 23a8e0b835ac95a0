#pragma once

#include <QString>
#include <QUrl>
#include <optional>

#include "MoxSparkleConfig.h"
#include "MoxUI/MoxBundle.h"

namespace mox {

/// A self-check of the application's information against the update configuration.
struct MoxSparkleDiagnostics {
    std::optional<QString> bundleVersion;
    std::optional<QString> buildNumber;
    std::optional<QUrl> configuredFeedURL;
    QUrl expectedFeedURL;
    bool hasFeedURL = false;
    bool hasPublicKey = false;

    static MoxSparkleDiagnostics make(const MoxBundle& bundle, const MoxSparkleConfig& config);
    [[nodiscard]] bool feedMatchesExpected() const {
        return configuredFeedURL.has_value() && *configuredFeedURL == expectedFeedURL;
    }

    friend bool operator==(const MoxSparkleDiagnostics&, const MoxSparkleDiagnostics&) = default;
};

}  // namespace mox
