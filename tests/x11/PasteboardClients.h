#pragma once

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FocusedWindow.h"
#include "Processes.h"
#include "RepeatedText.h"
#include "TestEventLoop.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11HelperWindow.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11SelectionOwner.h"

// Both ends of the clipboard for the pasteboard's tests: our pasteboard on a connection of its
// own, and other clients (xclip, or raw ones that misbehave).
namespace tovra::test {

using Contents = X11Pasteboard::Contents;

// The queue's 10 MiB budget, with quick steps.
inline constexpr X11Pasteboard::Options fastOptions{
    std::size_t{10} << 20, std::chrono::milliseconds(300), std::chrono::milliseconds(10000),
    std::chrono::milliseconds(3000)};

inline std::string textOfSize(std::size_t size) {
    std::string text;
    text.reserve(size);
    for (std::size_t i = 0; text.size() < size; ++i) {
        text += "line " + std::to_string(i) + " \xC3\xA9t\xC3\xA9\n";
    }
    text.resize(size - 1);
    text.push_back('\n');
    return text;
}

/// Another client offering `content` under `target`, as a user's copy in an application.
inline void copyWithXclip(const std::string& target, const std::string& content) {
    ASSERT_EQ(runDetaching({"xclip", "-selection", "clipboard", "-t", target, "-i"}, content), 0);
}

inline std::string pasteWithXclip(const std::string& target) {
    return runCommand({"xclip", "-selection", "clipboard", "-t", target, "-o"}).output;
}

/// One end of the clipboard: a connection with its own pasteboard.
struct Client {
    explicit Client(X11Pasteboard::Options options = fastOptions) {
        std::string error;
        connection = X11Connection::open(nullptr, error);
        EXPECT_NE(connection, nullptr) << error;
        connection->attach(queue);
        pasteboard = std::make_unique<X11Pasteboard>(*connection, queue, options);
        EXPECT_TRUE(pasteboard->observeChanges(
            [this](const PasteboardChange& change) { changes.push_back(change); }));
        EXPECT_TRUE(waitUntil([&] { return !pasteboard->isReading(); }));
    }
    ~Client() {
        pasteboard.reset();
        waitUntil([] { return false; }, 20);
    }
    /// Waits until the count moves past `count` and no read is under way.
    bool waitForChangeAfter(std::int64_t count, int timeoutMs = 5000) {
        return waitUntil(
            [&] { return pasteboard->changeCount() > count && !pasteboard->isReading(); },
            timeoutMs);
    }
    void write(const Contents& contents) {
        pasteboard->clearContents();
        for (const auto& representation : contents) {
            pasteboard->setData(representation.data, representation.type);
        }
        waitUntil([&] { return !pasteboard->hasPendingWrite() && pasteboard->ownsSelection(); },
                  2000);
    }
    /// No property is left on the windows others' contents are read into: every answer an
    /// owner wrote there was deleted.
    bool nothingLeftOnOurWindows() {
        xcb_connection_t* c = connection->get();
        for (const xcb_window_t window : pasteboard->readWindows()) {
            XcbReply<xcb_list_properties_reply_t> listed(
                xcb_list_properties_reply(c, xcb_list_properties(c, window), nullptr));
            connection->scheduleDispatch();  // the round trip may have read our events
            if (!listed || xcb_list_properties_atoms_length(listed.get()) != 0) {
                return false;
            }
        }
        return true;
    }
    std::string text() {
        const auto bytes = pasteboard->string();
        return bytes ? std::string(bytes->view()) : "<none>";
    }

    test::TestEventLoop queue;
    std::unique_ptr<X11Connection> connection;
    std::unique_ptr<X11Pasteboard> pasteboard;
    /// Every change another client made, as reported.
    std::vector<PasteboardChange> changes;
};

/// A client that takes the selection and then misbehaves.
class RogueOwner {
  public:
    enum class Behaviour {
        silent,
        wrongFormat,
        diesInIncrementalTransfer,
        keepsOwnership,
        /// Lists 100,000 targets, the text one last, and serves the text.
        hundredThousandTargets,
        /// Announces a small INCR transfer and sends chunks for as long as it is asked.
        endlessIncrementalTransfer,
        /// Destroys its window once it announced an INCR transfer, and stays connected.
        destroysWindowInIncrementalTransfer,
        /// Serves `text` as UTF8_STRING, each answer `delay` after the request.
        slow,
    };

