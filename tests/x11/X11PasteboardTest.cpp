#include "platform/x11/X11Pasteboard.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstring>
#include <fstream>
#include <memory>

#include "BackgroundProcess.h"
#include "FocusedWindow.h"
#include "PasteboardClients.h"
#include "ThreadWakeUps.h"
#include "Tovra/base/PasteboardTypes.h"

namespace tovra {
namespace {

using test::Client;
using test::copyWithXclip;
using test::pasteWithXclip;
using test::repeated;
using test::RogueOwner;
using test::runCommand;
using test::textOfSize;
using test::waitUntil;
using Contents = X11Pasteboard::Contents;

TEST(X11PasteboardReading, ForeignCopiesArriveWithTheirTypesAndCountOnce) {
    Client us;
    struct Case {
        std::string target;
        std::string_view type;
        std::string content;
    };
    const std::vector<Case> cases{
        {"UTF8_STRING", pasteboardType::string, "h\xC3\xA9llo w\xC3\xB6rld"},
        {"text/html", pasteboardType::html, "<b>bold</b>"},
        {"text/rtf", pasteboardType::rtf, "{\\rtf1 hi}"},
        {"image/png", pasteboardType::png, std::string("\x89PNG\r\n\x1A\n\0\0", 10)},
        {"image/tiff", pasteboardType::tiff, std::string("II*\0", 4)},
    };
    for (const auto& c : cases) {
        const auto before = us.pasteboard->changeCount();
        copyWithXclip(c.target, c.content);
        ASSERT_TRUE(us.waitForChangeAfter(before)) << c.target;
        EXPECT_EQ(us.pasteboard->changeCount(), before + 1) << c.target;
        const auto bytes = us.pasteboard->data(c.type);
        ASSERT_TRUE(bytes.has_value()) << c.target;
        EXPECT_EQ(bytes->view(), c.content) << c.target;
    }
}

TEST(X11PasteboardReading, CopiesInQuickSuccessionAreEachReportedInOrder) {
    Client us;
    const auto before = us.changes.size();
    for (int i = 0; i < 10; ++i) {
        copyWithXclip("UTF8_STRING", "copy " + std::to_string(i));
        waitUntil([] { return false; }, 50);  // the next copy comes while the loop runs on
    }
    ASSERT_TRUE(waitUntil([&] { return us.changes.size() >= before + 10; }));
    for (int i = 0; i < 10; ++i) {
        const auto& change = us.changes[before + static_cast<std::size_t>(i)];
        ASSERT_EQ(change.contents->size(), 1u);
        EXPECT_EQ((*change.contents)[0].data.view(), "copy " + std::to_string(i));
        if (i > 0) {
            EXPECT_GT(change.changeCount, us.changes[before + i - 1].changeCount);
        }
    }
}

TEST(X11PasteboardReading, NobodyObservingMeansNothingOfOthersIsRead) {
    Client us;
    us.pasteboard->observeChanges(nullptr);
    copyWithXclip("UTF8_STRING", "private");
    waitUntil([] { return false; }, 300);
    EXPECT_FALSE(us.pasteboard->isReading());
    EXPECT_EQ(us.pasteboard->string(), std::nullopt);
    us.pasteboard->recheck();  // a copy keystroke while off reads nothing either
    EXPECT_FALSE(us.pasteboard->isReading());
    EXPECT_TRUE(us.changes.empty());
}

TEST(X11PasteboardReading, ACopyWhileASlowOwnerAnswersIsReportedAfterItsOwnCopy) {
    Client us;
    const auto before = us.changes.size();
    // It answers only after the next copy took the clipboard: its text was asked for at once.
    RogueOwner slow(RogueOwner::Behaviour::slow, std::chrono::milliseconds(120));
    slow.text = "first copy";
    waitUntil([] { return false; }, 40);
    copyWithXclip("UTF8_STRING", "second copy");
    ASSERT_TRUE(waitUntil([&] { return us.changes.size() >= before + 2; }));
    ASSERT_EQ(us.changes.size(), before + 2);
    const auto textOf = [&](std::size_t i) {
        const auto& contents = *us.changes[before + i].contents;
        return contents.empty() ? std::string("<nothing>") : std::string(contents[0].data.view());
    };
    EXPECT_EQ(textOf(0), "first copy");
    EXPECT_EQ(textOf(1), "second copy");
}

TEST(X11PasteboardReading, AnswersThatComeTooLateAreDeletedEvenWithNobodyObserving) {
    Client us;
    const auto before = us.pasteboard->changeCount();
    RogueOwner slow(RogueOwner::Behaviour::slow, std::chrono::milliseconds(700));
    ASSERT_TRUE(us.waitForChangeAfter(before));  // given up after a step without an answer
    EXPECT_EQ(us.pasteboard->string(), std::nullopt);
    us.pasteboard->observeChanges(nullptr);  // switched off meanwhile
    // The answers come to windows nobody reads any more: none of their text stays there.
    ASSERT_TRUE(waitUntil([&] { return slow.answered() >= 1; }, 3000));
    EXPECT_TRUE(waitUntil(
        [&] { return us.pasteboard->readWindowsInUse() == 0 && us.nothingLeftOnOurWindows(); }));
}

TEST(X11PasteboardReading, LargeTextArrivesWholeThroughIncrementalTransfer) {
    Client us;
    const std::string text = textOfSize(10 << 20);
    const auto before = us.pasteboard->changeCount();
    copyWithXclip("UTF8_STRING", text);
    ASSERT_TRUE(us.waitForChangeAfter(before, 20000));
    const auto bytes = us.pasteboard->string();
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->size(), text.size());
    EXPECT_TRUE(bytes->view() == text);

