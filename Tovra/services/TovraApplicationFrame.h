#pragma once

#include <QSettings>
#include <memory>

#include "AppServices.h"
#include "MoxUI/MoxBundle.h"
#include "Tovra/app/Surfaces.h"
#include "TovraCommandActions.h"

namespace tovra {

/// The maker's frame wired for Tovra: services, commands, onboarding and the Edit menu.
class TovraApplicationFrame final : public ApplicationFrame {
  public:
    /// `store` keeps the first-run flag and the time of the last update check; it must outlive
    /// the frame.
    /// Without `checksForUpdates` (a distribution's build, updated through its packages)
    /// nothing ever contacts the update server and no command offers to.
    TovraApplicationFrame(const mox::MoxBundle& bundle, QSettings& store,
                          QUrl downloadEndpoint = AppServices::defaultDownloadEndpoint(),
                          bool checksForUpdates = true);

    void installEditMenu() override;
    bool buildServices() override;
    [[nodiscard]] bool hasServices() const override { return services_ != nullptr; }
    void startUpdates() override;
    /// The machine woke up: an update check that came due meanwhile runs soon.
    void systemDidWake();
    /// The settings key of the last update check's time (UTC, ISO 8601).
    static constexpr const char* lastUpdateCheckKey = "moxworks.tovra.lastUpdateCheck";
    [[nodiscard]] bool canCheckForUpdates() const override;
    void checkForUpdates() override;
    [[nodiscard]] std::optional<bool> automaticUpdateChecks() const override;
    void setAutomaticUpdateChecks(bool on) override;
    /// The settings key of whether scheduled checks are on (true unless the user said no).
    static constexpr const char* automaticUpdateChecksKey = "moxworks.tovra.automaticUpdateChecks";
    [[nodiscard]] std::optional<std::string> pendingUpdateVersion() const override;
    void observeUpdates(std::function<void()> changed) override;
    void showAbout() override;
    void showSupport() override;
    void copyDiagnostics() override;
    void offerOnboarding(std::function<void()> openQueue) override;

    [[nodiscard]] const std::shared_ptr<AppServices>& services() const { return services_; }
    [[nodiscard]] TovraCommandActions& commandActions() const { return *commandActions_; }

  private:
    const mox::MoxBundle& bundle_;
    QSettings& store_;
    QUrl downloadEndpoint_;
    bool checksForUpdates_;
    std::shared_ptr<TovraCommandActions> commandActions_;
    std::shared_ptr<AppServices> services_;
};

}  // namespace tovra
