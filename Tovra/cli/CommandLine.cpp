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

// Qt's own options, which QApplication takes from the command line when Tovra starts.
constexpr std::array<std::string_view, 14> qtOptionsWithValue{
    "platform",        "platformpluginpath",
    "platformtheme",   "plugin",
    "qwindowgeometry", "qwindowtitle",
    "qwindowicon",     "display",
    "style",           "stylesheet",
    "session",         "name",
    "title",           "geometry"};
constexpr std::array<std::string_view, 5> qtFlags{"reverse", "widgetcount", "nograb", "dograb",
                                                  "sync"};

// "-style", "--style" and "-style=fusion" are one option to Qt.
std::string_view qtOptionName(std::string_view option) {
    option.remove_prefix(option.starts_with("--") ? 2 : 1);
    return option.substr(0, option.find('='));
}

template <std::size_t n>
bool among(const std::array<std::string_view, n>& list, std::string_view name) {
    for (const std::string_view known : list) {
        if (known == name) {
            return true;
        }
    }
    return false;
}

Invocation wrong(std::string error) {
    Invocation invocation;
    invocation.kind = Invocation::Kind::usageError;
    invocation.error = std::move(error);
    return invocation;
}

Invocation parseCommand(const std::vector<std::string>& arguments);

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
    std::size_t at = 0;
    while (at < arguments.size() && arguments[at].size() > 1 && arguments[at][0] == '-' &&
           arguments[at] != "--help" && arguments[at] != "-h" && arguments[at] != "--version") {
        const std::string& option = arguments[at++];
        const std::string_view name = qtOptionName(option);
        if (option == "--start") {
            invocation.startIfNeeded = true;
        } else if (option == "--debug") {
            invocation.debug = true;
        } else if (among(qtOptionsWithValue, name)) {
            std::string value;
            if (const auto equals = option.find('='); equals != std::string::npos) {
                value = option.substr(equals + 1);
            } else if (at < arguments.size()) {
                value = arguments[at++];
            } else {
                return wrong("'" + option + "' needs a value");
            }
            if (name == "display") {
                invocation.display = value;
            }
        } else if (!among(qtFlags, name)) {
            return wrong("unknown option '" + option + "'");
        }
    }
    const std::vector<std::string> rest(arguments.begin() + static_cast<std::ptrdiff_t>(at),
                                        arguments.end());
    if (rest.empty()) {
        if (invocation.startIfNeeded) {
            return wrong("--start goes before a command: tovra --start show-queue");
        }
        return invocation;
    }
    Invocation command = parseCommand(rest);
    if (command.kind == Invocation::Kind::command && invocation.debug) {
        return wrong("--debug is for starting Tovra, not for a command");
    }
    if (command.kind != Invocation::Kind::command && command.kind != Invocation::Kind::usageError &&
        (invocation.startIfNeeded || invocation.debug)) {
        return wrong("'" + rest.front() + "' takes no other options");
    }
    if (command.kind == Invocation::Kind::command && invocation.startIfNeeded &&
        (command.command == Command::quit || command.command == Command::status)) {
        return wrong("--start is for commands that show or change something, not '" + rest.front() +
                     "'");
    }
    command.startIfNeeded = invocation.startIfNeeded;
    command.display = invocation.display;
    return command;
}

namespace {

Invocation parseCommand(const std::vector<std::string>& arguments) {
    Invocation invocation;
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

}  // namespace

std::string usage() {
    return "Usage: tovra [OPTIONS] [COMMAND]\n"
           "\n"
           "Without a command, starts Tovra (or brings the running one forward).\n"
           "\n"
           "Commands for the Tovra running on this display:\n"
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
           "  status         print on/off, the active stack, the item count and the mode\n"
           "\n"
           "Options:\n"
           "  --start        with a command: start Tovra first when it is not running\n"
           "  --debug        when starting: `status` also prints the bytes of copied\n"
           "                 content held in memory\n"
           "  -display NAME  the X display (Qt's options, such as -platform, are taken)\n"
           "  -h, --help     print this help\n"
           "  --version      print the version\n"
           "\n"
           "Exit status: 0 done, 1 Tovra could not be reached or could not do it, 2 a wrong\n"
           "command line.\n";
}

}  // namespace tovra::cli
