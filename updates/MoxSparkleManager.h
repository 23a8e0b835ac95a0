#pragma once

#include <QDateTime>
#include <QObject>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

#include "MoxSparkleConfig.h"
#include "MoxSparkleDiagnostics.h"
#include "MoxSparkleState.h"
#include "MoxUI/MoxBundle.h"
#include "MoxUpdater.h"
#include "SparkleControllerBridge.h"
#include "SparkleGentleDriverDelegate.h"

namespace mox {

/// The application's one update manager: it runs the updater and publishes a simple picture
/// of the update situation. `willChange` comes before a published change and `changed` after
/// it, once for all that one event changed, and only when something did. Everything happens on
/// the main thread.
class MoxSparkleManager final : public QObject {
    Q_OBJECT

  public:
    MoxSparkleManager(MoxSparkleConfig config, MoxBundle bundle, QObject* parent = nullptr);
    ~MoxSparkleManager() override;

    [[nodiscard]] const MoxSparkleState& state() const { return state_; }
    [[nodiscard]] bool canCheckForUpdates() const { return canCheckForUpdates_; }
    [[nodiscard]] const std::optional<QDateTime>& lastCheckDate() const { return lastCheckDate_; }
    [[nodiscard]] const std::optional<MoxSparkleError>& lastError() const { return lastError_; }
    [[nodiscard]] const std::optional<QString>& pendingUpdateVersion() const {
        return pendingUpdateVersion_;
    }
    [[nodiscard]] const MoxSparkleConfig& config() const { return config_; }
    [[nodiscard]] const MoxBundle& bundle() const { return bundle_; }

    /// Where the time of the last check is kept (read now, for the last-check date); before
    /// `start`.
    void setSchedule(MoxUpdater::Schedule schedule);
    void start();
    /// The machine woke up: a scheduled check that came due meanwhile runs soon.
    void systemDidWake();
    void checkForUpdates();
    void checkForUpdatesInBackground();
    /// Scheduled background checks on or off (a check the user asks for runs either way).
    void setAutomaticallyChecksForUpdates(bool on);
    void resetError();
    [[nodiscard]] MoxSparkleDiagnostics diagnostics() const;
    /// Opens the found update's download page; the user has attended to it.
    void installUpdate();
    [[nodiscard]] bool hasUpdateToInstall() const { return foundUpdate_.has_value(); }

    /// Where the update flow is shown to the user (a user-initiated check, or a found update
    /// the gentle rule lets through). Nothing is shown without one.
    void setUpdateInterface(std::function<void()> present) {
        presentInterface_ = std::move(present);
    }
    /// How download pages open; the desktop's handler by default.
    void setURLOpener(std::function<void(const QUrl&)> open) { openURL_ = std::move(open); }
    void setActivationPolicyProvider(std::function<MoxActivationPolicy()> provider) {
        activationPolicy_ = std::move(provider);
    }
    [[nodiscard]] SparkleControllerBridge& bridge() const { return *updater_; }

  signals:
    void willChange();
    void changed();

  private:
    /// Groups the changes made while it lives into one notification.
    class Changes {
      public:
        explicit Changes(MoxSparkleManager& manager);
        ~Changes();
        Changes(const Changes&) = delete;
        Changes& operator=(const Changes&) = delete;

      private:
        MoxSparkleManager& manager_;
    };
    template <typename T>
    void publish(T& field, T value);
    void userInitiatedCheckStarted();
    void checkFinished(const MoxUpdater::Outcome& outcome);

    MoxSparkleState state_;
    bool canCheckForUpdates_ = true;
    std::optional<QDateTime> lastCheckDate_;
    std::optional<MoxSparkleError> lastError_;
    std::optional<QString> pendingUpdateVersion_;

    MoxSparkleConfig config_;
    std::function<MoxActivationPolicy()> activationPolicy_;
    std::unique_ptr<SparkleGentleDriverDelegate> gentleDelegate_;
    std::unique_ptr<SparkleControllerBridge> updater_;
    MoxBundle bundle_;
    bool didStart_ = false;
    int openChanges_ = 0;
    bool changing_ = false;
    bool isUserInitiated_ = true;
    MoxSparkleState lastRestingState_;
    std::optional<MoxAppcastItem> foundUpdate_;
    std::function<void()> presentInterface_;
    std::function<void(const QUrl&)> openURL_;
};

}  // namespace mox
