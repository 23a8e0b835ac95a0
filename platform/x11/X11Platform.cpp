#include "X11Platform.h"

#include "platform/MainQueue.h"

namespace tovra {

std::unique_ptr<X11Connection> X11Platform::connect(const char* display, MainQueue& mainQueue,
                                                    std::string& error) {
    auto connection = X11Connection::open(display, error);
    if (connection) {
        connection->attach(mainQueue);
    }
    return connection;
}

std::unique_ptr<X11Platform> X11Platform::open(const char* display, MainQueue& mainQueue,
                                               Options options, std::string& error) {
    auto connection = connect(display, mainQueue, error);
    if (!connection) {
        return nullptr;
    }
    return std::make_unique<X11Platform>(std::move(connection), mainQueue, std::move(options));
}

X11Platform::X11Platform(std::unique_ptr<X11Connection> connection, MainQueue& mainQueue,
                         Options options, std::unique_ptr<X11SingleInstance> instance)
    : connection_(std::move(connection)),
      instance_(std::move(instance)),
      pasteboard_(*connection_, mainQueue, options.pasteboard),
      keyboardTap_(*connection_, mainQueue, options.keyboard),
      workspace_(*connection_),
      trust_(connection_.get(), std::move(options.openHelp)) {
    pasteboard_.setHeldKeystrokeTime([this] { return keyboardTap_.heldKeystrokeTime(); });
}

X11Platform::~X11Platform() = default;

}  // namespace tovra
