#pragma once

#include <xcb/xcb.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11EventThread.h"
#include "platform/x11/X11SelectionOwner.h"

namespace tovra::test {

/// A copy made in another application: a client of its own owns the clipboard with `text` and
/// serves it from a thread of its own, as `xclip -i` would from its process, until another client
/// takes the clipboard: an application reading it is answered while the test types keys. It
/// tells which processes read the text, so a test waits for Tovra's read instead of for a while.
class ForeignCopy {
  public:
    explicit ForeignCopy(std::string text) : text_(std::move(text)) {
        std::string error;
        connection_ = X11Connection::open(nullptr, error);
        window_ = connection_->createHelperWindow(XCB_EVENT_MASK_PROPERTY_CHANGE);
        for (const char* name :
             {"CLIPBOARD", "TARGETS", "UTF8_STRING", "text/plain;charset=utf-8"}) {
            atoms_.push_back(connection_->atom(name));
        }
        xcb_set_selection_owner(connection_->get(), *window_, atoms_[0],
                                connection_->serverTime(*window_));
        // A round trip: the copy is the clipboard's before anything the test does next.
        XcbReply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
            connection_->get(), xcb_get_selection_owner(connection_->get(), atoms_[0]), nullptr));
        owns_ = owner && owner->owner == *window_;
        server_ = std::make_unique<X11EventThread>(
            connection_->get(), "foreign copy",
            X11EventThread::Loop{
                [this](const xcb_generic_event_t& event) { handle(event); },
                [] { return std::optional<X11EventThread::Clock::time_point>(); }});
        server_->wake();  // the round trips may have queued a request already
    }
    ForeignCopy(const ForeignCopy&) = delete;
    ForeignCopy& operator=(const ForeignCopy&) = delete;

    [[nodiscard]] bool owns() const { return owns_; }
    /// True once the process `pid` read the text.
    [[nodiscard]] bool readBy(pid_t pid) const {
        const std::lock_guard lock(mutex_);
        return std::find(readers_.begin(), readers_.end(), pid) != readers_.end();
    }

  private:
    void handle(const xcb_generic_event_t& event) {
        const auto type = event.response_type & 0x7F;
        if (type == XCB_SELECTION_REQUEST) {
            serve(reinterpret_cast<const xcb_selection_request_event_t&>(event));
        } else if (type == XCB_SELECTION_CLEAR) {
            owns_ = false;
        }
    }

    void serve(const xcb_selection_request_event_t& request) {
        xcb_connection_t* c = connection_->get();
        const xcb_atom_t property =
            request.property == XCB_ATOM_NONE ? request.target : request.property;
        const std::vector<xcb_atom_t> texts{atoms_[2], atoms_[3], XCB_ATOM_STRING};
        bool served = true;
        if (request.target == atoms_[1]) {
            std::vector<xcb_atom_t> targets{atoms_[1]};
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
                const std::lock_guard lock(mutex_);
                readers_.push_back(static_cast<pid_t>(*pid));
            }
        } else {
            served = false;
        }
        X11SelectionOwner::answer(c, request, served ? property : xcb_atom_t{XCB_ATOM_NONE});
    }

    std::string text_;
    std::unique_ptr<X11Connection> connection_;
    std::unique_ptr<X11HelperWindow> window_;
    std::vector<xcb_atom_t> atoms_;  // CLIPBOARD, TARGETS, UTF8_STRING, text/plain
    std::atomic<bool> owns_ = false;
    mutable std::mutex mutex_;
    std::vector<pid_t> readers_;
    std::unique_ptr<X11EventThread> server_;  // last: stops before what it serves goes
};

}  // namespace tovra::test
