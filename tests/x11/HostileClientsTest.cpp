// Clients that break the selection protocol, on purpose or by dying at the wrong moment: each
// costs a bounded wait, gives back what it held, and never stops us serving or reading others.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <memory>
#include <string>
#include <vector>

#include "PasteboardClients.h"
#include "Tovra/base/PasteboardTypes.h"
#include "Tovra/base/SecureAllocator.h"

namespace tovra {
namespace {

using test::Client;
using test::copyWithXclip;
using test::pasteWithXclip;
using test::RogueOwner;
using test::waitUntil;

/// Asks for our clipboard on a connection of its own and takes (or does not take) what comes.
class RogueRequestor {
  public:
    RogueRequestor() {
        std::string error;
        connection_ = X11Connection::open(nullptr, error);
        EXPECT_NE(connection_, nullptr) << error;
        window_ = connection_->createHelperWindow(XCB_EVENT_MASK_PROPERTY_CHANGE);
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
    xcb_window_t window() const { return *window_; }
    xcb_atom_t atom(std::string_view name) { return connection_->atom(name); }

    /// Converts the clipboard to `target` into `property` and waits for the answer: the
    /// property named in the notice (None when refused), or nothing when none came.
    std::optional<xcb_atom_t> ask(xcb_atom_t target, xcb_atom_t property) {
        const std::size_t before = answers_.size();
        xcb_convert_selection(c(), *window_, atom("CLIPBOARD"), target, property, XCB_CURRENT_TIME);
        connection_->flush();
        if (!waitUntil([&] { return answers_.size() > before; }, 10000)) {
            return std::nullopt;
        }
        return answers_[before];
    }

    /// The property's bytes; `type` gets its type.
    std::string read(xcb_atom_t property, xcb_atom_t* type = nullptr) {
        XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            c(),
            xcb_get_property(c(), 0, *window_, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 24),
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
            xcb_delete_property(c(), *window_, property);
            connection_->flush();
            ASSERT_TRUE(waitUntil([&] { return newValues_ > before; }, 3000));
        }
    }

    /// Disconnects at once, whatever it was in the middle of.
    void die() {
        subscription_.cancel();
        window_.reset();
        connection_.reset();
    }

