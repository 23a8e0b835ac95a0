#include "X11HelperWindow.h"

namespace tovra {

X11HelperWindow::X11HelperWindow(xcb_connection_t* connection, xcb_window_t root,
                                 std::uint32_t eventMask)
    : connection_(connection), window_(xcb_generate_id(connection)) {
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, root, -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                      &eventMask);
}

X11HelperWindow::~X11HelperWindow() {
    xcb_destroy_window(connection_, window_);
    xcb_flush(connection_);
}

}  // namespace tovra