    // Latin-1 text (STRING) that large comes in chunks too and is still read as Latin-1.
    const std::string latin1 = repeated("caf\xE9 ", 1'000'000);
    const auto counted = us.pasteboard->changeCount();
    copyWithXclip("STRING", latin1);
    ASSERT_TRUE(us.waitForChangeAfter(counted, 20000));
    const auto utf8 = us.pasteboard->string();
    ASSERT_TRUE(utf8.has_value());
    EXPECT_TRUE(utf8->view() == repeated("caf\xC3\xA9 ", 1'000'000));
}

TEST(X11PasteboardReading, ContentOverTheBudgetIsSkippedButTheChangeCounts) {
    // A budget a copy can pass in one piece: xclip sends larger ones in chunks, and under load
    // it was seen to end such a transfer after its first chunk.
    X11Pasteboard::Options options = test::fastOptions;
    options.maxBytes = std::size_t{256} << 10;
    Client us(options);
    const auto before = us.pasteboard->changeCount();
    copyWithXclip("image/png", std::string(300 << 10, 'p'));
    ASSERT_TRUE(us.waitForChangeAfter(before, 20000));
    const auto png = us.pasteboard->data(pasteboardType::png);
    EXPECT_FALSE(png.has_value()) << png->size() << " bytes kept";
    // The refused transfer is drained: none of its bytes stay on our windows in the server.
    EXPECT_TRUE(waitUntil([&] { return us.nothingLeftOnOurWindows(); }));

    const auto after = us.pasteboard->changeCount();
    copyWithXclip("UTF8_STRING", "next copy");
    ASSERT_TRUE(us.waitForChangeAfter(after));
    EXPECT_EQ(us.text(), "next copy");
}

TEST(X11PasteboardWriting, WhatWeWriteIsReadBackWholeByAnotherClient) {
    Client us;
    const std::string large = textOfSize(10 << 20);
    us.write({{std::string(pasteboardType::rtf), Bytes("{\\rtf1 rich}")},
              {std::string(pasteboardType::html), Bytes("<i>rich</i>")},
              {std::string(pasteboardType::string), Bytes(large)},
              {std::string(pasteboardType::png), Bytes(std::string("\x89PNG\0\1", 6))}});
    ASSERT_TRUE(us.pasteboard->ownsSelection());
    EXPECT_EQ(pasteWithXclip("text/rtf"), "{\\rtf1 rich}");
    EXPECT_EQ(pasteWithXclip("application/rtf"), "{\\rtf1 rich}");
    EXPECT_EQ(pasteWithXclip("text/html"), "<i>rich</i>");
    EXPECT_EQ(pasteWithXclip("image/png"), std::string("\x89PNG\0\1", 6));
    const std::string pasted = pasteWithXclip("UTF8_STRING");
    EXPECT_EQ(pasted.size(), large.size());
    EXPECT_TRUE(pasted == large);
    const std::string targets = pasteWithXclip("TARGETS");
    EXPECT_NE(targets.find("text/html"), std::string::npos);
    EXPECT_NE(targets.find("TIMESTAMP"), std::string::npos);
}

TEST(X11PasteboardWriting, AfterServingRequestsEveryThreadOfOursSleeps) {
    Client us;
    const std::string large = textOfSize(1 << 20);
    us.write({{std::string(pasteboardType::string), Bytes(large)},
              {std::string(pasteboardType::html), Bytes("<i>small</i>")}});
    EXPECT_EQ(pasteWithXclip("text/html"), "<i>small</i>");
    EXPECT_EQ(pasteWithXclip("UTF8_STRING").size(), large.size());  // in chunks
    ASSERT_TRUE(waitUntil([&] { return us.pasteboard->transfersInProgress() == 0; }));
    waitUntil([] { return false; }, 100);
    const auto before = test::backgroundThreadActivity();
    waitUntil([] { return false; }, 1000);
    const auto atRest = test::backgroundThreadActivity() - before;
    ASSERT_GE(atRest.threads, 1);  // the one that served
    EXPECT_LT(atRest.switches, 3);
    EXPECT_LT(atRest.cpuNanoseconds, 5'000'000);
}

TEST(X11PasteboardWriting, TwoOfUsExchangeEveryTypeInOrder) {
    Client writer;
    Client reader;
    const Contents rich{{std::string(pasteboardType::rtf), Bytes("{\\rtf1 x}")},
                        {std::string(pasteboardType::html), Bytes("<b>x</b>")},
                        {std::string(pasteboardType::string), Bytes("x \xE2\x82\xAC")},
                        {std::string(pasteboardType::tiff), Bytes(std::string("MM\0*", 4))}};
    const auto before = reader.pasteboard->changeCount();
    writer.write(rich);
    ASSERT_TRUE(reader.waitForChangeAfter(before));
    for (const auto& representation : rich) {
        const auto bytes = reader.pasteboard->data(representation.type);
        ASSERT_TRUE(bytes.has_value()) << representation.type;
        EXPECT_EQ(*bytes, representation.data);
    }
    // A Latin-1 only client gets the text as Latin-1, with what it cannot show replaced.
    EXPECT_EQ(pasteWithXclip("STRING"), "x ?");
}

TEST(X11PasteboardWriting, OwnWritesAndWipesCountOnceAndAreNotForeignChanges) {
    Client us;
    const auto start = us.pasteboard->changeCount();
    us.write({{std::string(pasteboardType::string), Bytes("staged")}});  // owned on return
    EXPECT_EQ(us.text(), "staged");
    waitUntil([] { return false; }, 100);  // the server's notice of our ownership counts nothing
    EXPECT_EQ(us.pasteboard->changeCount(), start + 1);

    us.pasteboard->clearContents();
    ASSERT_TRUE(waitUntil([&] { return !us.pasteboard->hasPendingWrite(); }));
    EXPECT_FALSE(us.pasteboard->ownsSelection());
    EXPECT_TRUE(waitUntil([] {
        return runCommand({"xclip", "-selection", "clipboard", "-o"}).exitCode == 1;
    }));
    EXPECT_EQ(us.pasteboard->changeCount(), start + 2);
}

TEST(X11PasteboardWriting, AWriteRightAfterAWipeIsServed) {
    Client us;
    for (int round = 0; round < 10; ++round) {
        us.write({{std::string(pasteboardType::string), Bytes("old " + std::to_string(round))}});
        us.pasteboard->clearContents();  // a wipe: its release also notifies us, later
        waitUntil([&] { return !us.pasteboard->hasPendingWrite(); });
        const std::string text = "new " + std::to_string(round);
        us.write({{std::string(pasteboardType::string), Bytes(text)}});  // owned on return
        ASSERT_EQ(pasteWithXclip("UTF8_STRING"), text) << "round " << round;
    }
}

/// No owner, or one offering an empty text (left so a clipboard manager puts nothing back).
bool nothingOnTheClipboard() {
    const auto pasted = runCommand({"xclip", "-selection", "clipboard", "-o"});
    return pasted.exitCode != 0 || pasted.output.empty();
}

std::optional<std::string> requestTextAt(xcb_timestamp_t time) {
    return test::Requestor().paste("UTF8_STRING", time);
}

/// An application with a mapped window that holds the input focus: the target of a paste.
struct FocusedApplication : test::Requestor {
    FocusedApplication() : Requestor(true) {}
};

/// Records the outcomes a watch reports.
struct Outcomes {
    std::function<void(PasteDelivery)> recorder() {
        return [this](PasteDelivery delivery) { reported.push_back(delivery); };
    }
    std::vector<PasteDelivery> reported;
};

// What a watch reports for a paste its application took.
const std::vector<PasteDelivery> asked{PasteDelivery::requested, PasteDelivery::doneReading};

// Long enough for a loaded machine to ask within it; short where it must pass.
constexpr std::chrono::milliseconds deliveryWindow{2000};
constexpr std::chrono::milliseconds shortDeliveryWindow{400};

TEST(X11PasteDelivery, ARequestFromTheFocusedApplicationIsAPaste) {
    FocusedApplication target;
    Client us;
    Outcomes outcomes;
    us.pasteboard->clearContents();
    us.pasteboard->setData(Bytes("item"), pasteboardType::string);
    ASSERT_TRUE(us.pasteboard->watchPasteDelivery(deliveryWindow, outcomes.recorder()));
    ASSERT_TRUE(waitUntil([&] { return us.pasteboard->ownsSelection(); }, 2000));
    EXPECT_EQ(target.paste(), "item");
    ASSERT_TRUE(waitUntil([&] { return outcomes.reported.size() == 2; }, 2000));
    EXPECT_EQ(outcomes.reported, asked);
}

TEST(X11PasteDelivery, AskingForATypeWeLackIsNoPasteYet) {
    FocusedApplication target;
    Client us;
    Outcomes outcomes;
    us.write({{std::string(pasteboardType::string), Bytes("item")}});
    ASSERT_TRUE(us.pasteboard->watchPasteDelivery(deliveryWindow, outcomes.recorder()));
    // GTK 3's text view asks for its own rich text first, then for plain text.
    EXPECT_EQ(target.paste("GTK_TEXT_BUFFER_CONTENTS"), std::nullopt);
    EXPECT_EQ(target.paste("TARGETS").has_value(), true);
    waitUntil([] { return false; }, 100);
    EXPECT_TRUE(outcomes.reported.empty());
    EXPECT_EQ(target.paste(), "item");
    ASSERT_TRUE(waitUntil([&] { return outcomes.reported.size() == 2; }, 2000));
    EXPECT_EQ(outcomes.reported, asked);
}

TEST(X11PasteDelivery, ARequestFromAnotherProcessThanTheFocusedWindowIsAPaste) {
    FocusedApplication target;
    Client us;
    Outcomes outcomes;
    us.write({{std::string(pasteboardType::string), Bytes("item")}});
    ASSERT_TRUE(us.pasteboard->watchPasteDelivery(shortDeliveryWindow, outcomes.recorder()));
    // Some applications serve their clipboard from a process of their own.
    EXPECT_EQ(pasteWithXclip("UTF8_STRING"), "item");
    ASSERT_TRUE(waitUntil([&] { return outcomes.reported.size() == 2; }, 3000));
    EXPECT_EQ(outcomes.reported, asked);
}

TEST(X11PasteDelivery, HistoryToolsAreToldToSkipAStagedItemAndAskingThatIsNoRead) {
    FocusedApplication target;
    Client us;
    us.write({{std::string(pasteboardType::string), Bytes("item")},
              {std::string(pasteboardType::concealed), Bytes("secret")}});
    Outcomes outcomes;
    ASSERT_TRUE(us.pasteboard->watchPasteDelivery(shortDeliveryWindow, outcomes.recorder()));
    EXPECT_NE(pasteWithXclip("TARGETS").find("x-kde-passwordManagerHint"), std::string::npos);
    EXPECT_EQ(pasteWithXclip("x-kde-passwordManagerHint"), "secret");
    ASSERT_TRUE(waitUntil([&] { return !outcomes.reported.empty(); }, 3000));
    EXPECT_EQ(outcomes.reported, std::vector{PasteDelivery::notRequested});
}

TEST(X11PasteDelivery, AClipboardManagerReadingEveryChangeIsNoPasteAndALateRequestStillCounts) {
    FocusedApplication target;
    Client us;
    // It looks at the clipboard twice a second: it reads whatever we write, more than once.
    test::BackgroundProcess manager({"parcellite", "-n"});
    us.write({{std::string(pasteboardType::string), Bytes("item")}});
    Outcomes outcomes;
    ASSERT_TRUE(us.pasteboard->watchPasteDelivery(deliveryWindow, outcomes.recorder()));
    ASSERT_TRUE(waitUntil([&] { return !outcomes.reported.empty(); }, 6000));
    EXPECT_EQ(outcomes.reported, std::vector{PasteDelivery::notRequested});
    EXPECT_EQ(target.paste(), "item");  // the target asks after all
    ASSERT_TRUE(waitUntil([&] { return outcomes.reported.size() == 3; }, 2000));
    EXPECT_EQ(outcomes.reported[1], PasteDelivery::requested);
    EXPECT_EQ(outcomes.reported[2], PasteDelivery::doneReading);
}

TEST(X11PasteDelivery, PastedAgainBeforeAnyoneAskedEitherPasteMayTakeIt) {
    FocusedApplication ignoring;
    Client us;
    us.write({{std::string(pasteboardType::string), Bytes("item")}});
    Outcomes first;
    ASSERT_TRUE(us.pasteboard->watchPasteDelivery(deliveryWindow, first.recorder()));
    FocusedApplication target;  // the user clicks the right field and pastes again
    Outcomes second;
    ASSERT_TRUE(us.pasteboard->watchPasteDelivery(deliveryWindow, second.recorder()));
    EXPECT_EQ(target.paste(), "item");
    ASSERT_TRUE(waitUntil([&] { return second.reported.size() == 2; }, 2000));
    EXPECT_EQ(second.reported, asked);
    EXPECT_TRUE(first.reported.empty());
}

TEST(X11PasteDelivery, AnotherOwnerMeanwhileCountsAsTakenAndANewerWriteIsNoRequest) {
    FocusedApplication target;
    Client us;
    Outcomes outcomes;
    us.write({{std::string(pasteboardType::string), Bytes("item")}});
    ASSERT_TRUE(us.pasteboard->watchPasteDelivery(deliveryWindow, outcomes.recorder()));
    copyWithXclip("UTF8_STRING", "someone else's");
    ASSERT_TRUE(waitUntil([&] { return !outcomes.reported.empty(); }, 2000));
    EXPECT_EQ(outcomes.reported, std::vector{PasteDelivery::takenElsewhere});

    Outcomes second;
    us.write({{std::string(pasteboardType::string), Bytes("next")}});
    ASSERT_TRUE(us.pasteboard->watchPasteDelivery(deliveryWindow, second.recorder()));
    us.write({{std::string(pasteboardType::string), Bytes("newer")}});
    EXPECT_EQ(second.reported, std::vector{PasteDelivery::notRequested});
}

TEST(X11PasteboardWriting, AHeldPasteKeystrokeGetsItsItemAndTheWipeStillWorks) {
    Client us;
    us.write({{std::string(pasteboardType::string), Bytes("first")}});
    const auto clock = us.connection->createHelperWindow(XCB_EVENT_MASK_PROPERTY_CHANGE);
    // A keystroke frozen before our last ownership: owning as of it would be silently ignored,
    // and our wipe with that time too.
    const xcb_timestamp_t keystroke = us.connection->serverTime(*clock) - 500;
    us.pasteboard->setHeldKeystrokeTime([keystroke] { return keystroke; });
    us.write({{std::string(pasteboardType::string), Bytes("second")}});

    EXPECT_EQ(requestTextAt(keystroke), "second");
    EXPECT_EQ(requestTextAt(XCB_CURRENT_TIME), "second");
    EXPECT_EQ(requestTextAt(keystroke - 1), std::nullopt);  // meant for an earlier owner

    us.pasteboard->clearContents();
    EXPECT_TRUE(waitUntil([&] { return nothingOnTheClipboard(); }, 2000));
}

TEST(X11PasteboardWriting, AHeldPasteKeystrokeNewerThanOurOwnershipIsOwnedAsOfItself) {
    Client us;
    const auto clock = us.connection->createHelperWindow(XCB_EVENT_MASK_PROPERTY_CHANGE);
    const xcb_timestamp_t keystroke = us.connection->serverTime(*clock);
    us.pasteboard->setHeldKeystrokeTime([keystroke] { return keystroke; });
    us.write({{std::string(pasteboardType::string), Bytes("item")}});
    // A GTK 3 entry asks with the key event's time, older than any fresh server time.
    EXPECT_EQ(requestTextAt(keystroke), "item");
    us.pasteboard->clearContents();
    EXPECT_TRUE(waitUntil([&] { return nothingOnTheClipboard(); }, 2000));
}

TEST(X11PasteboardWriting, AWipeAfterAForeignCopyLeavesThatCopy) {
    Client us;
    us.write({{std::string(pasteboardType::string), Bytes("staged")}});
    const auto before = us.pasteboard->changeCount();
    copyWithXclip("UTF8_STRING", "the user's copy");
    // The wipe races the user's copy: the server keeps the copy either way.
    us.pasteboard->clearContents();
    ASSERT_TRUE(waitUntil([&] { return us.pasteboard->changeCount() > before + 1; }));
    EXPECT_EQ(pasteWithXclip("UTF8_STRING"), "the user's copy");
}

TEST(X11PasteboardWriting, AClearFromBeforeOurOwnershipLeavesItOursAndTheWipeWorks) {
    Client us;
    us.write({{std::string(pasteboardType::string), Bytes("staged")}});
    xcb_connection_t* c = us.connection->get();
    XcbReply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        c, xcb_get_selection_owner(c, us.connection->atom("CLIPBOARD")), nullptr));
    ASSERT_TRUE(owner);
    // Told only now that someone took the clipboard before we did.
    xcb_selection_clear_event_t clear{};
    clear.response_type = XCB_SELECTION_CLEAR;
    clear.time = 1;
    clear.owner = owner->owner;
    clear.selection = us.connection->atom("CLIPBOARD");
    xcb_send_event(c, 0, owner->owner, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&clear));
    XcbReply<xcb_get_input_focus_reply_t> roundTrip(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    waitUntil([] { return false; }, 100);
    EXPECT_TRUE(us.pasteboard->ownsSelection());
    us.pasteboard->clearContents();
    EXPECT_TRUE(waitUntil([&] { return nothingOnTheClipboard(); }, 2000));
}

