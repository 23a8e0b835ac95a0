#include "PlatformFactory.h"

#include <cstdlib>
#include <string_view>

#include "platform/NullPlatform.h"
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
            options.openHelp = std::move(request.openHelp);
            options.lost = std::move(request.sessionEnded);
            auto platform = std::make_unique<WaylandPlatform>(
                std::move(connection), mainQueue, std::move(options), std::move(instance));
            const bool reaches = platform->waylandPasteboard().isAvailable();
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
