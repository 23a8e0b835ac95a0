#pragma once

#include <QUrl>
#include <memory>

#include "TovraUpdateBridge.h"
#include "frame/MoxAppDiagnostics.h"
#include "frame/MoxAppIdentity.h"
#include "updates/MoxSparkleManager.h"

namespace tovra {

/// The application's identity and update services, made once at start-up.
class AppServices {
  public:
    /// Identity, update configuration, manager (not started), bridge. Throws
    /// mox::MoxAppKitError or mox::MoxSparkleError and builds nothing on failure.
    static std::unique_ptr<AppServices> make(const mox::MoxBundle& bundle = mox::MoxBundle::main(),
                                             QUrl downloadEndpoint = defaultDownloadEndpoint());
    /// The maker's download service, under the reserved moxworks.invalid domain.
    static QUrl defaultDownloadEndpoint();

    [[nodiscard]] const mox::MoxAppIdentity& identity() const { return identity_; }
    [[nodiscard]] mox::MoxSparkleManager& sparkle() const { return *sparkle_; }
    [[nodiscard]] TovraUpdateBridge& updates() const { return *updates_; }
    /// The diagnostic record with the update state and feed.
    [[nodiscard]] mox::MoxAppDiagnostics diagnostics() const;

  private:
    AppServices(mox::MoxAppIdentity identity, std::unique_ptr<mox::MoxSparkleManager> sparkle);

    mox::MoxAppIdentity identity_;
    std::unique_ptr<mox::MoxSparkleManager> sparkle_;
    std::unique_ptr<TovraUpdateBridge> updates_;
};

}  // namespace tovra
