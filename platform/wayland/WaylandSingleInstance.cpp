#include "WaylandSingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/MainQueue.h"

namespace tovra {

namespace {

/// A directory only this user can enter: anything else could be a trap laid by another user.
bool isPrivateDirectory(const std::string& path) {
    struct stat status {};
    return !path.empty() && path.front() == '/' && lstat(path.c_str(), &status) == 0 &&
           S_ISDIR(status.st_mode) && status.st_uid == getuid() &&
           (status.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

/// FNV-1a: a short, fixed-length name for a compositor socket path of any length.
std::string hashed(const std::string& text) {
    std::uint64_t hash = 1469598103934665603ULL;
    for (const unsigned char c : text) {
        hash = (hash ^ c) * 1099511628211ULL;
    }
    char buffer[17];
    std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(hash));
    return buffer;
}

bool addressOf(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

}  // namespace

std::string WaylandSingleInstance::pathFor(const char* displayName) {
    std::string display = displayName != nullptr ? displayName : "";
    if (display.empty()) {
        const char* fromEnvironment = std::getenv("WAYLAND_DISPLAY");
        display = fromEnvironment != nullptr && fromEnvironment[0] != '\0' ? fromEnvironment
                                                                           : "wayland-0";
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string directory = runtime != nullptr ? runtime : "";
    if (!isPrivateDirectory(directory)) {
        return {};
    }
    if (display.front() != '/') {
        display = directory + '/' + display;
    }
    return directory + "/tovra-" + hashed(display);
}

std::unique_ptr<WaylandSingleInstance> WaylandSingleInstance::claim(
    const char* displayName, MainQueue& mainQueue, std::function<void()> onActivate) {
    const std::string base = pathFor(displayName);
    sockaddr_un address{};
    if (base.empty() || !addressOf(base + ".socket", address)) {
        return std::unique_ptr<WaylandSingleInstance>(
            new WaylandSingleInstance(-1, -1, {}, mainQueue, std::move(onActivate)));
    }
    const int lock =
        open((base + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock < 0) {
        return std::unique_ptr<WaylandSingleInstance>(
            new WaylandSingleInstance(-1, -1, {}, mainQueue, std::move(onActivate)));
    }
    if (flock(lock, LOCK_EX | LOCK_NB) != 0) {
        close(lock);
        // Taken: knocking is the request to come forward. A listener that does not accept
        // (stopped in a debugger) must not hold this launch: the knock never waits.
        const int knock = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (knock >= 0) {
            connect(knock, reinterpret_cast<const sockaddr*>(&address), sizeof address);
            close(knock);
        }
        return nullptr;
    }
    // Ours now: a socket left by an instance that ended without cleaning up goes.
    unlink(address.sun_path);
    const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listener >= 0 &&
        (bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
         listen(listener, 4) != 0)) {
        close(listener);
        return std::unique_ptr<WaylandSingleInstance>(
            new WaylandSingleInstance(lock, -1, {}, mainQueue, std::move(onActivate)));
    }
    return std::unique_ptr<WaylandSingleInstance>(new WaylandSingleInstance(
        lock, listener, address.sun_path, mainQueue, std::move(onActivate)));
}

WaylandSingleInstance::WaylandSingleInstance(int lock, int listener, std::string socketPath,
                                             MainQueue& mainQueue, std::function<void()> onActivate)
    : lock_(lock),
      listener_(listener),
      socketPath_(std::move(socketPath)),
      onActivate_(std::move(onActivate)) {
    if (listener_ < 0) {
        return;
    }
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
    if (listener_ >= 0) {
        unlink(socketPath_.c_str());  // while the lock is held: no newer instance's yet
        close(listener_);
    }
    if (lock_ >= 0) {
        close(lock_);
    }
}

}  // namespace tovra
