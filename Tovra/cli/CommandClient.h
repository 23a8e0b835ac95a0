#pragma once

#include <string>

#include "CommandLine.h"

namespace tovra::cli {

/// Sends `invocation`'s command to the running instance over the session bus. What to print
/// goes to `output` (the status) or `error` (why it failed); the result is the exit status.
int sendCommand(const Invocation& invocation, std::string& output, std::string& error);

}  // namespace tovra::cli
