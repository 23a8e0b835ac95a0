#include "MoxUpdater.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <algorithm>
#include <cmath>
#include <limits>

namespace mox {

namespace {
constexpr int transferTimeoutMs = 30'000;
}

MoxUpdater::MoxUpdater(QString currentVersion, Delegate& delegate, Callbacks callbacks,
                       QObject* parent)
    : QObject(parent),
      currentVersion_(std::move(currentVersion)),
      delegate_(delegate),
      callbacks_(std::move(callbacks)) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &MoxUpdater::scheduledCheck);
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] {
        if (reply_) {
            reply_->setProperty("deadline", true);
            reply_->abort();
        }
    });
}

MoxUpdater::~MoxUpdater() {
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
    }
}

void MoxUpdater::setAutomaticallyChecksForUpdates(bool on) {
    automaticallyChecks_ = on;
    reschedule();
}

void MoxUpdater::setUpdateCheckInterval(double seconds) {
    interval_ = seconds;
    reschedule();
}

void MoxUpdater::start() {
    if (started_) {
        return;
    }
    started_ = true;
    notBefore_ = schedule_.now().addMSecs(schedule_.settleMs);
    reschedule();
}

void MoxUpdater::systemDidWake() {
    notBefore_ = schedule_.now().addMSecs(schedule_.settleMs);
    reschedule();
}

std::optional<QDateTime> MoxUpdater::due() const {
    if (!started_ || !automaticallyChecks_ || !std::isfinite(interval_) || interval_ <= 0) {
        return std::nullopt;
    }
    const std::optional<QDateTime> last =
        schedule_.lastCheck ? schedule_.lastCheck() : std::nullopt;
    const QDateTime now = schedule_.now();
    // Never checked, or a last check "in the future" (a clock set back): due now.
    QDateTime when = now;
    if (last && last->isValid() && *last <= now) {
        const double seconds = std::min(interval_, 1e9);
        when = last->addMSecs(static_cast<qint64>(seconds * 1000.0));
    }
    return std::max(when, notBefore_);
}

void MoxUpdater::reschedule() {
    timer_.stop();
    const std::optional<QDateTime> when = due();
    if (!when) {
        return;
    }
    const qint64 wait = schedule_.now().msecsTo(*when);
    timer_.start(static_cast<int>(std::clamp<qint64>(wait, 1, longestWaitMs)));
}

void MoxUpdater::checkForUpdates() {
    if (reply_) {
        userInitiated_ = true;  // the running check now answers the user
        if (callbacks_.didStartUserInitiatedCheck) {
            callbacks_.didStartUserInitiatedCheck();
        }
        return;
    }
    check(true);
}

void MoxUpdater::checkForUpdatesInBackground() {
    if (reply_) {
        return;
    }
    check(false);
}

void MoxUpdater::scheduledCheck() {
    if (reply_) {
        return;
    }
    if (const auto when = due(); !when || schedule_.now() < *when) {
        reschedule();  // woken early to read the clock again
        return;
    }
    if (callbacks_.willStartScheduledCheck) {
        callbacks_.willStartScheduledCheck();
    }
    check(false);
}

void MoxUpdater::check(bool userInitiated) {
    userInitiated_ = userInitiated;
    if (userInitiated && callbacks_.didStartUserInitiatedCheck) {
        callbacks_.didStartUserInitiatedCheck();
    }
    const QUrl feed(delegate_.feedURLStringForUpdater(), QUrl::StrictMode);
    if (!feed.isValid() || feed.scheme() != QStringLiteral("https") || feed.host().isEmpty()) {
        finish({Outcome::Kind::failed, std::nullopt,
                QStringLiteral("the update feed must be an https address"), userInitiated});
        return;
    }
    channels_ = delegate_.allowedChannelsForUpdater();
    if (schedule_.recordCheck) {
        schedule_.recordCheck(schedule_.now());
    }
    if (network_ == nullptr) {
        network_ = new QNetworkAccessManager(this);
    }
    QNetworkRequest request(feed);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(transferTimeoutMs);
    reply_ = network_->get(request);
    deadline_.start(checkDeadlineMs_);
    connect(reply_, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64 total) {
        if ((received > maximumFeedBytes || total > maximumFeedBytes) && reply_) {
            reply_->setProperty("tooLarge", true);
            reply_->abort();
        }
    });
    connect(reply_, &QNetworkReply::finished, this, &MoxUpdater::replyFinished);
}

void MoxUpdater::replyFinished() {
    QNetworkReply* reply = reply_;
    if (reply == nullptr) {
        return;
    }
    reply_ = nullptr;
    deadline_.stop();
    reply->deleteLater();
    Outcome outcome{Outcome::Kind::failed, std::nullopt, QString(), userInitiated_};
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->property("tooLarge").toBool()) {
        outcome.error = QStringLiteral("the update feed is larger than 1 MiB");
    } else if (reply->property("deadline").toBool()) {
        outcome.error = QStringLiteral("the update server took longer than %1 seconds")
                            .arg(checkDeadlineMs_ / 1000.0);
    } else if (status >= 400) {
        // The server's words, shown in the menu and the window: one short plain line.
        const QString reason = MoxAppcast::plainLine(
            reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString(), 60);
        outcome.error = QStringLiteral("the update server answered %1%2")
                            .arg(status)
                            .arg(reason.isEmpty() ? QString() : QStringLiteral(" ") + reason);
    } else if (reply->error() != QNetworkReply::NoError) {
        outcome.error = reply->errorString();
    } else {
        QString error;
        const MoxAppcast feed = MoxAppcast::parse(reply->readAll(), &error);
        if (!error.isEmpty()) {
            outcome.error = error;
        } else if (auto item = feed.bestUpdate(channels_, currentVersion_)) {
            outcome = {Outcome::Kind::found, std::move(item), QString(), userInitiated_};
        } else {
            outcome = {Outcome::Kind::upToDate, std::nullopt, QString(), userInitiated_};
        }
    }
    finish(std::move(outcome));
}

void MoxUpdater::finish(Outcome outcome) {
    // The next scheduled check counts from the end of this one, whoever asked for it.
    reschedule();
    if (callbacks_.didFinishCheck) {
        callbacks_.didFinishCheck(outcome);
    }
}

}  // namespace mox
