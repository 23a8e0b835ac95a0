#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tovra {

/// The chord an application pastes the clipboard with. Terminals read Ctrl+V as "insert the next
/// character literally", so the queue pastes there with the terminal's own key.
enum class PasteKeyStyle {
    controlV,       // every other application
    controlShiftV,  // most terminals
    controlAltV,    // urxvt
    none,           // xterm: no key pastes the clipboard
};

/// Which applications are terminals and how each pastes, by application id or window class,
/// with the user's own choices on top.
class TerminalCatalog {
  public:
    struct KnownTerminal {
        std::string_view word;  // whole parts of an id, as `applicationIdMentions` matches
        PasteKeyStyle style;
    };
    /// Checked in order; the first that the id mentions decides.
    static const std::vector<KnownTerminal>& knownTerminals();

    [[nodiscard]] PasteKeyStyle styleFor(const std::optional<std::string>& applicationId) const;

    /// Ids the user marks as terminals (pasting with Ctrl+Shift+V) or as not terminals; whole
    /// ids, compared without letter case. A later mark of the same id replaces the earlier.
    void markAsTerminal(std::string_view applicationId, bool isTerminal);
    void clearMark(std::string_view applicationId);
    [[nodiscard]] const std::set<std::string>& markedTerminals() const { return terminals_; }
    [[nodiscard]] const std::set<std::string>& markedNonTerminals() const { return nonTerminals_; }

  private:
    std::set<std::string> terminals_;
    std::set<std::string> nonTerminals_;
};

}  // namespace tovra
