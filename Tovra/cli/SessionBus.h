#pragma once

#include <optional>
#include <string>

namespace tovra::cli {

/// The D-Bus session bus's address, found as libdbus finds it ($DBUS_SESSION_BUS_ADDRESS,
/// else the user bus at $XDG_RUNTIME_DIR/bus) but never by starting a bus: libdbus and Qt
/// would otherwise spawn dbus-launch, whose daemons outlive the program.
std::optional<std::string> sessionBusAddress();

/// Points this process, and what it starts, at `sessionBusAddress()`, or at no bus at all
/// ("disabled:") when there is none. Before anything connects to the bus.
void settleSessionBus();

}  // namespace tovra::cli
