#include "CommandLine.h"

#include <array>
#include <utility>

namespace tovra::cli {

namespace {

constexpr std::array<std::pair<Command, std::string_view>, 12> names{{
    {Command::toggle, "toggle"},
    {Command::on, "on"},
    {Command::off, "off"},
    {Command::pasteNext, "paste-next"},
    {Command::pasteAll, "paste-all"},
    {Command::showQueue, "show-queue"},
    {Command::showOverlay, "show-overlay"},
    {Command::preferences, "preferences"},
    {Command::stack, "stack"},
    {Command::clear, "clear"},
    {Command::quit, "quit"},
    {Command::status, "status"},
}};

Invocation wrong(std::string error) {
    Invocation invocation;
    invocation.kind = Invocation::Kind::usageError;
    invocation.error = std::move(error);
    return invocation;
}

}  // namespace

std::string_view commandName(Command command) {
    for (const auto& [known, name] : names) {
        if (known == command) {
            return name;
        }
    }
    return {};
}

Invocation parse(const std::vector<std::string>& arguments) {
    Invocation invocation;
    if (arguments.empty()) {
        return invocation;
    }
    const std::string& first = arguments.front();
    if (first == "--help" || first == "-h") {
        invocation.kind =
            arguments.size() == 1 ? Invocation::Kind::help : Invocation::Kind::usageError;
        invocation.error =
            invocation.kind == Invocation::Kind::help ? "" : "--help takes no arguments";
        return invocation;
    }
    if (first == "--version") {
        invocation.kind =
            arguments.size() == 1 ? Invocation::Kind::version : Invocation::Kind::usageError;
        invocation.error =
            invocation.kind == Invocation::Kind::version ? "" : "--version takes no arguments";
        return invocation;
    }
    if (first.starts_with('-')) {
        return wrong("unknown option '" + first + "'");
    }
    for (const auto& [command, name] : names) {
        if (first != name) {
            continue;
        }
        if (command == Command::stack) {
            if (arguments.size() != 2 || arguments[1].size() != 1 || arguments[1][0] < '1' ||
                arguments[1][0] > '3') {
                return wrong("'stack' takes the stack's number: 1, 2 or 3");
            }
            invocation.stack = arguments[1][0] - '0';
        } else if (arguments.size() != 1) {
            return wrong("'" + first + "' takes no arguments");
        }
        invocation.kind = Invocation::Kind::command;
        invocation.command = command;
        return invocation;
    }
    return wrong("unknown command '" + first + "'");
}

std::string usage() {
    return "Usage: tovra [COMMAND]\n"
           "\n"
           "Without a command, starts Tovra (or brings the running one forward).\n"
           "\n"
           "Commands for the running Tovra:\n"
           "  toggle         switch the queue on or off\n"
           "  on, off        switch the queue on, or off (which empties it)\n"
           "  paste-next     paste the next item into the focused window\n"
           "  paste-all      paste the whole stack, joined by the separator\n"
           "  show-queue     open the queue panel\n"
           "  show-overlay   show the overlay\n"
           "  preferences    open the preferences\n"
           "  stack 1|2|3    make that stack the active one\n"
           "  clear          empty the active stack\n"
           "  quit           quit Tovra (the queue is emptied)\n"
           "  status         print on/off, the active stack, the item count, the mode and\n"
           "                 the bytes of copied content held in memory\n"
           "\n"
           "Options:\n"
           "  -h, --help     print this help\n"
           "  --version      print the version\n"
           "\n"
           "Exit status: 0 done, 1 Tovra could not be reached or could not do it, 2 a wrong\n"
           "command line.\n";
}

}  // namespace tovra::cli
