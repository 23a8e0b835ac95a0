#include "SessionBus.h"

#include <sys/stat.h>

#include <cstdlib>

namespace tovra::cli {

namespace {

/// A value in a D-Bus address: bytes outside the optionally-escaped set become %XX.
std::string addressValue(const std::string& text) {
    static const char* const hex = "0123456789abcdef";
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= 'A' && byte <= 'Z') || c == '-' || c == '_' || c == '/' ||
                           c == '.' || c == '\\' || c == '*';
        if (plain) {
            escaped.push_back(c);
        } else {
            escaped.push_back('%');
            escaped.push_back(hex[byte >> 4]);
            escaped.push_back(hex[byte & 0xF]);
        }
    }
    return escaped;
}

}  // namespace

std::optional<std::string> sessionBusAddress() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address != nullptr && *address != '\0') {
        const std::string named(address);
        // "autolaunch:" asks for the very thing we avoid.
        if (named.starts_with("autolaunch:") || named == "disabled:") {
            return std::nullopt;
        }
        return named;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || *runtime == '\0') {
        return std::nullopt;
    }
    const std::string socket = std::string(runtime) + "/bus";
    struct stat status {};
    if (stat(socket.c_str(), &status) != 0 || !S_ISSOCK(status.st_mode)) {
        return std::nullopt;
    }
    return "unix:path=" + addressValue(socket);
}

void settleSessionBus() {
    const auto address = sessionBusAddress();
    setenv("DBUS_SESSION_BUS_ADDRESS", address ? address->c_str() : "disabled:", 1);
}

}  // namespace tovra::cli
