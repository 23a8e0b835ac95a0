#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "Tovra/base/ClipboardRepresentation.h"

namespace tovra {

/// Writes our clipboard contents to the clients that ask for them, each transfer on a thread of
/// its own: a reader that takes its time (or never reads) must not hold the main loop, and Qt
/// in our own process reads our contents synchronously. A transfer ends when all is written,
/// the reader goes away, or it takes nothing for a whole step.
class WaylandSourceServer {
  public:
    using Contents = std::vector<ClipboardRepresentation>;
    /// At most this many transfers run at once; a request beyond gets nothing.
    static constexpr std::size_t maxTransfers = 16;

    explicit WaylandSourceServer(std::chrono::milliseconds step);
    /// Ends every transfer still running.
    ~WaylandSourceServer();
    WaylandSourceServer(const WaylandSourceServer&) = delete;
    WaylandSourceServer& operator=(const WaylandSourceServer&) = delete;

    /// Writes the representation at `index` of `contents` into `fd`, which it takes and closes.
    void serve(int fd, std::shared_ptr<const Contents> contents, std::size_t index);
    [[nodiscard]] std::size_t transfersInProgress() const;

  private:
    struct Transfer {
        std::thread thread;
        std::atomic<bool> finished{false};
    };
    void write(int fd, const ClipboardRepresentation& representation) const;
    void reapFinished();

    std::chrono::milliseconds step_;
    int stopPipe_[2] = {-1, -1};
    mutable std::mutex mutex_;
    std::list<Transfer> transfers_;
};

}  // namespace tovra