  private:
    test::TestEventLoop queue_;
    std::unique_ptr<X11Connection> connection_;
    std::unique_ptr<X11HelperWindow> window_;
    TaskHandle subscription_;
    std::vector<xcb_atom_t> answers_;
    int newValues_ = 0;
};

TEST(HostileOwners, CostABoundedWaitAndNeverStopUsReadingTheNextCopy) {
    Client us;
    struct Case {
        RogueOwner::Behaviour behaviour;
        std::optional<std::string> text;
    };
    // Without a deadline for each step, each of these reads would never end.
    const std::vector<Case> cases{
        {RogueOwner::Behaviour::silent, std::nullopt},
        {RogueOwner::Behaviour::wrongFormat, std::nullopt},
        {RogueOwner::Behaviour::diesInIncrementalTransfer, std::nullopt},
        // The text target is beyond what we read of the list: asked for all the same.
        {RogueOwner::Behaviour::hundredThousandTargets, "first"},
        {RogueOwner::Behaviour::endlessIncrementalTransfer, std::nullopt},
        {RogueOwner::Behaviour::destroysWindowInIncrementalTransfer, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.behaviour));
        const auto before = us.pasteboard->changeCount();
        RogueOwner rogue(c.behaviour);
        ASSERT_TRUE(us.waitForChangeAfter(before, 10000));
        const auto text = us.pasteboard->string();
        EXPECT_EQ(text ? std::optional<std::string>(text->view()) : std::nullopt, c.text);
        if (!c.text) {
            EXPECT_EQ(us.pasteboard->data(pasteboardType::string), std::nullopt);
        }

        if (c.behaviour == RogueOwner::Behaviour::endlessIncrementalTransfer) {
            // Whatever it still sends is refused for a while, then it is left waiting: no chunk
            // for a whole second.
            EXPECT_TRUE(waitUntil(
                [&] {
                    const int chunks = rogue.chunksSent();
                    waitUntil([] { return false; }, 1000);
                    return chunks > 0 && rogue.chunksSent() == chunks;
                },
                15000));
        }

        const auto after = us.pasteboard->changeCount();
        copyWithXclip("UTF8_STRING", "normal again");
        ASSERT_TRUE(us.waitForChangeAfter(after));
        EXPECT_EQ(us.text(), "normal again");
    }
}

TEST(HostileRequestors, MalformedMultipleAndMissingPropertiesAreAnsweredAndServingGoesOn) {
    Client us;
    us.write({{std::string(pasteboardType::string), Bytes("our item")}});
    RogueRequestor rogue;
    const xcb_atom_t multiple = rogue.atom("MULTIPLE");
    const xcb_atom_t pairs = rogue.atom("_ROGUE_PAIRS");
    const xcb_atom_t utf8 = rogue.atom("UTF8_STRING");
    const xcb_atom_t atomPair = rogue.atom("ATOM_PAIR");

    // MULTIPLE whose list is bytes, an odd count, atoms that do not exist, or no property.
    const std::string bytes = "not a list of atoms";
    xcb_change_property(rogue.c(), XCB_PROP_MODE_REPLACE, rogue.window(), pairs, atomPair, 8,
                        static_cast<std::uint32_t>(bytes.size()), bytes.data());
    EXPECT_EQ(rogue.ask(multiple, pairs), xcb_atom_t{XCB_ATOM_NONE});

    const xcb_atom_t odd[] = {utf8, rogue.atom("_ROGUE_A"), utf8};
    xcb_change_property(rogue.c(), XCB_PROP_MODE_REPLACE, rogue.window(), pairs, atomPair, 32, 3,
                        odd);
    EXPECT_EQ(rogue.ask(multiple, pairs), pairs);
    EXPECT_EQ(rogue.read(rogue.atom("_ROGUE_A")), "our item");

    const xcb_atom_t bogus[] = {0x0FFFFFFF, 0x0FFFFFFE, utf8, XCB_ATOM_NONE, utf8, 0x0FFFFFFD};
    xcb_change_property(rogue.c(), XCB_PROP_MODE_REPLACE, rogue.window(), pairs, atomPair, 32, 6,
                        bogus);
    EXPECT_EQ(rogue.ask(multiple, pairs), pairs);
    EXPECT_EQ(rogue.ask(multiple, XCB_ATOM_NONE), xcb_atom_t{XCB_ATOM_NONE});

    // A client too old to name a property gets the data under the target's name.
    xcb_atom_t type = XCB_ATOM_NONE;
    EXPECT_EQ(rogue.ask(utf8, XCB_ATOM_NONE), utf8);
    EXPECT_EQ(rogue.read(utf8, &type), "our item");
    EXPECT_EQ(type, utf8);

    EXPECT_TRUE(us.pasteboard->ownsSelection());
    EXPECT_EQ(pasteWithXclip("UTF8_STRING"), "our item");
}

TEST(HostileRequestors, AbandonedTransfersEndAndGiveBackTheirMemory) {
    Client us;
    const std::string large = test::textOfSize(10 << 20);
    us.write({{std::string(pasteboardType::string), Bytes(large)}});
    const std::size_t level = secureLiveBytes();

    // One dies halfway through, one never takes its first chunk.
    RogueRequestor dying;
    const xcb_atom_t incr = dying.atom("INCR");
    const xcb_atom_t into = dying.atom("_ROGUE_DATA");
    ASSERT_EQ(dying.ask(dying.atom("UTF8_STRING"), into), into);
    xcb_atom_t type = XCB_ATOM_NONE;
    dying.read(into, &type);
    ASSERT_EQ(type, incr);
    dying.takeChunks(into, 20);
    dying.die();

    RogueRequestor stuck;
    ASSERT_EQ(stuck.ask(stuck.atom("UTF8_STRING"), into), into);
    EXPECT_GE(us.pasteboard->transfersInProgress(), 1u);

    // Meanwhile everyone else is served.
    EXPECT_TRUE(pasteWithXclip("UTF8_STRING") == large);

    EXPECT_TRUE(waitUntil([&] { return us.pasteboard->transfersInProgress() == 0; }, 8000));
    EXPECT_EQ(secureLiveBytes(), level);
}

TEST(HostileRequestors, ManyTransfersAtOnceShareOneConversionAndOneClientsAreCapped) {
    Client us;
    // Latin-1 is the one target converted for each request.
    const std::string large = test::repeated("caf\xC3\xA9 ", 750'000);
    us.write({{std::string(pasteboardType::string), Bytes(large)}});
    const std::size_t level = secureLiveBytes();

    RogueRequestor rogue;
    int started = 0;
    for (int i = 0; i < 40; ++i) {
        const xcb_atom_t property = rogue.atom("_ROGUE_" + std::to_string(i));
        if (rogue.ask(rogue.atom("STRING"), property) == property) {
            ++started;
        }
    }
    // More start only as earlier ones time out.
    EXPECT_GE(started, 8);
    EXPECT_LE(us.pasteboard->transfersInProgress(), 8u);
    EXPECT_LE(secureLiveBytes(), level + large.size());

    EXPECT_TRUE(pasteWithXclip("UTF8_STRING") == large);
    EXPECT_TRUE(waitUntil([&] { return us.pasteboard->transfersInProgress() == 0; }, 8000));
    EXPECT_EQ(secureLiveBytes(), level);
}

}  // namespace
}  // namespace tovra
