#include "GnomeWorkspace.h"

#include <charconv>
#include <string>

namespace tovra {

namespace {

template <typename Number>
std::optional<Number> number(std::string_view text) {
    Number value{};
    if (std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc{}) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

GnomeWorkspace::GnomeWorkspace(GnomeBridge& bridge) : bridge_(bridge) {
    bridge_.on("focus", [this](const GnomeBridge::Fields& fields) { onFocus(fields); });
    bridge_.on("closed", [this](const GnomeBridge::Fields& fields) {
        if (const auto window =
                fields.size() == 2 ? number<std::uint64_t>(fields[1]) : std::nullopt) {
            open_.erase(*window);
            if (frontmost_ && frontmost_->window == *window) {
                frontmost_.reset();
            }
        }
    });
    bridge_.onConnectionChanged([this](bool connected) {
        if (!connected) {
            frontmost_.reset();
            open_.clear();
        }
    });
}

void GnomeWorkspace::onFocus(const GnomeBridge::Fields& fields) {
    // focus WINDOW PID APPID, "-" for what the window does not tell; "focus -" when the shell
    // itself has the keyboard.
    const auto window = fields.size() == 4 ? number<std::uint64_t>(fields[1]) : std::nullopt;
    if (!window) {
        frontmost_.reset();
        return;
    }
    FrontmostApplication application;
    application.window = *window;
    application.pid = number<std::int64_t>(fields[2]);
    if (fields[3] != "-") {
        application.id = std::string(fields[3]);
    }
    open_.insert(*window);
    frontmost_ = std::move(application);
}

bool GnomeWorkspace::activate(const FrontmostApplication& application) {
    if (open_.count(application.window) == 0 || !bridge_.isConnected()) {
        return false;
    }
    bridge_.send("activate " + std::to_string(application.window));
    return true;
}

}  // namespace tovra
