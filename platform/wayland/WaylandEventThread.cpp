#include "WaylandEventThread.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>

namespace tovra {

WaylandEventThread::WaylandEventThread(wl_display* display, std::function<void()> readForOthers)
    : display_(display),
      queue_(wl_display_create_queue(display)),
      readForOthers_(std::move(readForOthers)) {
    if (pipe2(stopPipe_, O_CLOEXEC) != 0) {
        stopPipe_[0] = stopPipe_[1] = -1;
        return;
    }
    thread_ = std::thread([this] {
        pthread_setname_np(pthread_self(), "tovra-sources");
        run();
    });
}

WaylandEventThread::~WaylandEventThread() {
    if (thread_.joinable()) {
        const char stop = 1;
        (void)!write(stopPipe_[1], &stop, 1);
        thread_.join();
    }
    for (const int fd : stopPipe_) {
        if (fd >= 0) {
            close(fd);
        }
    }
    wl_event_queue_destroy(queue_);
}

void WaylandEventThread::run() {
    for (;;) {
        while (wl_display_prepare_read_queue(display_, queue_) != 0) {
            if (wl_display_dispatch_queue_pending(display_, queue_) < 0) {
                return;  // the connection broke: the main loop reports it
            }
        }
        wl_display_flush(display_);
        pollfd fds[2] = {{wl_display_get_fd(display_), POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR) {
            wl_display_cancel_read(display_);
            return;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            wl_display_cancel_read(display_);
            return;
        }
        if ((fds[0].revents & (POLLIN | POLLERR | POLLHUP)) == 0) {
            wl_display_cancel_read(display_);
            continue;
        }
        if (wl_display_read_events(display_) < 0) {
            return;
        }
        if (wl_display_dispatch_queue_pending(display_, queue_) < 0) {
            return;
        }
        if (readForOthers_) {
            readForOthers_();
        }
    }
}

}  // namespace tovra