    explicit RogueOwner(Behaviour behaviour, std::chrono::milliseconds delay = {})
        : behaviour_(behaviour), delay_(delay) {
        std::string error;
        connection_ = X11Connection::open(nullptr, error);
        window_ = connection_->createHelperWindow(XCB_EVENT_MASK_PROPERTY_CHANGE);
        const xcb_timestamp_t time = connection_->serverTime(*window_);
        xcb_set_selection_owner(connection_->get(), *window_, connection_->atom("CLIPBOARD"), time);
        connection_->flush();
        if (behaviour_ != Behaviour::silent) {
            connection_->attach(queue_);
            subscription_ = connection_->subscribe([this](const xcb_generic_event_t& event) {
                const auto type = event.response_type & 0x7F;
                if (type == XCB_SELECTION_REQUEST && behaviour_ == Behaviour::slow) {
                    const auto request =
                        reinterpret_cast<const xcb_selection_request_event_t&>(event);
                    late_.push_back(queue_.after(delay_, [this, request] { answer(request); }));
                } else if (type == XCB_SELECTION_REQUEST) {
                    answer(reinterpret_cast<const xcb_selection_request_event_t&>(event));
                } else if (type == XCB_PROPERTY_NOTIFY) {
                    onPropertyNotify(reinterpret_cast<const xcb_property_notify_event_t&>(event));
                }
            });
        }
    }

    [[nodiscard]] bool gone() const { return !connection_; }
    /// Chunks sent in INCR transfers so far.
    [[nodiscard]] int chunksSent() const { return chunksSent_; }
    /// Requests answered so far.
    [[nodiscard]] int answered() const { return answered_; }
    /// What a well-behaved owner that never re-takes the selection serves from now on.
    std::string text = "first";

  private:
    void answer(const xcb_selection_request_event_t& request) {
        xcb_connection_t* c = connection_->get();
        const bool incremental = behaviour_ == Behaviour::diesInIncrementalTransfer ||
                                 behaviour_ == Behaviour::endlessIncrementalTransfer ||
                                 behaviour_ == Behaviour::destroysWindowInIncrementalTransfer;
        if (request.target == connection_->atom("TARGETS")) {
            std::vector<xcb_atom_t> targets{connection_->atom("TARGETS")};
            if (behaviour_ == Behaviour::hundredThousandTargets) {
                // Numbers no atom has yet: the list is long, not meaningful.
                for (xcb_atom_t junk = 0x10000000; targets.size() < 100'000; ++junk) {
                    targets.push_back(junk);
                }
            }
            targets.push_back(connection_->atom("UTF8_STRING"));
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, request.property,
                                XCB_ATOM_ATOM, 32, static_cast<std::uint32_t>(targets.size()),
                                targets.data());
        } else if (behaviour_ == Behaviour::keepsOwnership ||
                   behaviour_ == Behaviour::hundredThousandTargets ||
                   behaviour_ == Behaviour::slow) {
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, request.property,
                                request.target, 8, static_cast<std::uint32_t>(text.size()),
                                text.data());
        } else if (behaviour_ == Behaviour::wrongFormat) {
            const std::uint32_t words[] = {0x41414141, 0x42424242};
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, request.property,
                                request.target, 32, 2, words);
        } else {
            const std::uint32_t announced = 1000;
            const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
            xcb_change_window_attributes(c, request.requestor, XCB_CW_EVENT_MASK, &mask);
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, request.property,
                                connection_->atom("INCR"), 32, 1, &announced);
            requestor_ = request.requestor;
            property_ = request.property;
            target_ = request.target;
        }
        X11SelectionOwner::answer(c, request, request.property);
        ++answered_;
        if (!incremental || request.target == connection_->atom("TARGETS")) {
            return;
        }
        if (behaviour_ == Behaviour::diesInIncrementalTransfer) {
            queue_.post([this] {
                subscription_.cancel();
                window_.reset();
                connection_.reset();
            });
        } else if (behaviour_ == Behaviour::destroysWindowInIncrementalTransfer) {
            queue_.post([this] {
                window_.reset();
                connection_->flush();
            });
        }
    }

    void onPropertyNotify(const xcb_property_notify_event_t& event) {
        if (behaviour_ != Behaviour::endlessIncrementalTransfer || event.window != requestor_ ||
            event.atom != property_ || event.state != XCB_PROPERTY_DELETE) {
            return;
        }
        const std::string chunk(64 * 1024, 'e');
        xcb_change_property(connection_->get(), XCB_PROP_MODE_REPLACE, requestor_, property_,
                            target_, 8, static_cast<std::uint32_t>(chunk.size()), chunk.data());
        connection_->flush();
        ++chunksSent_;
    }

    Behaviour behaviour_;
    std::chrono::milliseconds delay_;
    TestEventLoop queue_;
    std::vector<TaskHandle> late_;
    int answered_ = 0;
    std::unique_ptr<X11Connection> connection_;
    std::unique_ptr<X11HelperWindow> window_;
    TaskHandle subscription_;
    xcb_window_t requestor_ = XCB_WINDOW_NONE;
    xcb_atom_t property_ = XCB_ATOM_NONE;
    xcb_atom_t target_ = XCB_ATOM_NONE;
    int chunksSent_ = 0;
};

