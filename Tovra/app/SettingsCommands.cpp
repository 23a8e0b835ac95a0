#include "SettingsCommands.h"

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
    const TerminalCatalog& catalog = context_.terminals;
    values.terminalApplications.assign(catalog.markedTerminals().begin(),
                                       catalog.markedTerminals().end());
    values.nonTerminalApplications.assign(catalog.markedNonTerminals().begin(),
                                          catalog.markedNonTerminals().end());
    preferences->present(values);
}

}  // namespace tovra
