#include "WaylandPlatform.h"

#include <utility>

namespace tovra {

std::unique_ptr<WaylandPlatform> WaylandPlatform::open(const char* displayName,
                                                       MainQueue& mainQueue, Options options,
                                                       std::string& error) {
    auto connection = WaylandConnection::open(displayName, error);
    if (!connection) {
        return nullptr;
    }
    return std::make_unique<WaylandPlatform>(std::move(connection), mainQueue, std::move(options));
}

WaylandPlatform::WaylandPlatform(std::unique_ptr<WaylandConnection> connection,
                                 MainQueue& mainQueue, Options options,
                                 std::unique_ptr<WaylandSingleInstance> instance)
    : connection_(std::move(connection)),
      instance_(std::move(instance)),
      pasteboard_(*connection_, mainQueue, options.pasteboard),
      keyboardTap_(*connection_),
      workspace_(*connection_),
      trust_(*connection_, std::move(options.openHelp)) {
    connection_->attach(mainQueue, std::move(options.lost));
}

WaylandPlatform::~WaylandPlatform() = default;

}  // namespace tovra
