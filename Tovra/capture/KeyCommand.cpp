#include "KeyCommand.h"

namespace tovra {

namespace {
constexpr unsigned maskedModifiers = command | shift | option | control;
}  // namespace

PasteChords pasteChordsFor(PasteKeyStyle style) {
    // Ctrl+Shift+V pastes in terminals, so the burst moves to Ctrl+Alt+Shift+V there.
    constexpr unsigned terminalBurst = command | option | shift;
    switch (style) {
        case PasteKeyStyle::controlV:
            return {command, command | shift};
        case PasteKeyStyle::controlShiftV:
            return {command | shift, terminalBurst};
        case PasteKeyStyle::controlAltV:
            return {command | option, terminalBurst};
        case PasteKeyStyle::none:
            return {std::nullopt, terminalBurst};
    }
    return {command, command | shift};
}

std::string shortcutName(const KeyboardTap::Shortcut& shortcut) {
    std::string name;
    for (const auto& [modifier, label] : {std::pair{command, "Ctrl+"}, std::pair{control, "Super+"},
                                          std::pair{option, "Alt+"}, std::pair{shift, "Shift+"}}) {
        if ((shortcut.modifiers & modifier) != 0) {
            name += label;
        }
    }
    switch (shortcut.key) {
        case Key::c:
            return name + "C";
        case Key::v:
            return name + "V";
        case Key::s:
            return name + "S";
        case Key::x:
            return name + "X";
        case Key::w:
            return name + "W";
        case Key::p:
            return name + "P";
        case Key::l:
            return name + "L";
        case Key::digit1:
            return name + "1";
        case Key::digit2:
            return name + "2";
        case Key::digit3:
            return name + "3";
        case Key::escape:
            return name + "Escape";
        case Key::upArrow:
            return name + "Up";
        case Key::downArrow:
            return name + "Down";
        case Key::other:
            break;
    }
    return name + "?";
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
                                               const std::function<PasteKeyStyle()>& style) {
    using enum Kind;
    const unsigned modifiers = press.modifiers & maskedModifiers;
    const Key key = press.key;

    if (key == Key::s && modifiers == (command | shift)) {
        return KeyCommand{toggleQueue};
    }
    if (key == Key::c && modifiers == command) {
        return KeyCommand{copy};
    }
    if (modifiers == (command | option)) {
        switch (key) {
            case Key::x:
                return KeyCommand{dropNext};
            case Key::w:
                return KeyCommand{swapEnds};
            case Key::digit1:
                return KeyCommand{selectStack, 0};
            case Key::digit2:
                return KeyCommand{selectStack, 1};
            case Key::digit3:
                return KeyCommand{selectStack, 2};
            case Key::p:
                return KeyCommand{revealOverlay};
            case Key::l:
                return KeyCommand{togglePinNext};
            case Key::downArrow:
                return KeyCommand{moveNextDown};
            case Key::upArrow:
                return KeyCommand{moveNextUp};
            default:
                break;
        }
    }
    if (key == Key::escape && modifiers == noModifier) {
        return KeyCommand{clearFromOverlay};
    }
    if (!isPasteChord(press)) {
        return std::nullopt;
    }
    if (press.synthetic) {
        return KeyCommand{syntheticPaste};  // our own paste, come back: it goes on untouched
    }
    const PasteKeyStyle frontStyle = style();
    const PasteChords chords = pasteChordsFor(frontStyle);
    if (frontStyle == PasteKeyStyle::none &&
        (modifiers == command || modifiers == (command | shift) || modifiers == chords.burst)) {
        return KeyCommand{pasteUnavailable};
    }
    if (chords.paste && modifiers == *chords.paste) {
        return KeyCommand{paste};
    }
    if (modifiers == chords.burst) {
        return KeyCommand{burstPaste};
    }
    // Ctrl+V in a terminal, or a chord of another application: it passes untouched.
    return std::nullopt;
}

}  // namespace tovra
