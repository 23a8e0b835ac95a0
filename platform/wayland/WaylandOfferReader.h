#pragma once

#include <wayland-client.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Tovra/base/ClipboardRepresentation.h"
#include "WaylandMimeTypes.h"
#include "platform/TaskHandle.h"

namespace tovra {

class MainQueue;
class WaylandConnection;

/// Reads one offer of another client whole, without ever blocking the main loop: every wanted
/// type is asked for at once (the client may go away as soon as another copy replaces its
/// own), each through a pipe whose end we read never blocks, all types together within the
/// byte budget, bytes still arriving included. Some clients write one type after another: a
/// type waits while any other makes progress, and the read gives up only when nothing came for
/// a step, or at the total limit. A type over the budget, or unfinished then, is left out.
class WaylandOfferReader {
  public:
    using Contents = std::vector<ClipboardRepresentation>;
    struct Options {
        std::size_t maxBytes = 0;
        std::chrono::milliseconds step{300};
        std::chrono::milliseconds total{10000};
    };

    /// Takes `offer` (destroyed with the reader). `done` runs on a later turn of the loop once
    /// every type is read or given up.
    WaylandOfferReader(WaylandConnection& connection, MainQueue& mainQueue, Options options,
                       wl_proxy* offer, const std::vector<std::string>& offered,
                       std::function<void()> done);
    ~WaylandOfferReader();
    WaylandOfferReader(const WaylandOfferReader&) = delete;
    WaylandOfferReader& operator=(const WaylandOfferReader&) = delete;

    [[nodiscard]] bool isDone() const { return pending_ == 0; }
    /// What was read, in capture order; complete once done.
    [[nodiscard]] std::shared_ptr<const Contents> contents() const;

  private:
    struct Transfer {
        wayland::MimeName name;
        int fd = -1;
        Bytes data;
        TaskHandle watch;
    };
    void onReadable(Transfer& transfer);
    /// Nothing came for a step, or the total limit passed: what is unfinished is left out.
    void giveUp();
    void armStep();
    [[nodiscard]] std::size_t bytesRead() const;
    /// Ends a transfer; `keep` false drops what it read.
    void finish(Transfer& transfer, bool keep);

    MainQueue& mainQueue_;
    Options options_;
    wl_proxy* offer_;
    std::vector<std::unique_ptr<Transfer>> transfers_;
    std::size_t pending_ = 0;
    TaskHandle step_;
    TaskHandle total_;
    std::function<void()> done_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace tovra
