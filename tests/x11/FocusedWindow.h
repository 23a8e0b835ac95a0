#pragma once

#include <xcb/xcb.h>

#include <cstdint>

#include "Processes.h"
#include "platform/x11/X11Connection.h"

namespace tovra::test {

/// Maps a window of `connection` and gives it the input focus, as an application the user
/// types in; returns it once it holds the focus.
inline xcb_window_t mapFocusedWindow(X11Connection& connection, std::uint32_t eventMask) {
    xcb_connection_t* c = connection.get();
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, connection.root(), 0, 0, 200, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                      &eventMask);
    xcb_map_window(c, window);
    connection.flush();
    // Only a viewable window can take the focus; both are read back, never waited out.
    waitUntil([&] {
        XcbReply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
        return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    });
    waitUntil([&] {
        xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
        XcbReply<xcb_get_input_focus_reply_t> focus(
            xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        return focus && focus->focus == window;
    });
    return window;
}

}  // namespace tovra::test