TEST(X11PasteboardReading, RecheckNoticesAnOwnerThatChangesContentsInPlace) {
    Client us;
    const auto before = us.pasteboard->changeCount();
    RogueOwner owner(RogueOwner::Behaviour::keepsOwnership);
    ASSERT_TRUE(us.waitForChangeAfter(before));
    EXPECT_EQ(us.text(), "first");

    const auto counted = us.pasteboard->changeCount();
    owner.text = "second";  // a copy in an application that keeps the selection
    us.pasteboard->recheck();
    ASSERT_TRUE(us.waitForChangeAfter(counted));
    EXPECT_EQ(us.pasteboard->changeCount(), counted + 1);
    EXPECT_EQ(us.text(), "second");
}

TEST(X11PasteboardWriting, AClipboardManagerTakingOverOurItemIsNoCopyAndIsStillWiped) {
    Client us;
    us.write({{std::string(pasteboardType::string), Bytes("staged secret")}});
    const auto count = us.pasteboard->changeCount();
    // What a clipboard manager does: read the new contents and own them itself.
    const std::string taken = pasteWithXclip("UTF8_STRING");
    ASSERT_EQ(taken, "staged secret");
    copyWithXclip("UTF8_STRING", taken);
    ASSERT_TRUE(waitUntil([&] { return !us.pasteboard->ownsSelection(); }));
    ASSERT_TRUE(waitUntil([&] { return !us.pasteboard->isReading(); }));
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(us.pasteboard->changeCount(), count);

    us.pasteboard->clearContents();
    EXPECT_TRUE(waitUntil([&] { return nothingOnTheClipboard(); }, 2000));
}