/// Asks for the clipboard on a connection of its own and takes (or does not take) what comes:
/// from a window of its own, or from a mapped one holding the focus, as the application a paste
/// key was typed in.
class Requestor {
  public:
    explicit Requestor(bool focused = false) {
        std::string error;
        connection_ = X11Connection::open(nullptr, error);
        EXPECT_NE(connection_, nullptr) << error;
        if (focused) {
            window_ = mapFocusedWindow(*connection_, XCB_EVENT_MASK_PROPERTY_CHANGE);
        } else {
            helper_ = connection_->createHelperWindow(XCB_EVENT_MASK_PROPERTY_CHANGE);
            window_ = *helper_;
        }
        connection_->attach(queue_);
        subscription_ = connection_->subscribe([this](const xcb_generic_event_t& event) {
            const auto type = event.response_type & 0x7F;
            if (type == XCB_SELECTION_NOTIFY) {
                const auto& notify = reinterpret_cast<const xcb_selection_notify_event_t&>(event);
                answers_.push_back(notify.property);
            } else if (type == XCB_PROPERTY_NOTIFY) {
                const auto& property = reinterpret_cast<const xcb_property_notify_event_t&>(event);
                if (property.state == XCB_PROPERTY_NEW_VALUE) {
                    ++newValues_;
                }
            }
        });
    }

    xcb_connection_t* c() { return connection_->get(); }
    xcb_window_t window() const { return window_; }
    xcb_atom_t atom(std::string_view name) { return connection_->atom(name); }

    /// Converts the clipboard to `target` into `property` as of `time` and waits for the
    /// answer: the property named in the notice (None when refused), or nothing when none came.
    std::optional<xcb_atom_t> ask(xcb_atom_t target, xcb_atom_t property,
                                  xcb_timestamp_t time = XCB_CURRENT_TIME) {
        const std::size_t before = answers_.size();
        xcb_convert_selection(c(), window_, atom("CLIPBOARD"), target, property, time);
        connection_->flush();
        if (!waitUntil([&] { return answers_.size() > before; }, 10000)) {
            return std::nullopt;
        }
        return answers_[before];
    }

    /// The property's bytes; `type` gets its type.
    std::string read(xcb_atom_t property, xcb_atom_t* type = nullptr) {
        XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            c(), xcb_get_property(c(), 0, window_, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 24),
            nullptr));
        if (!reply) {
            return {};
        }
        if (type != nullptr) {
            *type = reply->type;
        }
        // The value's length is in bytes whatever its format.
        return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                           static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
    }

    /// Takes `count` chunks of an INCR transfer into `property`, as a requestor does.
    void takeChunks(xcb_atom_t property, int count) {
        for (int i = 0; i < count; ++i) {
            const int before = newValues_;
            xcb_delete_property(c(), window_, property);
            connection_->flush();
            ASSERT_TRUE(waitUntil([&] { return newValues_ > before; }, 3000));
        }
    }

    /// The clipboard's text as a toolkit asks for it on a paste key, stamped with `time`;
    /// nothing when refused.
    std::optional<std::string> paste(const char* target = "UTF8_STRING",
                                     xcb_timestamp_t time = XCB_CURRENT_TIME) {
        const xcb_atom_t property = atom("_TEST_PASTE");
        const auto answered = ask(atom(target), property, time);
        if (!answered || *answered == XCB_ATOM_NONE) {
            return std::nullopt;
        }
        std::string text = read(property);
        xcb_delete_property(c(), window_, property);
        connection_->flush();
        return text;
    }

    /// Disconnects at once, whatever it was in the middle of.
    void die() {
        subscription_.cancel();
        helper_.reset();
        connection_.reset();
    }

  private:
    test::TestEventLoop queue_;
    std::unique_ptr<X11Connection> connection_;
    std::unique_ptr<X11HelperWindow> helper_;
    xcb_window_t window_ = XCB_WINDOW_NONE;
    TaskHandle subscription_;
    std::vector<xcb_atom_t> answers_;
    int newValues_ = 0;
};

}  // namespace tovra::test
