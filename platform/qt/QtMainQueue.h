#pragma once

#include "platform/MainQueue.h"

namespace tovra {

/// The main queue on Qt's event loop: timers are QTimers (monotonic), readable descriptors are
/// QSocketNotifiers. Needs a QCoreApplication (or QApplication) on this thread.
class QtMainQueue final : public MainQueue {
  public:
    QtMainQueue() = default;

    void post(std::function<void()> task) override;
    [[nodiscard]] TaskHandle after(Seconds delay, std::function<void()> task) override;
    [[nodiscard]] TaskHandle every(Seconds interval, std::function<void()> task) override;
    [[nodiscard]] TimePoint now() const override;
    [[nodiscard]] TaskHandle watchReadable(int fd, std::function<void()> onReadable) override;
};

}  // namespace tovra
