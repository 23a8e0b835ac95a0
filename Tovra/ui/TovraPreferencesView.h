#pragma once

#include <QWidget>
#include <map>
#include <memory>

#include "Tovra/app/Surfaces.h"

class QComboBox;
class QCheckBox;

namespace tovra {

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

  private:
    template <class Apply>
    void change(Apply apply);

    TovraPreferencesState state_;
    std::map<QString, QWidget*> controls_;
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
