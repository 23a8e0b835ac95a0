#pragma once

#include <memory>
#include <string>
#include <vector>

#include "BackgroundProcess.h"
#include "PhysicalKeyboard.h"

namespace tovra::test {

/// A paste target running beside a test: a text widget that prints its text and quits on its
/// finishing key (the Qt target's field, GTK's entries: Return; a text view: F2).
class PasteTargetProcess {
  public:
    PasteTargetProcess(const std::string& program, const std::string& initialText)
        : process_({program, initialText}) {}
    PasteTargetProcess(const std::vector<std::string>& argv, std::string finishKey)
        : process_(argv), finishKey_(std::move(finishKey)) {}

    [[nodiscard]] bool isRunning() { return process_.isRunning(); }
    [[nodiscard]] pid_t pid() const { return process_.pid(); }
    /// Presses the finishing key and returns what the widget held.
    std::string finish(PhysicalKeyboard& keyboard);

  private:
    BackgroundProcess process_;
    std::string finishKey_ = "Return";
};

}  // namespace tovra::test
