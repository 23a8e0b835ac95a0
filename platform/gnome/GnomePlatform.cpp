#include "GnomePlatform.h"

#include <utility>

namespace tovra {

GnomePlatform::GnomePlatform(MainQueue& mainQueue, Options options, std::shared_ptr<void> keepAlive)
    : keepAlive_(std::move(keepAlive)),
      bridge_(mainQueue, std::move(options.socketPath)),
      pasteboard_(bridge_, mainQueue, options.pasteboard),
      keyboardTap_(bridge_),
      workspace_(bridge_),
      trust_(bridge_, std::move(options.openHelp)) {
    bridge_.start();
    bridge_.waitForGreeting(greetingTimeoutMs);
}

}  // namespace tovra
