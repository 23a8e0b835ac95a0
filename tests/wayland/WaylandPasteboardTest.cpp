#include "platform/wayland/WaylandPasteboard.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <map>
#include <string>

#include "RepeatedText.h"
#include "Tovra/base/PasteboardTypes.h"
#include "WaylandClients.h"

namespace tovra {
namespace {

using test::Client;
using test::copyWithWlCopy;
using test::pasteWithWlPaste;
using test::runCommand;
using test::waitUntil;

TEST(WaylandPasteboardReading, CopiesArriveInOrderWithTheirTypes) {
    Client us;
    ASSERT_NE(us.pasteboard, nullptr);
    const auto before = us.changes.size();
    // Each copy read before the next: wl-copy stops serving once replaced, and on a loaded
    // machine the next copy can come before the read (nothing of it is left to read then).
    const std::vector<std::pair<std::string, std::string>> copies{
        {"first", "text/plain"},
        {"<b>second</b>", "text/html"},
        {"{\\rtf1 third}", "text/rtf"},
        {std::string("\x89PNG\r\n\x1A\n\0\0", 10), "image/png"},
        {"h\xC3\xA9llo w\xC3\xB6rld", "text/plain"}};
    for (const auto& [content, type] : copies) {
        const auto seen = us.changes.size();
        copyWithWlCopy(content, type);
        ASSERT_TRUE(us.waitForChanges(seen + 1)) << type;
    }
    ASSERT_EQ(us.changes.size(), before + 5);
    EXPECT_EQ(Client::textOf(us.changes[before]), "first");
    const auto typeOf = [&](std::size_t index) {
        const auto& contents = *us.changes[index].contents;
        return contents.empty() ? std::string("<nothing>") : contents[0].type;
    };
    EXPECT_EQ(typeOf(before + 1), pasteboardType::html);
    EXPECT_EQ(typeOf(before + 2), pasteboardType::rtf);
    ASSERT_EQ(typeOf(before + 3), pasteboardType::png);
    EXPECT_EQ((*us.changes[before + 3].contents)[0].data.view(),
              std::string_view("\x89PNG\r\n\x1A\n\0\0", 10));
    EXPECT_EQ(Client::textOf(us.changes[before + 4]), "h\xC3\xA9llo w\xC3\xB6rld");
    // Each change counted once, in order.
    for (std::size_t i = before + 1; i < us.changes.size(); ++i) {
        EXPECT_EQ(us.changes[i].changeCount, us.changes[i - 1].changeCount + 1);
    }
    const auto text = us.pasteboard->string();
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->view(), "h\xC3\xA9llo w\xC3\xB6rld");
}

TEST(WaylandPasteboardReading, TextThatIsNotUtf8IsReadAsLatin1) {
    Client us;
    const auto before = us.changes.size();
    copyWithWlCopy("caf\xE9 cr\xE8me", "text/plain");
    ASSERT_TRUE(us.waitForChanges(before + 1));
    EXPECT_EQ(Client::textOf(us.changes.back()), "caf\xC3\xA9 cr\xC3\xA8me");
}

TEST(WaylandPasteboardReading, ACopyOverTheBudgetIsLeftOutAndTheNextOneIsRead) {
    Client us({std::size_t{1} << 20, test::fastOptions.readStep, test::fastOptions.serveStep});
    const auto before = us.changes.size();
    copyWithWlCopy(test::repeated("x", (std::size_t{1} << 20) + 1));
    copyWithWlCopy("small after big");
    ASSERT_TRUE(us.waitForChanges(before + 2));
    EXPECT_TRUE(us.changes[before].contents->empty());
    EXPECT_EQ(Client::textOf(us.changes[before + 1]), "small after big");
}

/// The sizes of what a change holds, by type.
std::map<std::string, std::size_t> sizesOf(const PasteboardChange& change) {
    std::map<std::string, std::size_t> sizes;
    for (const auto& representation : *change.contents) {
        sizes[representation.type] = representation.data.size();
    }
    return sizes;
}

/// A copy by tovra-typed-copy: `types` offered with as many bytes each.
std::unique_ptr<test::BackgroundProcess> copyTyped(
    int delayMs, const std::string& mode,
    const std::vector<std::pair<std::string, std::size_t>>& types) {
    std::vector<std::string> argv{TOVRA_TYPED_COPY, std::to_string(delayMs), mode};
    for (const auto& [type, size] : types) {
        argv.push_back(type);
        argv.push_back(std::to_string(size));
    }
    auto process = std::make_unique<test::BackgroundProcess>(argv);
    EXPECT_TRUE(waitUntil([&] { return process->output() == "ready\n"; }));
    return process;
}

TEST(WaylandPasteboardReading, LargeCopiesAreReadWholeAndAllTypesTogetherKeepToTheBudget) {
    // Steps long enough for a forked writer under a sanitizer to say its first byte.
    Client us(
        {std::size_t{10} << 20, std::chrono::milliseconds(3000), std::chrono::milliseconds(3000)});
    auto before = us.changes.size();
    // wl-copy writes with a plain loop: a pipe that would not block on its side ends its copy.
    const std::string mebibyte = test::repeated("x", std::size_t{1} << 20);
    copyWithWlCopy(mebibyte);
    // Megabytes through a sanitizer on a loaded machine take their time.
    ASSERT_TRUE(us.waitForChanges(before + 1, 30000));
    EXPECT_EQ(Client::textOf(us.changes.back()).size(), mebibyte.size());

    // Two types written at once, each under the budget, together over it.
    before = us.changes.size();
    const auto copy = copyTyped(0, "parallel", {{"text/plain", 6 << 20}, {"text/html", 6 << 20}});
    ASSERT_TRUE(us.waitForChanges(before + 1, 30000));
    std::size_t held = 0;
    for (const auto& [type, size] : sizesOf(us.changes.back())) {
        held += size;
    }
    EXPECT_EQ(held, std::size_t{6} << 20);
}

TEST(WaylandPasteboardReading, AClientWritingOneTypeAfterAnotherLosesNone) {
    Client us(
        {test::fastOptions.maxBytes, std::chrono::milliseconds(1000), test::fastOptions.serveStep});
    const auto before = us.changes.size();
    // Each type written 400 ms after the one before: the last ones later than one step.
    const auto copy =
        copyTyped(400, "serial", {{"text/plain", 10}, {"text/html", 20}, {"text/rtf", 30}});
    ASSERT_TRUE(us.waitForChanges(before + 1));
    const std::map<std::string, std::size_t> expected{{std::string(pasteboardType::string), 10},
                                                      {std::string(pasteboardType::html), 20},
                                                      {std::string(pasteboardType::rtf), 30}};
    EXPECT_EQ(sizesOf(us.changes.back()), expected);
}

TEST(WaylandPasteboardReading, AnOwnerThatNeverWritesCostsOneStepAndNothingElse) {
    Client us;
    const auto before = us.changes.size();
    // A client that offers and then never answers: a stopped wl-copy.
    test::BackgroundProcess silent({"wl-copy", "--foreground", "never sent"});
    ASSERT_TRUE(
        waitUntil([&] { return us.changes.size() > before || us.pasteboard->isReading(); }));
    kill(silent.pid(), SIGSTOP);
    // Resumed whatever fails below, or stopping it would wait for ever.
    const struct Resume {
        pid_t pid;
        ~Resume() { kill(pid, SIGCONT); }
    } resume{silent.pid()};
    ASSERT_TRUE(us.waitForChanges(before + 1, 10000));
    copyWithWlCopy("answered");
    ASSERT_TRUE(us.waitForChanges(before + 2, 10000));
    EXPECT_EQ(Client::textOf(us.changes.back()), "answered");
}

TEST(WaylandPasteboardWriting, OurContentsAreServedWholeAndNeverComeBackAsCopies) {
    Client us;
    const auto before = us.changes.size();
    const std::string large = test::repeated("line \xC3\xA9t\xC3\xA9\n", 300'000);  // ~3.3 MB
    us.stage(large);
    EXPECT_TRUE(us.pasteboard->ownsSelection());
    EXPECT_EQ(pasteWithWlPaste("text/plain;charset=utf-8"), large);
    us.stage("staged");
    EXPECT_EQ(pasteWithWlPaste("UTF8_STRING"), "staged");
    waitUntil([] { return false; }, 200);
    EXPECT_EQ(us.changes.size(), before);  // our own writes are no copies
    EXPECT_EQ(us.pasteboard->transfersInProgress(), 0U);
}

TEST(WaylandPasteboardWriting, OurContentsAreServedWhileTheMainLoopWaits) {
    Client us;
    us.stage("served all the same");
    // As Qt in our own process reads the clipboard: the main loop waits for the answer.
    std::string pasted;
    FILE* paste = popen("timeout 3 wl-paste --no-newline", "r");
    ASSERT_NE(paste, nullptr);
    char buffer[256];
    for (std::size_t count; (count = fread(buffer, 1, sizeof buffer, paste)) > 0;) {
        pasted.append(buffer, count);
    }
    pclose(paste);
    EXPECT_EQ(pasted, "served all the same");
}

TEST(WaylandPasteboardWriting, AReaderThatNeverReadsDoesNotHoldTheLoop) {
    Client us;
    us.stage(test::repeated("x", 4 << 20));
    // A reader that takes the first bytes and then stops reading.
    test::BackgroundProcess stalled({"sh", "-c", "wl-paste --no-newline | sleep 30"});
    ASSERT_TRUE(waitUntil([&] { return us.pasteboard->transfersInProgress() == 1; }));
    const auto before = us.changes.size();
    copyWithWlCopy("still read");
    ASSERT_TRUE(us.waitForChanges(before + 1));
    EXPECT_EQ(Client::textOf(us.changes.back()), "still read");
    // The transfer gives up once its reader has taken nothing for a whole step.
    EXPECT_TRUE(waitUntil([&] { return us.pasteboard->transfersInProgress() == 0; }, 6000));
}

TEST(WaylandPasteboardWriting, AWipeTakesOnlyWhatIsStillOurs) {
    Client us;
    us.stage("ours");
    us.pasteboard->clearContents();
    us.pasteboard->commitPendingWrites();
    // An empty text of ours, not nothing: a manager would fill an empty clipboard.
    EXPECT_EQ(pasteWithWlPaste(), "");

    us.stage("ours again");
    const auto before = us.changes.size();
    copyWithWlCopy("the user's copy");
    ASSERT_TRUE(us.waitForChanges(before + 1));
    EXPECT_FALSE(us.pasteboard->ownsSelection());  // our source was cancelled
    us.pasteboard->clearContents();
    us.pasteboard->commitPendingWrites();
    EXPECT_EQ(pasteWithWlPaste(), "the user's copy");
}

TEST(WaylandPasteboardWriting, OurContentsOfferedByAnotherClientAreStillOurs) {
    Client us;
    us.stage("staged");
    const auto before = us.changes.size();
    // A clipboard manager taking over what we offer, markers and all.
    // Marked with a content: managers leave out types that hold nothing.
    ASSERT_EQ(pasteWithWlPaste("application/x-tovra-staged"), "staged");
    ASSERT_EQ(test::runDetaching({"wl-copy", "--type", "application/x-tovra-staged"}, "staged"), 0);
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(us.changes.size(), before);  // no copy of the user's
    us.pasteboard->clearContents();
    us.pasteboard->commitPendingWrites();
    // Still ours: the wipe takes it from the manager too.
    EXPECT_EQ(pasteWithWlPaste(), "");
}

TEST(WaylandPasteboardReading, AManagerTakingOverACopyOrOurItemIsNoCopyOfTheUsers) {
    Client us;
    auto before = us.changes.size();
    // As clipman does: it reads each copy and offers the same text as its own at once.
    copyWithWlCopy("copied once");
    copyWithWlCopy("copied once");
    copyWithWlCopy("copied again");
    ASSERT_TRUE(us.waitForChanges(before + 2));
    waitUntil([] { return false; }, 300);
    ASSERT_EQ(us.changes.size(), before + 2);
    EXPECT_EQ(Client::textOf(us.changes.back()), "copied again");

    before = us.changes.size();
    us.stage("staged");
    copyWithWlCopy("staged");
    waitUntil([&] { return us.changes.size() > before; }, 300);
    EXPECT_EQ(us.changes.size(), before);
    us.pasteboard->clearContents();
    us.pasteboard->commitPendingWrites();
    EXPECT_EQ(pasteWithWlPaste(), "");  // taken back from the manager
}

}  // namespace
}  // namespace tovra
