#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/KeyboardTap.h"

namespace tovra {

/// Tovra's own commands, each on a shortcut the user may choose. Pasting the next item is not
/// among them: it is the application's own paste key, which Tovra only lets through later.
enum class ShortcutAction {
    burstPaste,
    toggleQueue,
    revealOverlay,
    selectStack1,
    selectStack2,
    selectStack3,
    clearFromOverlay,
    dropNext,
    swapEnds,
    togglePinNext,
    moveNextUp,
    moveNextDown,
};

/// A shortcut as the user reads it: "Ctrl+Alt+P".
[[nodiscard]] std::string shortcutName(const KeyboardTap::Shortcut& shortcut);
/// Reads what `shortcutName` writes, in any case; nothing for anything else.
[[nodiscard]] std::optional<KeyboardTap::Shortcut> parseShortcut(std::string_view text);

/// Which shortcut runs each command, today's defaults unless the user chose another.
class ShortcutBindings {
  public:
    using Shortcut = KeyboardTap::Shortcut;
    static constexpr std::size_t actionCount = 12;

    /// In the order Preferences lists them.
    [[nodiscard]] static const std::array<ShortcutAction, actionCount>& actions();
    [[nodiscard]] static Shortcut defaultFor(ShortcutAction action);
    /// The command's name in the settings file: "burst-paste".
    [[nodiscard]] static std::string_view settingName(ShortcutAction action);
    [[nodiscard]] static std::optional<ShortcutAction> actionNamed(std::string_view name);
    /// What the command does, as Preferences lists it.
    [[nodiscard]] static std::string_view title(ShortcutAction action);
    /// Acts on the shown overlay: its shortcut is taken from applications only while it shows.
    [[nodiscard]] static bool isOverlayAction(ShortcutAction action);

    [[nodiscard]] Shortcut of(ShortcutAction action) const;
    [[nodiscard]] std::optional<ShortcutAction> actionFor(const Shortcut& shortcut) const;
    /// Binds `action` to `shortcut`; when refused, why (as the user reads it), and nothing
    /// changes. Refused: the keys applications copy and paste with, a key without Ctrl, Alt or
    /// Super outside the overlay's commands, and a shortcut another command has.
    std::optional<std::string> bind(ShortcutAction action, Shortcut shortcut);
    void reset(ShortcutAction action) { bound_[index(action)] = defaultFor(action); }

    /// What the tap takes from applications: every paste key first, then the commands'.
    [[nodiscard]] KeyboardTap::ShortcutSet intercepted() const;
    /// The bindings that differ from the defaults, by setting name, as "Ctrl+Alt+P".
    [[nodiscard]] std::map<std::string, std::string> changed() const;
    /// Reads what `changed` wrote. An entry it cannot use keeps its command's default and is
    /// named in `problems`.
    static ShortcutBindings fromSettings(const std::map<std::string, std::string>& settings,
                                         std::vector<std::string>* problems = nullptr);

    friend bool operator==(const ShortcutBindings&, const ShortcutBindings&) = default;

  private:
    static std::size_t index(ShortcutAction action) { return static_cast<std::size_t>(action); }
    std::array<Shortcut, actionCount> bound_ = defaults();
    static std::array<Shortcut, actionCount> defaults();
};

}  // namespace tovra
