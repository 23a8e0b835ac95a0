#include "GnomeBridge.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "platform/MainQueue.h"

namespace tovra {

namespace {

constexpr std::chrono::seconds knockInterval{2};

GnomeBridge::Fields split(std::string_view line) {
    GnomeBridge::Fields fields;
    while (!line.empty()) {
        const std::size_t space = line.find(' ');
        fields.push_back(line.substr(0, space));
        if (space == std::string_view::npos) {
            break;
        }
        line.remove_prefix(space + 1);
    }
    return fields;
}

}  // namespace

GnomeBridge::GnomeBridge(MainQueue& mainQueue, std::string socketPath)
    : mainQueue_(mainQueue), socketPath_(std::move(socketPath)) {}

GnomeBridge::~GnomeBridge() {
    readWatch_.cancel();
    if (fd_ >= 0) {
        close(fd_);
    }
}

std::string GnomeBridge::defaultSocketPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || runtime[0] == '\0') {
        return {};
    }
    return std::string(runtime) + "/tovra-gnome/bridge";
}

void GnomeBridge::start() {
    connect();
    knock_ = mainQueue_.every(knockInterval, [this] {
        if (fd_ < 0) {
            connect();
        }
    });
}

void GnomeBridge::waitForGreeting(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (fd_ >= 0 && !greeted_) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd readable{fd_, POLLIN, 0};
        if (left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) <= 0) {
            return;
        }
        onReadable();
    }
}

void GnomeBridge::on(std::string command, std::function<void(const Fields&)> handler) {
    handlers_[std::move(command)].push_back(std::move(handler));
}

void GnomeBridge::onConnectionChanged(std::function<void(bool)> changed) {
    connectionChanged_.push_back(std::move(changed));
}

void GnomeBridge::connect() {
    sockaddr_un address{};
    if (socketPath_.empty() || socketPath_.size() >= sizeof address.sun_path) {
        return;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath_.data(), socketPath_.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return;
    }
    // A local connect either completes or fails at once: the shell accepts in its own time.
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    fd_ = fd;
    input_.clear();
    readWatch_ = mainQueue_.watchReadable(fd_, [this] { onReadable(); });
}

void GnomeBridge::onReadable() {
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n > 0) {
            input_.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        disconnect();  // the shell closed it: disabled, refused, or gone
        return;
    }
    std::size_t start = 0;
    for (std::size_t end; (end = input_.find('\n', start)) != std::string::npos; start = end + 1) {
        dispatch(std::string_view(input_).substr(start, end - start));
        if (fd_ < 0) {
            return;  // a handler or the line itself ended the connection
        }
    }
    // Lines may carry copied passwords: none is left behind in the buffer's spare room.
    std::fill_n(input_.begin(), start, '\0');
    input_.erase(0, start);
    if (input_.size() > maxLineBytes) {
        disconnect();
    }
}

void GnomeBridge::dispatch(std::string_view received) {
    // A handler may end the connection, and with it the buffer the line is in.
    std::string line(received);
    const Fields fields = split(line);
    if (fields.empty()) {
        return;
    }
    if (fields[0] == "hello") {
        refused_ = false;
        greeted_ = true;
        for (const auto& changed : connectionChanged_) {
            changed(true);
        }
        return;
    }
    if (fields[0] == "refused") {
        refused_ = true;
        disconnect();
        return;
    }
    if (!greeted_) {
        return;
    }
    if (const auto found = handlers_.find(fields[0]); found != handlers_.end()) {
        for (const auto& handler : found->second) {
            handler(fields);
        }
    }
    std::fill(line.begin(), line.end(), '\0');
}

void GnomeBridge::send(std::string_view line) {
    if (fd_ < 0 || !greeted_) {
        return;
    }
    std::string message(line);
    message.push_back('\n');
    std::size_t sent = 0;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(sendTimeoutMs);
    while (sent < message.size()) {
        const ssize_t n = ::send(fd_, message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd writable{fd_, POLLOUT, 0};
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && left.count() > 0 &&
            poll(&writable, 1, static_cast<int>(left.count())) > 0) {
            continue;
        }
        break;
    }
    const bool delivered = sent == message.size();
    std::fill(message.begin(), message.end(), '\0');
    if (!delivered) {
        disconnect();
    }
}

void GnomeBridge::disconnect() {
    readWatch_.cancel();
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    input_.clear();
    if (greeted_) {
        greeted_ = false;
        for (const auto& changed : connectionChanged_) {
            changed(false);
        }
    }
}

}  // namespace tovra
