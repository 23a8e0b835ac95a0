#include "X11EventThread.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>

#include "X11Connection.h"

namespace tovra {

X11EventThread::X11EventThread(xcb_connection_t* connection, const char* name, Loop loop)
    : connection_(connection),
      loop_(std::move(loop)),
      wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      thread_([this, name] { run(name); }) {}

X11EventThread::~X11EventThread() {
    stopping_ = true;
    wake();
    thread_.join();
    if (wakeFd_ >= 0) {
        close(wakeFd_);
    }
}

void X11EventThread::wake() {
    const std::uint64_t one = 1;
    (void)!write(wakeFd_, &one, sizeof one);
}

void X11EventThread::run(const char* name) {
    pthread_setname_np(pthread_self(), name);
    std::optional<Clock::time_point> deadline = loop_.afterWake();
    while (!stopping_ && xcb_connection_has_error(connection_) == 0) {
        int timeout = -1;
        if (deadline) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
            timeout = static_cast<int>(std::clamp<long long>(left, 0, 60'000));
        }
        pollfd fds[2] = {{xcb_get_file_descriptor(connection_), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        poll(fds, wakeFd_ >= 0 ? 2 : 1, timeout);
        ++wakeUps_;
        if ((fds[1].revents & POLLIN) != 0) {
            std::uint64_t count = 0;
            (void)!read(wakeFd_, &count, sizeof count);  // an eventfd is drained whole by one read
        }
        if (stopping_) {
            break;
        }
        while (XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(connection_)}) {
            loop_.onEvent(*event);
        }
        deadline = loop_.afterWake();
    }
}

}  // namespace tovra
