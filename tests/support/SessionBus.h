#pragma once

#include <string>

#include "BackgroundProcess.h"
#include "Processes.h"

namespace tovra::test {

/// A private session bus for as long as the object lives; empty `address()` when it did not
/// start.
class SessionBus {
  public:
    SessionBus() : daemon_({"dbus-daemon", "--session", "--nofork", "--print-address=1"}) {
        if (waitUntil([&] { return daemon_.output().find('\n') != std::string::npos; }, 5000)) {
            address_ = daemon_.output().substr(0, daemon_.output().find('\n'));
        }
    }
    [[nodiscard]] const std::string& address() const { return address_; }
    /// Ends it while its clients still run.
    void stop() { daemon_.stop(); }

  private:
    BackgroundProcess daemon_;
    std::string address_;
};

}  // namespace tovra::test
