#include "WaylandSourceServer.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace tovra {

namespace {
constexpr std::size_t chunkSize = 64 * 1024;

/// A reader that closed its end raises SIGPIPE on the writing thread: kept pending while we
/// write, and taken away before the thread ends, so it never reaches the process.
class SigpipeBlocked {
  public:
    SigpipeBlocked() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe_, nullptr);
    }
    ~SigpipeBlocked() {
        const timespec none{};
        while (sigtimedwait(&pipe_, nullptr, &none) == SIGPIPE) {
        }
    }
    SigpipeBlocked(const SigpipeBlocked&) = delete;
    SigpipeBlocked& operator=(const SigpipeBlocked&) = delete;

  private:
    sigset_t pipe_{};
};
}  // namespace

WaylandSourceServer::WaylandSourceServer(std::chrono::milliseconds step) : step_(step) {
    if (pipe2(stopPipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        stopPipe_[0] = stopPipe_[1] = -1;
    }
}

WaylandSourceServer::~WaylandSourceServer() {
    if (stopPipe_[1] >= 0) {
        close(stopPipe_[1]);  // every transfer's poll wakes on the hang-up
    }
    std::list<Transfer> transfers;
    {
        std::lock_guard lock(mutex_);
        transfers.swap(transfers_);
    }
    for (Transfer& transfer : transfers) {
        transfer.thread.join();
    }
    if (stopPipe_[0] >= 0) {
        close(stopPipe_[0]);
    }
}

void WaylandSourceServer::serve(int fd, std::shared_ptr<const Contents> contents,
                                std::size_t index) {
    reapFinished();
    std::lock_guard lock(mutex_);
    if (stopPipe_[0] < 0 || !contents || index >= contents->size() ||
        transfers_.size() >= maxTransfers) {
        close(fd);
        return;
    }
    Transfer& transfer = transfers_.emplace_back();
    transfer.thread = std::thread([this, fd, contents = std::move(contents), index, &transfer] {
        write(fd, (*contents)[index]);
        close(fd);
        transfer.finished = true;
    });
}

std::size_t WaylandSourceServer::transfersInProgress() const {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(
        std::count_if(transfers_.begin(), transfers_.end(),
                      [](const Transfer& transfer) { return !transfer.finished.load(); }));
}

void WaylandSourceServer::reapFinished() {
    std::list<Transfer> finished;
    {
        std::lock_guard lock(mutex_);
        for (auto it = transfers_.begin(); it != transfers_.end();) {
            const auto next = std::next(it);
            if (it->finished) {
                finished.splice(finished.end(), transfers_, it);
            }
            it = next;
        }
    }
    for (Transfer& transfer : finished) {
        transfer.thread.join();
    }
}

void WaylandSourceServer::write(int fd, const ClipboardRepresentation& representation) const {
    const SigpipeBlocked blocked;
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) {
        fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    }
    const std::string_view data = representation.data.view();
    std::size_t written = 0;
    while (written < data.size()) {
        pollfd watched[2] = {{fd, POLLOUT, 0}, {stopPipe_[0], POLLIN, 0}};
        const int ready = poll(watched, 2, static_cast<int>(step_.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0 || watched[1].revents != 0 || (watched[0].revents & POLLOUT) == 0) {
            return;  // no progress for a whole step, shutting down, or the reader is gone
        }
        const std::size_t size = std::min(chunkSize, data.size() - written);
        const ssize_t count = ::write(fd, data.data() + written, size);
        if (count < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        }
        if (count <= 0) {
            return;
        }
        written += static_cast<std::size_t>(count);
    }
}

}  // namespace tovra
