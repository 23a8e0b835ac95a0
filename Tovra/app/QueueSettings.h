#pragma once

#include <string>

#include "Tovra/core/BurstSeparator.h"
#include "Tovra/core/PrivacyMode.h"
#include "Tovra/core/QueueTimeout.h"

namespace tovra {

/// The settings that are not per stack; in memory only, as they start at each launch.
struct QueueSettings {
    PrivacyMode privacyMode = PrivacyMode::partialMask;
    BurstSeparator burstSeparator = BurstSeparator::tab;
    std::string customBurstSeparator{defaultCustomBurstSeparator};
    QueueTimeout queueTimeout = QueueTimeout::never;
    bool hudInteractionEnabled = true;
    bool animationsEnabled = true;

    friend bool operator==(const QueueSettings&, const QueueSettings&) = default;
};

}  // namespace tovra
