#include "BusName.h"

#include <cstdlib>

#include "CommandService.h"

namespace tovra::cli {

namespace {

// Bus name elements take letters, digits and '_' only, and a name at most 255 bytes.
std::string element(std::string_view text) {
    constexpr std::size_t longest = 160;
    std::string result;
    for (const char c : text.substr(0, longest)) {
        const bool plain =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        result.push_back(plain ? c : '_');
    }
    return result;
}

// ":0", ":0.0" and "unix:0" are one display; the screen after the dot does not matter.
std::string x11Element(std::string_view display) {
    const auto colon = display.rfind(':');
    if (colon == std::string_view::npos) {
        return element(display);
    }
    std::string_view host = display.substr(0, colon);
    std::string_view number = display.substr(colon + 1);
    number = number.substr(0, number.find('.'));
    if (host == "unix" || host == "localhost") {
        host = {};
    }
    return host.empty() ? element(number) : element(host) + "_" + element(number);
}

std::string_view environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string_view(value) : std::string_view();
}

bool waylandSession() {
    return !environment("WAYLAND_DISPLAY").empty() && environment("XDG_SESSION_TYPE") != "x11";
}

}  // namespace

std::string busNameFor(std::string_view x11Display, std::string_view waylandDisplay,
                       bool waylandSession) {
    const std::string base = applicationId;
    if (waylandSession && !waylandDisplay.empty()) {
        return base + ".wayland_" + element(waylandDisplay);
    }
    if (!x11Display.empty()) {
        return base + ".x11_" + x11Element(x11Display);
    }
    return base;
}

std::string busName(std::string_view displayOption) {
    if (!displayOption.empty()) {
        return busNameFor(displayOption, {}, false);
    }
    return busNameFor(environment("DISPLAY"), environment("WAYLAND_DISPLAY"), waylandSession());
}

std::string displayDescription(std::string_view displayOption) {
    if (!displayOption.empty()) {
        return "display " + std::string(displayOption);
    }
    if (waylandSession()) {
        return "Wayland display " + std::string(environment("WAYLAND_DISPLAY"));
    }
    if (!environment("DISPLAY").empty()) {
        return "display " + std::string(environment("DISPLAY"));
    }
    return "this session";
}

}  // namespace tovra::cli
