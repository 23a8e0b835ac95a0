// A copying client as some applications are: it offers several types and writes each only when
// asked, either in turn (each after a delay, the next request waiting until the one before is
// written) or all at once (a child per request). It prints "ready" once its copy is the
// selection, and leaves when another copy replaces it.
// Usage: tovra-typed-copy <delay-ms> <serial|parallel> <type> <bytes> [<type> <bytes>...]
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>

#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandDataControl.h"

namespace {

struct Offer {
    std::chrono::milliseconds delay{0};
    bool parallel = false;
    std::map<std::string, std::string> contents;
};

void writeAll(int fd, const std::string& content) {
    std::size_t written = 0;
    while (written < content.size()) {
        const ssize_t count = write(fd, content.data() + written, content.size() - written);
        if (count <= 0) {
            return;  // the reader went away
        }
        written += static_cast<std::size_t>(count);
    }
}

void send(void* data, wl_proxy* /*source*/, const char* mimeType, std::int32_t fd) {
    const auto& offer = *static_cast<const Offer*>(data);
    const auto found = offer.contents.find(mimeType);
    if (found == offer.contents.end()) {
        close(fd);
        return;
    }
    if (offer.parallel && fork() != 0) {
        close(fd);
        return;
    }
    std::this_thread::sleep_for(offer.delay);
    writeAll(fd, found->second);
    close(fd);
    if (offer.parallel) {
        _exit(0);
    }
}

void cancelled(void* /*data*/, wl_proxy* /*source*/) {
    std::exit(0);
}

const tovra::WaylandDataControl::SourceListener sourceListener{send, cancelled};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5 || argc % 2 == 0) {
        std::fprintf(stderr, "usage: %s <delay-ms> <serial|parallel> <type> <bytes>...\n", argv[0]);
        return 2;
    }
    signal(SIGPIPE, SIG_IGN);
    signal(SIGCHLD, SIG_IGN);  // children are reaped by the system
    Offer offer;
    offer.delay = std::chrono::milliseconds(std::atoi(argv[1]));
    offer.parallel = std::string(argv[2]) == "parallel";
    for (int i = 3; i + 1 < argc; i += 2) {
        const auto size = static_cast<std::size_t>(std::atol(argv[i + 1]));
        offer.contents[argv[i]] = std::string(size, static_cast<char>('a' + (i - 3) / 2));
    }

    std::string error;
    auto connection = tovra::WaylandConnection::open(nullptr, error);
    if (connection == nullptr || connection->seat() == nullptr) {
        std::fprintf(stderr, "no compositor to copy on: %s\n", error.c_str());
        return 1;
    }
    tovra::WaylandDataControl control(connection->dataControlManager(),
                                      connection->dataControlFlavor());
    if (!control.isAvailable()) {
        std::fprintf(stderr, "the compositor offers no data control\n");
        return 1;
    }
    wl_proxy* device = control.getDevice(connection->seat());
    wl_proxy* source = control.createSource();
    wl_proxy_add_listener(
        source,
        reinterpret_cast<void (**)(void)>(
            const_cast<tovra::WaylandDataControl::SourceListener*>(&sourceListener)),
        &offer);
    for (const auto& [type, content] : offer.contents) {
        tovra::WaylandDataControl::offer(source, type.c_str());
    }
    tovra::WaylandDataControl::setSelection(device, source);
    wl_display_roundtrip(connection->display());
    std::printf("ready\n");
    std::fflush(stdout);
    while (wl_display_dispatch(connection->display()) != -1) {
    }
    return 0;
}
