#pragma once

#include <QWidget>
#include <map>
#include <memory>
#include <string>

#include "Tovra/app/Surfaces.h"

class QComboBox;
class QCheckBox;
class QLabel;
class QVBoxLayout;

namespace tovra {

class ShortcutRecorder;

/// The settings the preferences window shows; it mirrors the application's when the window
/// opens and is not written back from elsewhere while it is open.
struct TovraPreferencesState {
    PreferencesValues values;
    std::weak_ptr<PreferencesCommands> commands;
};

/// Every queue setting in one place; each change goes to the controller as the matching menu
/// command does.
class TovraPreferencesView final : public QWidget {
  public:
    explicit TovraPreferencesView(TovraPreferencesState state);
    [[nodiscard]] const TovraPreferencesState& state() const { return state_; }
    /// The control on the row with this label (tests).
    [[nodiscard]] QWidget* control(const QString& rowLabel) const;

    /// The recorder of a command ("burst-paste") (tests).
    [[nodiscard]] ShortcutRecorder* recorder(const std::string& action) const {
        const auto found = recorders_.find(action);
        return found == recorders_.end() ? nullptr : found->second;
    }
    /// Why the last shortcut typed was refused; hidden when it was taken.
    [[nodiscard]] QLabel* shortcutProblem() const { return shortcutProblem_; }

  private:
    template <class Apply>
    void change(Apply apply);
    void addShortcutRows(QVBoxLayout* rows);
    void chooseShortcut(const std::string& action, const QString& chord);

    TovraPreferencesState state_;
    std::map<QString, QWidget*> controls_;
    std::map<std::string, ShortcutRecorder*> recorders_;
    QLabel* shortcutProblem_ = nullptr;
};

/// Presents the preferences through the window presenter, one window at a time.
class TovraPreferencesPresenter final : public PreferencesSurface {
  public:
    void setCommands(std::weak_ptr<PreferencesCommands> commands) {
        commands_ = std::move(commands);
    }
    void present(const PreferencesValues& values) override;

  private:
    std::weak_ptr<PreferencesCommands> commands_;
};

}  // namespace tovra
