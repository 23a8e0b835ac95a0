#pragma once

#include <functional>
#include <optional>
#include <string>

#include "ShortcutBindings.h"
#include "Tovra/core/TerminalCatalog.h"
#include "platform/KeyboardTap.h"

namespace tovra {

/// The modifiers (with V) that paste from the queue in an application of `style`, and the
/// shortcut that bursts there; Tovra types the paste chord itself for a burst or a paste from the
/// menu.
struct PasteChords {
    /// Nothing where no key pastes the clipboard.
    std::optional<unsigned> paste;
    KeyboardTap::Shortcut burst;
};
/// `burst` is the user's burst shortcut; where it is the application's own paste key (a
/// terminal's Ctrl+Shift+V), the burst moves to Ctrl+Alt+Shift+V.
[[nodiscard]] PasteChords pasteChordsFor(PasteKeyStyle style, KeyboardTap::Shortcut burst);

/// What one key-down means to the queue.
struct KeyCommand {
    enum class Kind {
        toggleQueue,
        copy,
        clearFromOverlay,
        dropNext,
        swapEnds,
        selectStack,
        revealOverlay,
        togglePinNext,
        moveNextDown,
        moveNextUp,
        burstPaste,
        syntheticPaste,
        paste,
        /// A paste key where no key pastes the clipboard (xterm): it passes, and nothing is staged.
        pasteUnavailable,
    };

    Kind kind;
    /// 0, 1 or 2 for `selectStack`.
    int stackIndex = 0;

    /// Modifiers must match exactly (an extra Shift makes Command + Shift + C no copy), while
    /// lock keys never count. Which chords paste and burst follows how the application in front
    /// pastes: `style` is asked only for a paste key or the burst shortcut.
    static std::optional<KeyCommand> classify(
        const KeyPress& press, const ShortcutBindings& bindings,
        const std::function<PasteKeyStyle()>& style = [] { return PasteKeyStyle::controlV; });
    /// Whether a key-down is V with Ctrl, a key some application pastes with.
    [[nodiscard]] static bool isPasteChord(const KeyPress& press);
    /// The global commands (Ctrl+Shift+S, the Ctrl+Alt keys, a copy) act in Tovra's own windows
    /// too; paste keys and Escape are those windows' own there.
    [[nodiscard]] bool actsInOwnWindows() const;

    friend bool operator==(const KeyCommand&, const KeyCommand&) = default;
};

}  // namespace tovra
