#include "GnomeKeyboardTap.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

#include "platform/KeyNames.h"

namespace tovra {

namespace {

// Command is Control, Option is Alt and Control is Super, as on X11.
constexpr std::array<std::pair<Modifier, std::string_view>, 4> modifierNames{{
    {command, "ctrl"},
    {shift, "shift"},
    {option, "alt"},
    {control, "super"},
}};

std::string modifiersName(unsigned modifiers) {
    std::string name;
    for (const auto& [modifier, text] : modifierNames) {
        if ((modifiers & modifier) != 0) {
            name += name.empty() ? "" : "+";
            name += text;
        }
    }
    return name.empty() ? "-" : name;
}

}  // namespace

GnomeKeyboardTap::GnomeKeyboardTap(GnomeBridge& bridge) : bridge_(bridge) {
    bridge_.on("press", [this](const GnomeBridge::Fields& fields) { onPress(fields); });
    bridge_.on("refused-key", [this](const GnomeBridge::Fields& fields) {
        // Another program holds that shortcut in the shell.
        if (fields.size() == 3) {
            if (const auto shortcut = parse(fields[1], fields[2]);
                shortcut && std::find(unavailable_.begin(), unavailable_.end(), *shortcut) ==
                                unavailable_.end()) {
                unavailable_.push_back(*shortcut);
                if (shortcutsChanged_) {
                    shortcutsChanged_();
                }
            }
        }
    });
    bridge_.onConnectionChanged([this](bool connected) {
        // Whatever waited for an answer was let go with the connection.
        held_.clear();
        if (connected && running_) {
            unavailable_.clear();
            grabAll();
        }
    });
}

std::string GnomeKeyboardTap::describe(const Shortcut& shortcut) {
    const std::string_view name = keyName(shortcut.key);
    return std::string(name.empty() ? "other" : name) + " " + modifiersName(shortcut.modifiers);
}

std::optional<KeyboardTap::Shortcut> GnomeKeyboardTap::parse(std::string_view key,
                                                             std::string_view modifiers) {
    const auto found = keyNamed(key);
    if (!found) {
        return std::nullopt;
    }
    unsigned mask = noModifier;
    while (modifiers != "-" && !modifiers.empty()) {
        const std::string_view part = modifiers.substr(0, modifiers.find('+'));
        const auto modifier = std::find_if(modifierNames.begin(), modifierNames.end(),
                                           [&](const auto& name) { return name.second == part; });
        if (modifier == modifierNames.end()) {
            return std::nullopt;
        }
        mask |= modifier->first;
        modifiers.remove_prefix(std::min(modifiers.size(), part.size() + 1));
    }
    return Shortcut{*found, mask};
}

bool GnomeKeyboardTap::start(Handler handler) {
    handler_ = std::move(handler);
    running_ = true;
    grabAll();
    return true;
}

void GnomeKeyboardTap::stop() {
    if (!running_) {
        return;
    }
    running_ = false;
    bridge_.send("ungrab-all");
    for (const std::uint64_t serial : std::exchange(held_, {})) {
        bridge_.send("replay " + std::to_string(serial));
    }
}

void GnomeKeyboardTap::grabAll() {
    bridge_.send("ungrab-all");
    for (const Shortcut& shortcut : shortcuts().always) {
        grab(shortcut, true);
    }
    if (overlayActive_) {
        for (const Shortcut& shortcut : shortcuts().overlayOnly) {
            grab(shortcut, true);
        }
    }
}

void GnomeKeyboardTap::shortcutsDidChange() {
    if (!running_) {
        return;
    }
    const bool hadUnavailable = !unavailable_.empty();
    unavailable_.clear();
    grabAll();  // the shell says again which ones it refuses
    if (hadUnavailable && shortcutsChanged_) {
        shortcutsChanged_();
    }
}

void GnomeKeyboardTap::grab(const Shortcut& shortcut, bool take) {
    bridge_.send(std::string(take ? "grab " : "ungrab ") + describe(shortcut));
}

void GnomeKeyboardTap::setOverlayShortcutsActive(bool active) {
    if (active == overlayActive_) {
        return;
    }
    overlayActive_ = active;
    if (!running_) {
        return;
    }
    for (const Shortcut& shortcut : shortcuts().overlayOnly) {
        grab(shortcut, active);
    }
}

void GnomeKeyboardTap::onPress(const GnomeBridge::Fields& fields) {
    // press SERIAL KEY MODIFIERS
    std::uint64_t serial = 0;
    if (fields.size() != 4 ||
        std::from_chars(fields[1].data(), fields[1].data() + fields[1].size(), serial).ec !=
            std::errc{}) {
        return;
    }
    const auto shortcut = parse(fields[2], fields[3]);
    if (!shortcut || !running_ || !handler_) {
        bridge_.send("replay " + std::to_string(serial));
        return;
    }
    held_.insert(serial);
    const KeyAnswer answer = handler_(KeyPress{shortcut->key, shortcut->modifiers, false, serial});
    if (answer == KeyAnswer::pass) {
        replayHeld(serial);
    } else if (answer == KeyAnswer::swallow) {
        swallowHeld(serial);
    }
}

void GnomeKeyboardTap::replayHeld(std::uint64_t serial) {
    if (held_.erase(serial) > 0) {
        bridge_.send("replay " + std::to_string(serial));
    }
}

void GnomeKeyboardTap::swallowHeld(std::uint64_t serial) {
    if (held_.erase(serial) > 0) {
        bridge_.send("swallow " + std::to_string(serial));
    }
}

void GnomeKeyboardTap::postSyntheticPaste(unsigned modifiers) {
    bridge_.send("type " + modifiersName(modifiers));
}

}  // namespace tovra
