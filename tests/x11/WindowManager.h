#pragma once

#include <xcb/xcb.h>

#include <string>

#include "BackgroundProcess.h"
#include "Processes.h"
#include "platform/x11/X11Connection.h"

namespace tovra::test {

/// Openbox on the test's X server, started and ready: it announces itself before it manages
/// windows, so readiness is a probe window that gets managed.
class WindowManager {
  public:
    WindowManager() : process_({"openbox", "--sm-disable"}) {}

    /// True once a window mapped now would be managed.
    bool waitUntilReady(int timeoutMs = 10000) {
        std::string error;
        auto connection = X11Connection::open(nullptr, error);
        if (!connection) {
            return false;
        }
        xcb_connection_t* c = connection->get();
        const xcb_window_t probe = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, connection->root(), 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        const xcb_atom_t wmState = connection->atom("WM_STATE");
        auto managed = [&] {
            XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
                c, xcb_get_property(c, 0, probe, wmState, XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
                nullptr));
            return reply && reply->type != XCB_ATOM_NONE;
        };
        bool ready = false;
        for (int waited = 0; !ready && waited < timeoutMs && process_.isRunning(); waited += 200) {
            // A map request sent before it was ready is lost: ask again.
            xcb_unmap_window(c, probe);
            xcb_map_window(c, probe);
            xcb_flush(c);
            ready = waitUntil(managed, 200);
        }
        xcb_destroy_window(c, probe);
        xcb_flush(c);
        return ready;
    }

  private:
    BackgroundProcess process_;
};

}  // namespace tovra::test
