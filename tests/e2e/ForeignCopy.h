#pragma once

#include <xcb/xcb.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/MainQueue.h"
#include "platform/x11/X11Connection.h"

namespace tovra::test {

/// A copy made in another application: a client of its own owns the clipboard with `text` and
/// serves it, as `xclip -i` does, until another client takes the clipboard. It tells which
/// processes read the text, so a test waits for Tovra's read instead of for a while.
class ForeignCopy {
  public:
    ForeignCopy(MainQueue& queue, std::string text) : text_(std::move(text)) {
        std::string error;
        connection_ = X11Connection::open(nullptr, error);
        connection_->attach(queue);
        window_ = connection_->createHelperWindow(XCB_EVENT_MASK_PROPERTY_CHANGE);
        subscription_ = connection_->subscribe([this](const xcb_generic_event_t& event) {
            const auto type = event.response_type & 0x7F;
            if (type == XCB_SELECTION_REQUEST) {
                serve(reinterpret_cast<const xcb_selection_request_event_t&>(event));
            } else if (type == XCB_SELECTION_CLEAR) {
                owns_ = false;
            }
        });
        xcb_set_selection_owner(connection_->get(), *window_, connection_->atom("CLIPBOARD"),
                                connection_->serverTime(*window_));
        // A round trip: the copy is the clipboard's before anything the test does next.
        XcbReply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
            connection_->get(),
            xcb_get_selection_owner(connection_->get(), connection_->atom("CLIPBOARD")), nullptr));
        owns_ = owner && owner->owner == *window_;
        connection_->scheduleDispatch();
    }

    [[nodiscard]] bool owns() const { return owns_; }
    /// True once the process `pid` read the text.
    [[nodiscard]] bool readBy(pid_t pid) const {
        return std::find(readers_.begin(), readers_.end(), pid) != readers_.end();
    }

  private:
    void serve(const xcb_selection_request_event_t& request) {
        xcb_connection_t* c = connection_->get();
        const xcb_atom_t property =
            request.property == XCB_ATOM_NONE ? request.target : request.property;
        const std::vector<xcb_atom_t> texts{connection_->atom("UTF8_STRING"),
                                            connection_->atom("text/plain;charset=utf-8"),
                                            XCB_ATOM_STRING};
        bool served = true;
        if (request.target == connection_->atom("TARGETS")) {
            std::vector<xcb_atom_t> targets{connection_->atom("TARGETS")};
            targets.insert(targets.end(), texts.begin(), texts.end());
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property,
                                XCB_ATOM_ATOM, 32, static_cast<std::uint32_t>(targets.size()),
                                targets.data());
        } else if (std::find(texts.begin(), texts.end(), request.target) != texts.end()) {
            // Test texts are ASCII, and small enough for one property.
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property,
                                request.target, 8, static_cast<std::uint32_t>(text_.size()),
                                text_.data());
            if (const auto pid = connection_->clientProcessId(request.requestor)) {
                readers_.push_back(static_cast<pid_t>(*pid));
            }
        } else {
            served = false;
        }
        xcb_selection_notify_event_t notify{};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request.time;
        notify.requestor = request.requestor;
        notify.selection = request.selection;
        notify.target = request.target;
        notify.property = served ? property : xcb_atom_t{XCB_ATOM_NONE};
        xcb_send_event(c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&notify));
        connection_->flush();
    }

    std::string text_;
    std::unique_ptr<X11Connection> connection_;
    std::unique_ptr<X11HelperWindow> window_;
    TaskHandle subscription_;
    bool owns_ = false;
    std::vector<pid_t> readers_;
};

}  // namespace tovra::test
