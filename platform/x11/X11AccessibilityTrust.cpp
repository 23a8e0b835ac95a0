#include "X11AccessibilityTrust.h"

#include <xcb/xfixes.h>
#include <xcb/xinput.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <string_view>

#include "X11Connection.h"

namespace tovra {

bool X11AccessibilityTrust::isWaylandSession() {
    const char* type = std::getenv("XDG_SESSION_TYPE");
    return type != nullptr && std::string_view(type) == "wayland";
}

bool X11AccessibilityTrust::isTrusted() {
    if (connection_ == nullptr || isWaylandSession()) {
        return false;
    }
    xcb_connection_t* c = connection_->get();
    for (xcb_extension_t* extension : {&xcb_test_id, &xcb_input_id, &xcb_xfixes_id}) {
        const auto* data = xcb_get_extension_data(c, extension);
        if (data == nullptr || data->present == 0) {
            return false;
        }
    }
    return connection_->hasXInput21();
}

}  // namespace tovra
