#include "ShortcutBindings.h"

#include <algorithm>

#include "platform/KeyNames.h"

namespace tovra {

namespace {

using Shortcut = KeyboardTap::Shortcut;
constexpr unsigned anyModifier = command | shift | option | control;

struct ActionInfo {
    ShortcutAction action;
    std::string_view settingName;
    std::string_view title;
    Shortcut shortcut;
    bool overlay;
};

constexpr std::array<ActionInfo, ShortcutBindings::actionCount> actionTable{{
    {ShortcutAction::burstPaste,
     "burst-paste",
     "Paste the whole stack",
     {Key::v, command | shift},
     false},
    {ShortcutAction::toggleQueue,
     "toggle-queue",
     "Turn the queue on or off",
     {Key::s, command | shift},
     false},
    {ShortcutAction::revealOverlay,
     "show-overlay",
     "Show the stack",
     {Key::p, command | option},
     false},
    {ShortcutAction::selectStack1,
     "stack-1",
     "Switch to stack 1",
     {Key::digit1, command | option},
     false},
    {ShortcutAction::selectStack2,
     "stack-2",
     "Switch to stack 2",
     {Key::digit2, command | option},
     false},
    {ShortcutAction::selectStack3,
     "stack-3",
     "Switch to stack 3",
     {Key::digit3, command | option},
     false},
    {ShortcutAction::clearFromOverlay,
     "clear",
     "Clear the shown stack",
     {Key::escape, noModifier},
     true},
    {ShortcutAction::dropNext, "drop-next", "Drop the next item", {Key::x, command | option}, true},
    {ShortcutAction::swapEnds,
     "swap-ends",
     "Swap the first and last items",
     {Key::w, command | option},
     true},
    {ShortcutAction::togglePinNext,
     "pin-next",
     "Pin or unpin the next item",
     {Key::l, command | option},
     true},
    {ShortcutAction::moveNextUp,
     "move-up",
     "Move the next item up",
     {Key::upArrow, command | option},
     true},
    {ShortcutAction::moveNextDown,
     "move-down",
     "Move the next item down",
     {Key::downArrow, command | option},
     true},
}};

const ActionInfo& infoOf(ShortcutAction action) {
    return actionTable[static_cast<std::size_t>(action)];
}

// Every chord an application pastes with (Ctrl+V, a terminal's Ctrl+Shift+V, urxvt's
// Ctrl+Alt+V) and the terminals' burst: none may run another command.
bool isPasteKey(const Shortcut& shortcut) {
    return shortcut.key == Key::v && (shortcut.modifiers & command) != 0 &&
           (shortcut.modifiers & control) == 0;
}

bool isTypedKey(Key key) {
    return key <= Key::digit9;  // letters and digits
}

std::string displayKeyName(Key key) {
    std::string name(keyName(key));
    if (name.empty()) {
        return "?";
    }
    name[0] = static_cast<char>(name[0] >= 'a' && name[0] <= 'z' ? name[0] - 'a' + 'A' : name[0]);
    return name;
}

constexpr std::array<std::pair<Modifier, std::string_view>, 4> modifierLabels{{
    {command, "Ctrl"},
    {control, "Super"},
    {option, "Alt"},
    {shift, "Shift"},
}};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        };
        return lower(x) == lower(y);
    });
}

}  // namespace

std::string shortcutName(const Shortcut& shortcut) {
    std::string name;
    for (const auto& [modifier, label] : modifierLabels) {
        if ((shortcut.modifiers & modifier) != 0) {
            name.append(label).append("+");
        }
    }
    return name + displayKeyName(shortcut.key);
}

std::optional<Shortcut> parseShortcut(std::string_view text) {
    unsigned modifiers = noModifier;
    while (true) {
        const auto plus = text.find('+');
        const std::string_view part = text.substr(0, plus);
        if (plus == std::string_view::npos) {
            const auto key = keyNamed(part);
            return key ? std::optional<Shortcut>(Shortcut{*key, modifiers}) : std::nullopt;
        }
        const auto modifier =
            std::find_if(modifierLabels.begin(), modifierLabels.end(),
                         [&](const auto& label) { return equalsIgnoringCase(label.second, part); });
        if (modifier == modifierLabels.end() || (modifiers & modifier->first) != 0) {
            return std::nullopt;
        }
        modifiers |= modifier->first;
        text.remove_prefix(plus + 1);
    }
}

const std::array<ShortcutAction, ShortcutBindings::actionCount>& ShortcutBindings::actions() {
    static const auto all = [] {
        std::array<ShortcutAction, actionCount> list{};
        for (std::size_t i = 0; i < actionCount; ++i) {
            list[i] = actionTable[i].action;
        }
        return list;
    }();
    return all;
}

std::array<Shortcut, ShortcutBindings::actionCount> ShortcutBindings::defaults() {
    std::array<Shortcut, actionCount> shortcuts{};
    for (std::size_t i = 0; i < actionCount; ++i) {
        shortcuts[i] = actionTable[i].shortcut;
    }
    return shortcuts;
}

Shortcut ShortcutBindings::defaultFor(ShortcutAction action) {
    return infoOf(action).shortcut;
}

std::string_view ShortcutBindings::settingName(ShortcutAction action) {
    return infoOf(action).settingName;
}

