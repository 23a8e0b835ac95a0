#pragma once

#include <wayland-client.h>

#include <functional>
#include <thread>

namespace tovra {

/// Dispatches one event queue of a connection on a thread of its own, so what listens there
/// is answered however busy the main loop is. Both threads read the same descriptor, each
/// only once it says something came (libwayland hands every event to its queue); what this
/// thread reads for the main loop is announced through `readForOthers`.
class WaylandEventThread {
  public:
    WaylandEventThread(wl_display* display, std::function<void()> readForOthers);
    /// Stops the thread; the queue's events still waiting are dropped with it.
    ~WaylandEventThread();
    WaylandEventThread(const WaylandEventThread&) = delete;
    WaylandEventThread& operator=(const WaylandEventThread&) = delete;

    [[nodiscard]] wl_event_queue* queue() const { return queue_; }

  private:
    void run();

    wl_display* display_;
    wl_event_queue* queue_;
    std::function<void()> readForOthers_;
    int stopPipe_[2] = {-1, -1};
    std::thread thread_;
};

}  // namespace tovra
