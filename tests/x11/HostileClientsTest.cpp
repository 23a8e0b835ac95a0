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
using RogueRequestor = test::Requestor;
using test::waitUntil;

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
