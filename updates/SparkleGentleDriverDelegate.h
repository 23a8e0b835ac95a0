#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "MoxAppcast.h"

namespace mox {

enum class MoxActivationPolicy { regular, accessory, prohibited };

/// Gentle reminders: a tray application is not interrupted by a window for an update a
/// scheduled check found; the update's version is published for the menu instead, and cleared
/// once the user attends to it.
class SparkleGentleDriverDelegate {
  public:
    explicit SparkleGentleDriverDelegate(std::function<MoxActivationPolicy()> activationPolicy)
        : activationPolicyProvider_(std::move(activationPolicy)) {}

    [[nodiscard]] static bool supportsGentleScheduledUpdateReminders() { return true; }
    [[nodiscard]] bool standardUserDriverShouldHandleShowingScheduledUpdate(
        const MoxAppcastItem& update, bool immediateFocus) const;
    void standardUserDriverWillHandleShowingUpdate(bool handleShowingUpdate,
                                                   const MoxAppcastItem& update);
    void standardUserDriverDidReceiveUserAttentionForUpdate(const MoxAppcastItem& update);

    [[nodiscard]] const std::optional<QString>& pendingUpdateVersion() const {
        return pendingUpdateVersion_;
    }
    /// Called on every change of the pending version (the manager republishes it).
    void onPendingUpdateVersionChange(std::function<void(const std::optional<QString>&)> sink) {
        sink_ = std::move(sink);
    }

  private:
    void setPendingUpdateVersion(std::optional<QString> version);

    std::function<MoxActivationPolicy()> activationPolicyProvider_;
    std::optional<QString> pendingUpdateVersion_;
    std::function<void(const std::optional<QString>&)> sink_;
};

}  // namespace mox
