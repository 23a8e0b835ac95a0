#pragma once

#include <optional>

#include "platform/KeyboardTap.h"

namespace tovra {

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
    };

    Kind kind;
    /// 0, 1 or 2 for `selectStack`.
    int stackIndex = 0;

    /// The first matching rule wins; modifiers must match exactly (an extra Shift makes Command
    /// + Shift + C no copy), while lock keys never count.
    static std::optional<KeyCommand> classify(const KeyPress& press);

    friend bool operator==(const KeyCommand&, const KeyCommand&) = default;
};

}  // namespace tovra
