#include "SettingsCommands.h"

#include <algorithm>
#include <cstdio>

#include "AppContext.h"
#include "SurfaceRefresher.h"
#include "Tovra/core/QueueManager.h"
#include "Tovra/core/SmartModeEngine.h"

namespace tovra {

void SettingsCommands::toggleHUDInteraction() {
    setHUDInteractionEnabled(!context_.settings.hudInteractionEnabled);
}

void SettingsCommands::toggleAnimations() {
    setAnimationsEnabled(!context_.settings.animationsEnabled);
}

void SettingsCommands::selectQueueMode(std::string_view raw) {
    const auto mode = fromRawValue<QueueMode>(raw);
    if (!mode) {
        return;
    }
    QueueManager& queue = context_.activeQueue();
    queue.setMode(*mode);
    const auto context = queue.smartContext() ? queue.smartContext() : context_.frontmostId();
    context_.smartEngine.setOverride(*mode, context);
    surfaces_.refresh(true);
}

void SettingsCommands::selectPrivacyMode(std::string_view raw) {
    if (const auto mode = fromRawValue<PrivacyMode>(raw)) {
        context_.settings.privacyMode = *mode;
        surfaces_.refresh(true);
    }
}

void SettingsCommands::selectBurstSeparator(std::string_view raw) {
    const auto separator = fromRawValue<BurstSeparator>(raw);
    if (!separator) {
        return;
    }
    QueueSettings& settings = context_.settings;
    settings.burstSeparator = *separator;
    Alerts* alerts = context_.surfaces.alerts;
    if (*separator == BurstSeparator::custom && alerts != nullptr) {
        if (auto text = alerts->askCustomSeparator(settings.customBurstSeparator)) {
            settings.customBurstSeparator = std::move(*text);
        }
    }
    surfaces_.refresh(true);
}

void SettingsCommands::selectQueueTimeout(std::string_view raw) {
    if (const auto timeout = fromRawValue<QueueTimeout>(raw)) {
        context_.settings.queueTimeout = *timeout;
        surfaces_.rescheduleTimeout();
        surfaces_.refreshStatus();
    }
}

void SettingsCommands::setHUDInteractionEnabled(bool enabled) {
    context_.settings.hudInteractionEnabled = enabled;
    surfaces_.refresh(true);
}

void SettingsCommands::setAnimationsEnabled(bool enabled) {
    context_.settings.animationsEnabled = enabled;
    surfaces_.refresh(true);
}

void SettingsCommands::clearSmartLearning() {
    context_.smartEngine.resetLearning();
    surfaces_.refresh(true);
}

void SettingsCommands::markApplicationAsTerminal(std::string_view applicationId, bool isTerminal) {
    context_.terminals.markAsTerminal(applicationId, isTerminal);
    surfaces_.refreshStatus();
}

void SettingsCommands::setTerminalApplications(const std::vector<std::string>& terminals,
                                               const std::vector<std::string>& nonTerminals) {
    TerminalCatalog& catalog = context_.terminals;
    for (const auto& marked : {catalog.markedTerminals(), catalog.markedNonTerminals()}) {
        for (const std::string& id : marked) {
            catalog.clearMark(id);
        }
    }
    for (const std::string& id : nonTerminals) {
        catalog.markAsTerminal(id, false);
    }
    for (const std::string& id : terminals) {
        catalog.markAsTerminal(id, true);
    }
    surfaces_.refreshStatus();
}

void SettingsCommands::loadShortcuts() {
    if (!context_.environment.loadShortcuts) {
        return;
    }
    std::vector<std::string> problems;
    context_.pasteController.setShortcutBindings(
        ShortcutBindings::fromSettings(context_.environment.loadShortcuts(), &problems));
    for (const std::string& problem : problems) {
        std::fprintf(stderr, "tovra: shortcut left at its default: %s\n", problem.c_str());
    }
}

std::optional<std::string> SettingsCommands::setShortcut(std::string_view action,
                                                         std::string_view shortcut) {
    const auto command = ShortcutBindings::actionNamed(action);
    if (!command) {
        return "Tovra has no command \u201C" + std::string(action) + "\u201D.";
    }
    ShortcutBindings bindings = context_.pasteController.shortcutBindings();
    if (shortcut.empty()) {
        bindings.reset(*command);
        if (const auto holder = context_.pasteController.shortcutBindings().actionFor(
                ShortcutBindings::defaultFor(*command));
            holder && *holder != *command) {
            return "Its default, " + shortcutName(ShortcutBindings::defaultFor(*command)) +
                   ", already does \u201C" + std::string(ShortcutBindings::title(*holder)) +
                   "\u201D.";
        }
    } else if (const auto parsed = parseShortcut(shortcut)) {
        if (auto refused = bindings.bind(*command, *parsed)) {
            return refused;
        }
    } else {
        return "That key cannot be a shortcut.";
    }
    context_.pasteController.setShortcutBindings(bindings);
    if (context_.environment.saveShortcuts) {
        context_.environment.saveShortcuts(bindings.changed());
    }
    surfaces_.refreshStatus();  // which ones another program holds may have changed
    return std::nullopt;
}

std::vector<ShortcutRow> SettingsCommands::shortcutRows() const {
    const ShortcutBindings& bindings = context_.pasteController.shortcutBindings();
    const auto unavailable = context_.pasteController.isRunning()
                                 ? context_.pasteController.unavailableShortcuts()
                                 : std::vector<KeyboardTap::Shortcut>{};
    std::vector<ShortcutRow> rows;
    for (const ShortcutAction action : ShortcutBindings::actions()) {
        const auto shortcut = bindings.of(action);
        rows.push_back(
            {std::string(ShortcutBindings::settingName(action)),
             std::string(ShortcutBindings::title(action)),
             shortcut.key == Key::other ? std::string() : shortcutName(shortcut),
             std::find(unavailable.begin(), unavailable.end(), shortcut) != unavailable.end()});
    }
    return rows;
}

void SettingsCommands::openPreferencesFromMenu() {
    PreferencesSurface* preferences = context_.surfaces.preferences;
    if (preferences == nullptr) {
        return;
    }
    const QueueSettings& settings = context_.settings;
    PreferencesValues values;
    values.mode = rawValue(context_.activeQueue().mode());
    values.queueTimeout = rawValue(settings.queueTimeout);
    values.burstSeparator = rawValue(settings.burstSeparator);
    values.privacyMode = rawValue(settings.privacyMode);
    values.activeStackIndex = context_.stackStore.activeIndex();
    values.hudInteractionEnabled = settings.hudInteractionEnabled;
    values.animationsEnabled = settings.animationsEnabled;
    values.availableStackCount = StackStore::applicationStackCount;
    values.unavailableShortcuts = surfaces_.unavailableShortcuts();
    values.shortcuts = shortcutRows();
    values.terminalBurstShortcut = shortcutName(
        pasteChordsFor(PasteKeyStyle::controlShiftV,
                       context_.pasteController.shortcutBindings().of(ShortcutAction::burstPaste))
            .burst);
    values.shortcutsEditable = context_.environment.keyboardTap.interceptsKeys();
    const TerminalCatalog& catalog = context_.terminals;
    values.terminalApplications.assign(catalog.markedTerminals().begin(),
                                       catalog.markedTerminals().end());
    values.nonTerminalApplications.assign(catalog.markedNonTerminals().begin(),
                                          catalog.markedNonTerminals().end());
    if (const ApplicationFrame* frame = context_.services()) {
        values.automaticUpdateChecks = frame->automaticUpdateChecks();
    }
    preferences->present(values);
}

}  // namespace tovra
