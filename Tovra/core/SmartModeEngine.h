#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "QueueMode.h"

namespace tovra {

/// Learned evidence for one application; scores never go below zero.
struct SmartModeStats {
    int fifoScore = 0;
    int lifoScore = 0;

    friend bool operator==(const SmartModeStats&, const SmartModeStats&) = default;
};

/// Chooses oldest-first or newest-first per application for queues in smart mode. Precedence: a
/// mode the user picked in that application, then what earlier smart pastes there taught it, then
/// a word list of terminal and developer applications, which get newest-first. Contexts are
/// application ids; they share one key when they differ only in letter case.
class SmartModeEngine {
  public:
    /// The eight words of the original list, then the Linux names of the same kinds of application.
    /// Each is matched as whole parts of the id (`applicationIdMentions`), never inside a word.
    static constexpr std::array<std::string_view, 28> lifoContextHints{
        "terminal",   "iterm",     "warp",      "xcode",   "visual-studio-code",
        "sublime",    "zed",       "cursor",    "konsole", "xterm",
        "kitty",      "alacritty", "tilix",     "foot",    "wezterm",
        "urxvt",      "jetbrains", "code",      "console", "ptyxis",
        "terminator", "ghostty",   "guake",     "tilda",   "yakuake",
        "st",         "kgx",       "footclient"};

    SmartModeEngine() = default;
    SmartModeEngine(const SmartModeEngine&) = delete;
    SmartModeEngine& operator=(const SmartModeEngine&) = delete;

    /// The engine all stacks share: learning in one stack applies to the same application in
    /// every stack. Tests reset it with `resetLearning`.
    static SmartModeEngine& shared();

    /// The lower-cased context, or nothing for an absent context or one empty after lower-casing.
    static std::optional<std::string> contextKey(const std::optional<std::string>& context);

    /// `fifo` or `lifo`, never `smart`.
    [[nodiscard]] QueueMode resolve(const std::optional<std::string>& context) const;
    /// Reinforces the order a smart paste used in this context.
    void recordPaste(QueueMode mode, const std::optional<std::string>& context);
    /// Remembers the user's explicit choice for this context; `smart` forgets it.
    void setOverride(QueueMode mode, const std::optional<std::string>& context);
    /// Forgets every override and everything learned.
    void resetLearning();

    [[nodiscard]] std::optional<QueueMode> overrideFor(
        const std::optional<std::string>& context) const;
    [[nodiscard]] std::optional<SmartModeStats> statsFor(
        const std::optional<std::string>& context) const;

  private:
    std::unordered_map<std::string, QueueMode> overrides_;
    std::unordered_map<std::string, SmartModeStats> stats_;
};

}  // namespace tovra
