#include "KeyCommand.h"

namespace tovra {

namespace {
constexpr unsigned maskedModifiers = command | shift | option | control;
}  // namespace

PasteChords pasteChordsFor(PasteKeyStyle style, KeyboardTap::Shortcut burst) {
    using Shortcut = KeyboardTap::Shortcut;
    const Shortcut terminalBurst{Key::v, command | option | shift};
    // Terminals paste with Ctrl+Shift+V: a burst there keeps to Ctrl+Alt+Shift+V.
    const Shortcut terminalBurstFor =
        burst == Shortcut{Key::v, command | shift} ? terminalBurst : burst;
    switch (style) {
        case PasteKeyStyle::controlV:
            return {command, burst};
        case PasteKeyStyle::controlShiftV:
            return {command | shift, terminalBurstFor};
        case PasteKeyStyle::controlAltV:
            return {command | option, terminalBurstFor};
        case PasteKeyStyle::none:
            return {std::nullopt, terminalBurstFor};
    }
    return {command, burst};
}

bool KeyCommand::actsInOwnWindows() const {
    switch (kind) {
        case Kind::paste:
        case Kind::burstPaste:
        case Kind::syntheticPaste:
        case Kind::pasteUnavailable:
        case Kind::clearFromOverlay:
            return false;
        default:
            return true;
    }
}

bool KeyCommand::isPasteChord(const KeyPress& press) {
    const unsigned modifiers = press.modifiers & maskedModifiers;
    return press.key == Key::v && (modifiers & command) != 0 && (modifiers & control) == 0;
}

std::optional<KeyCommand> KeyCommand::classify(const KeyPress& press,
                                               const ShortcutBindings& bindings,
                                               const std::function<PasteKeyStyle()>& style) {
    using enum Kind;
    const unsigned modifiers = press.modifiers & maskedModifiers;
    const KeyboardTap::Shortcut pressed{press.key, modifiers};
    const KeyboardTap::Shortcut burst = bindings.of(ShortcutAction::burstPaste);

    if (press.key == Key::c && modifiers == command) {
        return KeyCommand{copy};
    }
    if (const auto action = bindings.actionFor(pressed);
        action && *action != ShortcutAction::burstPaste) {
        switch (*action) {
            case ShortcutAction::toggleQueue:
                return KeyCommand{toggleQueue};
            case ShortcutAction::revealOverlay:
                return KeyCommand{revealOverlay};
            case ShortcutAction::selectStack1:
                return KeyCommand{selectStack, 0};
            case ShortcutAction::selectStack2:
                return KeyCommand{selectStack, 1};
            case ShortcutAction::selectStack3:
                return KeyCommand{selectStack, 2};
            case ShortcutAction::clearFromOverlay:
                return KeyCommand{clearFromOverlay};
            case ShortcutAction::dropNext:
                return KeyCommand{dropNext};
            case ShortcutAction::swapEnds:
                return KeyCommand{swapEnds};
            case ShortcutAction::togglePinNext:
                return KeyCommand{togglePinNext};
            case ShortcutAction::moveNextUp:
                return KeyCommand{moveNextUp};
            case ShortcutAction::moveNextDown:
                return KeyCommand{moveNextDown};
            case ShortcutAction::burstPaste:
                break;
        }
    }
    const bool pasteChord = isPasteChord(press);
    if (!pasteChord && pressed != burst) {
        return std::nullopt;
    }
    if (press.synthetic && pasteChord) {
        return KeyCommand{syntheticPaste};  // our own paste, come back: it goes on untouched
    }
    const PasteKeyStyle frontStyle = style();
    const PasteChords chords = pasteChordsFor(frontStyle, burst);
    if (frontStyle == PasteKeyStyle::none &&
        (modifiers == command || modifiers == (command | shift) || pressed == burst ||
         pressed == chords.burst)) {
        return KeyCommand{pasteUnavailable};
    }
    if (pasteChord && chords.paste && modifiers == *chords.paste) {
        return KeyCommand{paste};
    }
    if (pressed == chords.burst) {
        return KeyCommand{burstPaste};
    }
    // Ctrl+V in a terminal, or a chord of another application: it passes untouched.
    return std::nullopt;
}

}  // namespace tovra
