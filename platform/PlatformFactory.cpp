#include "PlatformFactory.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "platform/NullPlatform.h"
#include "platform/gnome/GnomePlatform.h"
#include "platform/wayland/WaylandPlatform.h"
#include "platform/x11/X11Platform.h"

namespace tovra {

namespace {

bool hasText(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

/// A compositor is named, and the session does not say it is X11: a compositor started from
/// a console leaves the session type "tty", and its XWayland would hide native copies from us.
bool waylandSession() {
    const char* type = std::getenv("XDG_SESSION_TYPE");
    return hasText("WAYLAND_DISPLAY") && (type == nullptr || std::string_view(type) != "x11");
}

/// GNOME Shell gives clients no clipboard of others: Tovra's extension does, where it runs.
bool gnomeSession() {
    const char* desktops = std::getenv("XDG_CURRENT_DESKTOP");
    for (std::string_view rest = desktops != nullptr ? desktops : ""; !rest.empty();) {
        const std::string_view desktop = rest.substr(0, rest.find(':'));
        if (desktop == "GNOME") {
            return true;
        }
        rest.remove_prefix(std::min(rest.size(), desktop.size() + 1));
    }
    std::error_code error;
    const std::string socket = GnomeBridge::defaultSocketPath();
    return !socket.empty() && std::filesystem::exists(socket, error);
}

}  // namespace

OpenedPlatform openPlatform(MainQueue& mainQueue, PlatformRequest request) {
    if (waylandSession()) {
        std::string error;
        if (auto connection = WaylandConnection::open(nullptr, error)) {
            auto instance =
                WaylandSingleInstance::claim(nullptr, mainQueue, std::move(request.bringForward));
            if (!instance) {
                return {OpenedPlatform::Status::alreadyRunning, nullptr, {}, true};
            }
            WaylandPlatform::Options options;
            options.pasteboard.maxBytes = request.maxPayloadBytes;
            options.openHelp = request.openHelp;
            options.lost = std::move(request.sessionEnded);
            auto platform = std::make_unique<WaylandPlatform>(
                std::move(connection), mainQueue, std::move(options), std::move(instance));
            const bool reaches = platform->waylandPasteboard().isAvailable();
            if (!reaches && gnomeSession()) {
                // The Wayland connection stays: it tells when the session ends.
                GnomePlatform::Options gnome;
                gnome.pasteboard.maxBytes = request.maxPayloadBytes;
                gnome.openHelp = std::move(request.openHelp);
                auto shell = std::make_unique<GnomePlatform>(
                    mainQueue, std::move(gnome),
                    std::shared_ptr<WaylandPlatform>(std::move(platform)));
                return {OpenedPlatform::Status::opened, std::move(shell), {}, true};
            }
            return {OpenedPlatform::Status::opened, std::move(platform), {}, reaches};
        }
        if (!hasText("DISPLAY")) {
            return {OpenedPlatform::Status::failed, nullptr, error, false};
        }
    }
    const char* display = std::getenv("DISPLAY");
    if (display != nullptr && display[0] != '\0') {
        std::string error;
        auto connection = X11Platform::connect(nullptr, mainQueue, error);
        if (connection) {
            auto instance = X11SingleInstance::claim(*connection, std::move(request.bringForward));
            if (!instance) {
                return {OpenedPlatform::Status::alreadyRunning, nullptr, {}, true};
            }
            X11Platform::Options options;
            options.pasteboard.maxBytes = request.maxPayloadBytes;
            options.openHelp = std::move(request.openHelp);
            auto platform = std::make_unique<X11Platform>(std::move(connection), mainQueue,
                                                          std::move(options), std::move(instance));
            if (request.isOwnWindow) {
                platform->x11KeyboardTap().setPassThroughFocus(
                    std::move(request.isOwnWindow), std::move(request.ownWindowMayHaveFocus));
            }
            return {OpenedPlatform::Status::opened, std::move(platform), {}, true};
        }
        if (!X11AccessibilityTrust::isWaylandSession()) {
            return {OpenedPlatform::Status::failed, nullptr, error + " " + display, false};
        }
    }
    return {OpenedPlatform::Status::opened,
            std::make_unique<NullPlatform>(std::move(request.openHelp)),
            {},
            false};
}

bool graphicalSessionPresent() {
    return hasText("DISPLAY") || hasText("WAYLAND_DISPLAY");
}

}  // namespace tovra
