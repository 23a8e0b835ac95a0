#pragma once

#include <QWidget>
#include <functional>
#include <optional>

#include "MoxFirstRunOnboarding.h"

class QAbstractButton;
class QLabel;

namespace mox {

/// The welcome: where the application lives, an optional feature list, the launch-at-login
/// switch (tray applications) and the primary action.
class MoxFirstRunOnboardingView final : public QWidget {
  public:
    /// How the switch reads and changes the login item; setEnabled throws on refusal.
    struct LaunchAtLogin {
        std::function<bool()> isEnabled;
        std::function<void(bool)> setEnabled;
        static LaunchAtLogin system();
    };

    MoxFirstRunOnboardingView(MoxFirstRunOnboarding config, std::function<void()> onDismiss,
                              LaunchAtLogin launchAtLogin = LaunchAtLogin::system(),
                              QWidget* parent = nullptr);

    static QString title(MoxFirstRunOnboarding::Kind kind, const QString& brandName);
    static std::optional<QString> subtitle(MoxFirstRunOnboarding::Kind kind, bool hasHighlights,
                                           const QString& brandName);

    [[nodiscard]] QAbstractButton* launchAtLoginSwitch() const { return switch_; }
    [[nodiscard]] const std::optional<QString>& launchAtLoginError() const {
        return launchAtLoginError_;
    }

  private:
    void flip(bool on);

    MoxFirstRunOnboarding config_;
    std::function<void()> onDismiss_;
    LaunchAtLogin launchAtLogin_;
    QAbstractButton* switch_ = nullptr;
    QLabel* errorLabel_ = nullptr;
    std::optional<QString> launchAtLoginError_;
};

}  // namespace mox