TEST(X11PasteboardReading, ACopyCheckedAgainBeforeItsChangeIsToldCountsOnce) {
    Client us;
    const auto before = us.changes.size();
    RogueOwner owner(RogueOwner::Behaviour::keepsOwnership);  // takes the clipboard now
    // The copy keystroke's check reads the new owner before we heard it took the clipboard.
    us.pasteboard->recheck();
    ASSERT_TRUE(
        waitUntil([&] { return us.changes.size() > before && !us.pasteboard->isReading(); }));
    waitUntil([&] { return us.changes.size() > before + 1; }, 300);
    EXPECT_EQ(us.changes.size(), before + 1);
    EXPECT_EQ(us.text(), "first");
}

TEST(X11PasteboardReading, RecheckCountsOnlyWhenTheContentsChanged) {
    Client us;
    const auto before = us.pasteboard->changeCount();
    copyWithXclip("UTF8_STRING", "same");
    ASSERT_TRUE(us.waitForChangeAfter(before));
    const auto counted = us.pasteboard->changeCount();
    us.pasteboard->recheck();
    ASSERT_TRUE(waitUntil([&] { return !us.pasteboard->isReading(); }));
    EXPECT_EQ(us.pasteboard->changeCount(), counted);
}

}  // namespace
}  // namespace tovra
