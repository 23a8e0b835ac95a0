#pragma once

#include "frame/MoxLaunchAtLoginToggle.h"
#include "platform/LoginItem.h"

namespace tovra {

/// Launch at login as the desktop's autostart entry for this program.
class XdgAutostartLoginItem final : public LoginItem {
  public:
    explicit XdgAutostartLoginItem(mox::MoxLaunchAtLoginToggle::Service service =
                                       mox::MoxLaunchAtLoginToggle::mainAppService())
        : service_(std::move(service)) {}

    bool isEnabled() override { return mox::MoxLaunchAtLoginToggle::isEnabled(service_); }
    std::optional<std::string> enable() override { return set(true); }
    std::optional<std::string> disable() override { return set(false); }
    /// Points an entry whose program is gone (moved, upgraded away) at this one; nothing else
    /// is rewritten. The error message, if it could not.
    std::optional<std::string> repair() {
        try {
            mox::MoxLaunchAtLoginToggle::repair(service_);
        } catch (const mox::MoxLaunchAtLoginToggle::LaunchAtLoginError& error) {
            return error.message.toStdString();
        }
        return std::nullopt;
    }

  private:
    std::optional<std::string> set(bool enabled) {
        try {
            mox::MoxLaunchAtLoginToggle::setEnabled(enabled, service_);
        } catch (const mox::MoxLaunchAtLoginToggle::LaunchAtLoginError& error) {
            return error.message.toStdString();
        }
        return std::nullopt;
    }

    mox::MoxLaunchAtLoginToggle::Service service_;
};

}  // namespace tovra
