#include "SmartModeEngine.h"

#include <algorithm>

#include "ApplicationId.h"
#include "UnicodeText.h"

namespace tovra {

SmartModeEngine& SmartModeEngine::shared() {
    static SmartModeEngine engine;
    return engine;
}

std::optional<std::string> SmartModeEngine::contextKey(const std::optional<std::string>& context) {
    if (!context) {
        return std::nullopt;
    }
    std::string key = unicode::toLower(*context);
    if (key.empty()) {
        return std::nullopt;
    }
    return key;
}

QueueMode SmartModeEngine::resolve(const std::optional<std::string>& context) const {
    const auto key = contextKey(context);
    if (!key) {
        return QueueMode::fifo;
    }
    if (const auto found = overrides_.find(*key); found != overrides_.end()) {
        return found->second;
    }
    if (const auto found = stats_.find(*key); found != stats_.end()) {
        const int lead = found->second.lifoScore - found->second.fifoScore;
        if (lead >= 2) {
            return QueueMode::lifo;
        }
        if (lead <= -2) {
            return QueueMode::fifo;
        }
    }
    const bool hinted =
        std::any_of(lifoContextHints.begin(), lifoContextHints.end(),
                    [&](std::string_view hint) { return applicationIdMentions(*key, hint); });
    return hinted ? QueueMode::lifo : QueueMode::fifo;
}

void SmartModeEngine::recordPaste(QueueMode mode, const std::optional<std::string>& context) {
    const auto key = contextKey(context);
    if (!key || mode == QueueMode::smart) {
        return;
    }
    SmartModeStats& stats = stats_[*key];
    if (mode == QueueMode::lifo) {
        ++stats.lifoScore;
        stats.fifoScore = std::max(0, stats.fifoScore - 1);
    } else {
        ++stats.fifoScore;
        stats.lifoScore = std::max(0, stats.lifoScore - 1);
    }
}

void SmartModeEngine::setOverride(QueueMode mode, const std::optional<std::string>& context) {
    const auto key = contextKey(context);
    if (!key) {
        return;
    }
    if (mode == QueueMode::smart) {
        overrides_.erase(*key);
    } else {
        overrides_[*key] = mode;
    }
}

void SmartModeEngine::resetLearning() {
    overrides_.clear();
    stats_.clear();
}

std::optional<QueueMode> SmartModeEngine::overrideFor(
    const std::optional<std::string>& context) const {
    const auto key = contextKey(context);
    if (!key) {
        return std::nullopt;
    }
    const auto found = overrides_.find(*key);
    return found == overrides_.end() ? std::nullopt : std::optional(found->second);
}

std::optional<SmartModeStats> SmartModeEngine::statsFor(
    const std::optional<std::string>& context) const {
    const auto key = contextKey(context);
    if (!key) {
        return std::nullopt;
    }
    const auto found = stats_.find(*key);
    return found == stats_.end() ? std::nullopt : std::optional(found->second);
}

}  // namespace tovra
