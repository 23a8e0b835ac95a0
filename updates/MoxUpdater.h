#pragma once

#include <QDateTime>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

#include "MoxAppcast.h"

class QNetworkAccessManager;

namespace mox {

/// The small updater of this platform: it fetches the update feed over HTTPS without blocking,
/// picks the newest item of the allowed channels newer than the running build and reports the
/// outcome. With automatic checks on, a check is due an interval after the last one, by the
/// wall clock and across restarts (the schedule keeps its time); a check that came due while
/// the program was not running or the machine slept runs shortly after launch or wake-up.
class MoxUpdater final : public QObject {
  public:
    /// What the updater asks of its owner (the feed and the channels, decided per check).
    class Delegate {
      public:
        virtual ~Delegate() = default;
        virtual QString feedURLStringForUpdater() = 0;
        virtual QSet<QString> allowedChannelsForUpdater() = 0;
    };

    struct Outcome {
        enum class Kind { found, upToDate, failed };
        Kind kind = Kind::upToDate;
        std::optional<MoxAppcastItem> item;
        QString error;  // failed: what went wrong, for "Update check failed: "
        bool userInitiated = false;
    };

    struct Callbacks {
        /// A check the user asked for has begun (the interface shows it).
        std::function<void()> didStartUserInitiatedCheck;
        /// The schedule is about to check.
        std::function<void()> willStartScheduledCheck;
        std::function<void(const Outcome&)> didFinishCheck;
    };

    /// Where the time of the last check is kept, and the clock; a schedule that keeps nothing
    /// checks shortly after every launch.
    struct Schedule {
        std::function<std::optional<QDateTime>()> lastCheck;
        std::function<void(const QDateTime&)> recordCheck;
        std::function<QDateTime()> now = [] { return QDateTime::currentDateTimeUtc(); };
        /// How long after launch or wake-up a due check waits (the network may not be up yet).
        int settleMs = 30'000;
    };

    /// A feed larger than this is refused.
    static constexpr qint64 maximumFeedBytes = 1024 * 1024;
    /// No check takes longer than this from request to answer, however slowly bytes arrive.
    static constexpr int checkDeadlineMs = 60'000;
    /// The schedule's timer stops while the machine sleeps: the clock is read again at least
    /// this often.
    static constexpr int longestWaitMs = 3'600'000;

    MoxUpdater(QString currentVersion, Delegate& delegate, Callbacks callbacks,
               QObject* parent = nullptr);
    ~MoxUpdater() override;

    /// Before `start`.
    void setSchedule(Schedule schedule) { schedule_ = std::move(schedule); }
    /// The machine woke up: a check that came due meanwhile runs once the network settled.
    void systemDidWake();
    void setCheckDeadline(int milliseconds) { checkDeadlineMs_ = milliseconds; }
    void setAutomaticallyChecksForUpdates(bool on);
    void setAutomaticallyDownloadsUpdates(bool on) { automaticallyDownloads_ = on; }
    void setUpdateCheckInterval(double seconds);
    void setSendsSystemProfile(bool on) { sendsSystemProfile_ = on; }
    [[nodiscard]] bool automaticallyChecksForUpdates() const { return automaticallyChecks_; }
    [[nodiscard]] bool automaticallyDownloadsUpdates() const { return automaticallyDownloads_; }
    [[nodiscard]] double updateCheckInterval() const { return interval_; }
    [[nodiscard]] bool sendsSystemProfile() const { return sendsSystemProfile_; }

    /// Begins the schedule; later calls do nothing.
    void start();
    /// A check the user asked for; joins a running check rather than starting another.
    void checkForUpdates();
    /// A quiet check; does nothing while another runs.
    void checkForUpdatesInBackground();
    [[nodiscard]] bool sessionInProgress() const { return reply_ != nullptr; }
    [[nodiscard]] bool isScheduled() const { return timer_.isActive(); }

  private:
    void scheduledCheck();
    void check(bool userInitiated);
    void finish(Outcome outcome);
    void replyFinished();
    void reschedule();
    [[nodiscard]] std::optional<QDateTime> due() const;

    QString currentVersion_;
    Delegate& delegate_;
    Callbacks callbacks_;
    bool started_ = false;
    bool automaticallyChecks_ = false;
    bool automaticallyDownloads_ = false;
    bool sendsSystemProfile_ = false;
    double interval_ = 86400;
    bool userInitiated_ = false;
    QSet<QString> channels_;
    Schedule schedule_;
    QDateTime notBefore_;
    QTimer timer_;
    QTimer deadline_;
    int checkDeadlineMs_ = checkDeadlineMs;
    QNetworkAccessManager* network_ = nullptr;
    QPointer<QNetworkReply> reply_;
};

}  // namespace mox