std::optional<ShortcutAction> ShortcutBindings::actionNamed(std::string_view name) {
    for (const ActionInfo& info : actionTable) {
        if (info.settingName == name) {
            return info.action;
        }
    }
    return std::nullopt;
}

std::string_view ShortcutBindings::title(ShortcutAction action) {
    return infoOf(action).title;
}

bool ShortcutBindings::isOverlayAction(ShortcutAction action) {
    return infoOf(action).overlay;
}

Shortcut ShortcutBindings::of(ShortcutAction action) const {
    return bound_[index(action)];
}

std::optional<ShortcutAction> ShortcutBindings::actionFor(const Shortcut& shortcut) const {
    const Shortcut plain{shortcut.key, shortcut.modifiers & anyModifier};
    if (plain.key == Key::other) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < actionCount; ++i) {
        if (bound_[i] == plain) {
            return actionTable[i].action;
        }
    }
    return std::nullopt;
}

std::optional<std::string> ShortcutBindings::bind(ShortcutAction action, Shortcut shortcut) {
    shortcut.modifiers &= anyModifier;
    const std::string name = shortcutName(shortcut);
    if (shortcut.key == Key::other) {
        return std::string("That key cannot be a shortcut.");
    }
    if (shortcut.key == Key::c && shortcut.modifiers == command) {
        return name + " copies in every application.";
    }
    // A terminal's Ctrl+Shift+V may burst elsewhere: there the burst moves to Ctrl+Alt+Shift+V.
    const bool terminalPasteAsBurst =
        action == ShortcutAction::burstPaste && shortcut == Shortcut{Key::v, command | shift};
    if (isPasteKey(shortcut) && !terminalPasteAsBurst) {
        return name + " is a paste key of applications.";
    }
    if (shortcut.key >= Key::f1 && shortcut.key <= Key::f12 &&
        (shortcut.modifiers & (command | option)) == (command | option)) {
        return name + " switches to another console.";  // the display server takes it first
    }
    if ((shortcut.modifiers & (command | option | control)) == 0 &&
        (isTypedKey(shortcut.key) || !isOverlayAction(action))) {
        return "Add Ctrl, Alt or Super: " + name + " alone belongs to every application.";
    }
    if (const auto other = actionFor(shortcut); other && *other != action) {
        return name + " already does \u201C" + std::string(title(*other)) + "\u201D.";
    }
    bound_[index(action)] = shortcut;
    return std::nullopt;
}

KeyboardTap::ShortcutSet ShortcutBindings::intercepted() const {
    KeyboardTap::ShortcutSet set;
    const auto add = [](std::vector<Shortcut>& list, const Shortcut& shortcut) {
        if (std::find(list.begin(), list.end(), shortcut) == list.end()) {
            list.push_back(shortcut);
        }
    };
    // The paste grab comes first: without it the tap does not start.
    add(set.always, {Key::v, command});
    add(set.always, {Key::v, command | shift});   // terminals' paste key
    add(set.always, {Key::v, command | option});  // urxvt's paste key
    if (of(ShortcutAction::burstPaste) == Shortcut{Key::v, command | shift}) {
        add(set.always, {Key::v, command | option | shift});  // the burst in terminals
    }
    for (const ActionInfo& info : actionTable) {
        if (of(info.action).key != Key::other) {
            add(info.overlay ? set.overlayOnly : set.always, of(info.action));
        }
    }
    return set;
}

std::map<std::string, std::string> ShortcutBindings::changed() const {
    std::map<std::string, std::string> settings;
    for (const ActionInfo& info : actionTable) {
        if (of(info.action) != info.shortcut) {
            settings.emplace(info.settingName, shortcutName(of(info.action)));
        }
    }
    return settings;
}

ShortcutBindings ShortcutBindings::fromSettings(const std::map<std::string, std::string>& settings,
                                                std::vector<std::string>* problems) {
    ShortcutBindings bindings;
    const auto complain = [&](std::string problem) {
        if (problems != nullptr) {
            problems->push_back(std::move(problem));
        }
    };
    // Bound in two rounds, so that two commands trading their shortcuts are read as written.
    std::vector<std::pair<ShortcutAction, Shortcut>> wanted;
    for (const auto& [name, value] : settings) {
        const auto action = actionNamed(name);
        const auto shortcut = parseShortcut(value);
        if (!action || !shortcut) {
            complain(name + "=" + value + ": not a shortcut Tovra knows");
            continue;
        }
        wanted.emplace_back(*action, *shortcut);
    }
    for (const auto& [action, shortcut] : wanted) {
        bindings.bound_[index(action)] = Shortcut{Key::other, noModifier};
    }
    for (const auto& [action, shortcut] : wanted) {
        if (const auto refused = bindings.bind(action, shortcut)) {
            complain(std::string(settingName(action)) + ": " + *refused);
        }
    }
    // A refused entry, or one whose default another now has, keeps nothing: back to default
    // where that is free, else left without a shortcut.
    for (const auto& [action, shortcut] : wanted) {
        if (bindings.of(action).key == Key::other) {
            const auto fallback = defaultFor(action);
            if (!bindings.actionFor(fallback)) {
                bindings.bound_[index(action)] = fallback;
            }
        }
    }
    return bindings;
}

}  // namespace tovra
