#pragma once

#include <memory>
#include <string>

#include "BackgroundProcess.h"
#include "PhysicalKeyboard.h"

namespace tovra::test {

/// The Qt paste target running beside a test: a text field that prints its text on Return.
class PasteTargetProcess {
  public:
    PasteTargetProcess(const std::string& program, const std::string& initialText)
        : process_({program, initialText}) {}

    [[nodiscard]] bool isRunning() { return process_.isRunning(); }
    [[nodiscard]] pid_t pid() const { return process_.pid(); }
    /// Presses Return and returns what the field held.
    std::string finish(PhysicalKeyboard& keyboard);

  private:
    BackgroundProcess process_;
};

}  // namespace tovra::test
