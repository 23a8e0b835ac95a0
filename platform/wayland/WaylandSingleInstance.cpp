#include "WaylandSingleInstance.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/MainQueue.h"

namespace tovra {

namespace {

/// The address of an abstract socket: a leading NUL, then the name.
socklen_t abstractAddress(const std::string& name, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    const std::size_t length = std::min(name.size(), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, name.data(), length);
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
}

}  // namespace

std::string WaylandSingleInstance::nameFor(const char* displayName) {
    std::string display = displayName != nullptr ? displayName : "";
    if (display.empty()) {
        const char* fromEnvironment = std::getenv("WAYLAND_DISPLAY");
        display = fromEnvironment != nullptr && fromEnvironment[0] != '\0' ? fromEnvironment
                                                                           : "wayland-0";
    }
    if (display.front() != '/') {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        display = std::string(runtime != nullptr ? runtime : "") + '/' + display;
    }
    return "invalid.moxworks.tovra." + std::to_string(getuid()) + display;
}

std::unique_ptr<WaylandSingleInstance> WaylandSingleInstance::claim(
    const char* displayName, MainQueue& mainQueue, std::function<void()> onActivate) {
    sockaddr_un address{};
    const socklen_t length = abstractAddress(nameFor(displayName), address);
    const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listener < 0) {
        return nullptr;
    }
    if (bind(listener, reinterpret_cast<const sockaddr*>(&address), length) == 0 &&
        listen(listener, 4) == 0) {
        return std::unique_ptr<WaylandSingleInstance>(
            new WaylandSingleInstance(listener, mainQueue, std::move(onActivate)));
    }
    close(listener);
    // Taken: knocking is the request to come forward.
    const int knock = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (knock >= 0) {
        connect(knock, reinterpret_cast<const sockaddr*>(&address), length);
        close(knock);
    }
    return nullptr;
}

WaylandSingleInstance::WaylandSingleInstance(int listener, MainQueue& mainQueue,
                                             std::function<void()> onActivate)
    : listener_(listener), onActivate_(std::move(onActivate)) {
    watch_ = mainQueue.watchReadable(listener_, [this] {
        for (;;) {
            const int visitor = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (visitor < 0) {
                return;
            }
            close(visitor);
            if (onActivate_) {
                onActivate_();
            }
        }
    });
}

WaylandSingleInstance::~WaylandSingleInstance() {
    watch_.cancel();
    close(listener_);
}

}  // namespace tovra
