#include "KeyCommand.h"

namespace tovra {

namespace {
constexpr unsigned maskedModifiers = command | shift | option | control;
}  // namespace

std::optional<KeyCommand> KeyCommand::classify(const KeyPress& press) {
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
    if (key == Key::v && modifiers == command) {
        return KeyCommand{press.synthetic ? syntheticPaste : paste};
    }
    if (key == Key::v && modifiers == (command | shift)) {
        return KeyCommand{burstPaste};
    }
    return std::nullopt;
}

}  // namespace tovra
