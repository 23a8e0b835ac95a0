#pragma once

#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <functional>

namespace tovra {

/// Sleep as logind announces it on the system bus. A delay inhibitor is held while awake, so the
/// machine waits for `onSleep` (which empties the queue) before it sleeps; it is taken again on
/// resume. Without a system bus or logind this does nothing.
class LogindSleepWatcher final : public QObject {
    Q_OBJECT

  public:
    /// `onWake` (optional) runs when the machine has woken up again.
    explicit LogindSleepWatcher(std::function<void()> onSleep, std::function<void()> onWake = {},
                                QObject* parent = nullptr);
    [[nodiscard]] bool isWatching() const { return watching_; }

  private slots:
    void prepareForSleep(bool sleeping);

  private:
    void takeInhibitor();

    std::function<void()> onSleep_;
    std::function<void()> onWake_;
    QDBusUnixFileDescriptor inhibitor_;
    bool watching_ = false;
};

}  // namespace tovra
