#pragma once

#include <string>

#include "CommandLine.h"

namespace tovra::cli {

/// Sends `invocation`'s command to the instance of this display over the session bus. What to
/// print goes to `output` (the status) or `error` (why it failed); the result is the exit
/// status. `notRunning` is set when no instance runs for the display.
int sendCommand(const Invocation& invocation, std::string& output, std::string& error,
                bool* notRunning = nullptr);

}  // namespace tovra::cli
