#include "QtMainQueue.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace tovra {

namespace {

int toMilliseconds(MainQueue::Seconds delay) {
    const double ms = std::ceil(delay.count() * 1000.0);
    return ms <= 0 ? 0 : static_cast<int>(std::min(ms, 2'000'000'000.0));
}

/// A timer whose task stops for good when the handle goes. The timer may be cancelled from
/// inside its own task, so it is deleted later, never in the middle of its own signal.
TaskHandle startTimer(MainQueue::Seconds delay, bool repeat, std::function<void()> task) {
    auto state = std::make_shared<TaskState>();
    auto* timer = new QTimer(QCoreApplication::instance());
    timer->setTimerType(Qt::PreciseTimer);
    timer->setSingleShot(!repeat);
    timer->setInterval(toMilliseconds(delay));
    QObject::connect(
        timer, &QTimer::timeout, timer,
        [timer, repeat, weak = std::weak_ptr<TaskState>(state), task = std::move(task)] {
            const auto alive = weak.lock();
            if (!alive || alive->cancelled) {
                return;
            }
            if (!repeat) {
                alive->finished = true;
                timer->deleteLater();
            }
            // Copy: the task may cancel its own handle and so this closure's owner.
            const auto run = task;
            run();
        });
    QPointer<QTimer> guarded(timer);
    state->onCancel = [guarded] {
        if (guarded) {
            guarded->stop();
            guarded->deleteLater();
        }
    };
    timer->start();
    return TaskHandle(state);
}

}  // namespace

void QtMainQueue::post(std::function<void()> task) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task), Qt::QueuedConnection);
}

TaskHandle QtMainQueue::after(Seconds delay, std::function<void()> task) {
    return startTimer(delay, false, std::move(task));
}

TaskHandle QtMainQueue::every(Seconds interval, std::function<void()> task) {
    return startTimer(interval, true, std::move(task));
}

MainQueue::TimePoint QtMainQueue::now() const {
    return std::chrono::steady_clock::now();
}

TaskHandle QtMainQueue::watchReadable(int fd, std::function<void()> onReadable) {
    auto state = std::make_shared<TaskState>();
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [weak = std::weak_ptr<TaskState>(state), onReadable = std::move(onReadable)] {
                         const auto alive = weak.lock();
                         if (alive && !alive->cancelled) {
                             const auto run = onReadable;
                             run();
                         }
                     });
    QPointer<QSocketNotifier> guarded(notifier);
    state->onCancel = [guarded] {
        if (guarded) {
            guarded->setEnabled(false);
            guarded->deleteLater();
        }
    };
    return TaskHandle(state);
}

}  // namespace tovra
