#pragma once

#include <sys/types.h>

#include <string>

namespace tovra::test {

/// A private X server for one test executable. It never touches the display the tests were
/// started from: DISPLAY is replaced for this process and its children.
class XvfbServer {
  public:
    XvfbServer() = default;
    ~XvfbServer() { stop(); }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    /// Starts Xvfb on a free display and points DISPLAY at it; false with a reason on failure.
    bool start(std::string& error);
    void stop();
    [[nodiscard]] const std::string& display() const { return display_; }

  private:
    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace tovra::test
