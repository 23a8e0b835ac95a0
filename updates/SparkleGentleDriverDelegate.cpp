#include "SparkleGentleDriverDelegate.h"

namespace mox {

bool SparkleGentleDriverDelegate::standardUserDriverShouldHandleShowingScheduledUpdate(
    const MoxAppcastItem& /*update*/, bool immediateFocus) const {
    const MoxActivationPolicy policy =
        activationPolicyProvider_ ? activationPolicyProvider_() : MoxActivationPolicy::regular;
    return policy != MoxActivationPolicy::accessory || immediateFocus;
}

void SparkleGentleDriverDelegate::standardUserDriverWillHandleShowingUpdate(
    bool /*handleShowingUpdate*/, const MoxAppcastItem& update) {
    setPendingUpdateVersion(update.displayVersionString());
}

void SparkleGentleDriverDelegate::standardUserDriverDidReceiveUserAttentionForUpdate(
    const MoxAppcastItem& /*update*/) {
    setPendingUpdateVersion(std::nullopt);
}

void SparkleGentleDriverDelegate::setPendingUpdateVersion(std::optional<QString> version) {
    if (pendingUpdateVersion_ == version) {
        return;
    }
    pendingUpdateVersion_ = std::move(version);
    if (sink_) {
        sink_(pendingUpdateVersion_);
    }
}

}  // namespace mox
