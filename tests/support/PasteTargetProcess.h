#pragma once

#include <memory>
#include <string>
#include <vector>

#include "BackgroundProcess.h"
#include "PhysicalKeyboard.h"

namespace tovra::test {

/// A paste target running beside a test: a text widget (the Qt target's field, GTK's entries and
/// text view) that reports its text every time it changes, so a test waits for what it expects
/// instead of for a while.
class PasteTargetProcess {
  public:
    PasteTargetProcess(const std::string& program, const std::string& initialText);
    explicit PasteTargetProcess(const std::vector<std::string>& argv);

    [[nodiscard]] bool isRunning() { return process_->isRunning(); }
    [[nodiscard]] pid_t pid() const { return process_->pid(); }
    /// What the widget holds as last reported (its initial text until it changes).
    [[nodiscard]] std::string text();
    /// Waits until the widget holds `expected`, then a moment more in which nothing else may
    /// arrive; returns what it holds then.
    std::string shows(const std::string& expected, int timeoutMs = 5000);

  private:
    std::unique_ptr<BackgroundProcess> process_;
    std::string initial_;
};

}  // namespace tovra::test
