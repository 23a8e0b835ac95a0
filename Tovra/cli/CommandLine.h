#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovra::cli {

/// What `tovra <command>` asks the running instance to do.
enum class Command {
    toggle,
    on,
    off,
    pasteNext,
    pasteAll,
    showQueue,
    showOverlay,
    preferences,
    stack,
    clear,
    quit,
    status,
};

/// What a command line asks for.
struct Invocation {
    enum class Kind { run, help, version, command, usageError };
    Kind kind = Kind::run;
    std::optional<Command> command;
    int stack = 0;      // `stack N`: 1 to 3
    std::string error;  // usageError: what was wrong, for the first line on stderr
    /// --start: a command starts Tovra when none runs for this display, then is done.
    bool startIfNeeded = false;
    /// --debug: the started Tovra's status also says how many bytes of copies it holds.
    bool debug = false;
    /// Qt's -display NAME: the X display to run on, and so the instance a command reaches.
    std::string display;
};

/// Reads the arguments after the program name.
Invocation parse(const std::vector<std::string>& arguments);
/// The command's name on the command line ("paste-next").
std::string_view commandName(Command command);
/// The text `--help` prints.
std::string usage();

/// Exit statuses: done; the instance could not be reached or did not do it; a wrong command line.
inline constexpr int exitDone = 0;
inline constexpr int exitFailed = 1;
inline constexpr int exitUsage = 2;

}  // namespace tovra::cli
