#include "TerminalCatalog.h"

#include "ApplicationId.h"
#include "UnicodeText.h"

namespace tovra {

const std::vector<TerminalCatalog::KnownTerminal>& TerminalCatalog::knownTerminals() {
    using enum PasteKeyStyle;
    static const std::vector<KnownTerminal> terminals{
        // xterm first: "uxterm" and "xterm" must not fall through to the generic "terminal".
        {"xterm", none},
        {"uxterm", none},
        {"urxvt", controlAltV},
        {"rxvt", controlAltV},
        {"terminal", controlShiftV},  // GNOME Terminal, xfce4-terminal, Ghostty's app id, ...
        {"kgx", controlShiftV},       // GNOME Console's old id
        {"console", controlShiftV},   // org.gnome.Console
        {"ptyxis", controlShiftV},
        {"konsole", controlShiftV},
        {"yakuake", controlShiftV},
        {"kitty", controlShiftV},
        {"alacritty", controlShiftV},
        {"wezterm", controlShiftV},
        {"tilix", controlShiftV},
        {"terminator", controlShiftV},
        {"guake", controlShiftV},
        {"tilda", controlShiftV},
        {"st", controlShiftV},  // st's class is "st-256color"
        {"ghostty", controlShiftV},
        {"foot", controlShiftV},
        {"footclient", controlShiftV},
        {"terminology", controlShiftV},
        {"sakura", controlShiftV},
        {"lxterminal", controlShiftV},
        {"qterminal", controlShiftV},
    };
    return terminals;
}

PasteKeyStyle TerminalCatalog::styleFor(const std::optional<std::string>& applicationId) const {
    if (!applicationId || applicationId->empty()) {
        return PasteKeyStyle::controlV;
    }
    const std::string key = unicode::toLower(*applicationId);
    if (nonTerminals_.contains(key)) {
        return PasteKeyStyle::controlV;
    }
    if (terminals_.contains(key)) {
        return PasteKeyStyle::controlShiftV;
    }
    for (const KnownTerminal& known : knownTerminals()) {
        if (applicationIdMentions(*applicationId, known.word)) {
            return known.style;
        }
    }
    return PasteKeyStyle::controlV;
}

void TerminalCatalog::markAsTerminal(std::string_view applicationId, bool isTerminal) {
    std::string key = unicode::toLower(applicationId);
    if (key.empty()) {
        return;
    }
    (isTerminal ? nonTerminals_ : terminals_).erase(key);
    (isTerminal ? terminals_ : nonTerminals_).insert(std::move(key));
}

void TerminalCatalog::clearMark(std::string_view applicationId) {
    const std::string key = unicode::toLower(applicationId);
    terminals_.erase(key);
    nonTerminals_.erase(key);
}

}  // namespace tovra
