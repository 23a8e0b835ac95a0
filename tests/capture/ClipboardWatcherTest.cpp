#include "Tovra/capture/ClipboardWatcher.h"

#include <gtest/gtest.h>

#include "CaptureHarness.h"
#include "tests/core/CoreTestSupport.h"

namespace tovra {
namespace {

using test::representation;

class ClipboardWatcherTest : public ::testing::Test {
  protected:
    test::CaptureHarness h;
};

TEST_F(ClipboardWatcherTest, WhatWasOnTheClipboardAtLaunchIsNeverCaptured) {
    testing::FakePasteboard pasteboard;
    pasteboard.simulateForeignText("from before launch");
    testing::FakeMainQueue queue;
    ClipboardWatcher watcher(pasteboard, queue);
    EXPECT_EQ(watcher.checkForChange(), std::nullopt);
    pasteboard.simulateForeignText("new copy");
    EXPECT_EQ(watcher.checkForChange(), test::plainPayload("new copy"));
}

TEST_F(ClipboardWatcherTest, EveryReportedChangeIsCapturedInOrderWithoutAnyTimer) {
    h.watcher.start();
    EXPECT_FALSE(h.watcher.isPolling());
    EXPECT_EQ(h.mainQueue.pendingCount(), 0u);  // nothing ticks while nothing happens
    for (const char* text : {"one", "two", "three"}) {
        h.pasteboard.simulateForeignText(text);  // back to back, no turn of the loop between
    }
    ASSERT_EQ(h.controller->captured.size(), 3u);
    EXPECT_EQ(h.controller->captured[0], test::plainPayload("one"));
    EXPECT_EQ(h.controller->captured[2], test::plainPayload("three"));
    // A copy check that comes after sees nothing new: no item twice.
    EXPECT_EQ(h.watcher.checkForChange(), std::nullopt);

    h.watcher.stop();
    EXPECT_FALSE(h.pasteboard.isObserved());  // while stopped nothing is read at all
    h.pasteboard.simulateForeignText("while stopped");
    h.watcher.start();
    h.wait(1000);
    EXPECT_EQ(h.controller->captured.size(), 3u);
}

TEST(ClipboardWatcherPolling, WhereNoChangeIsReportedAPollCapturesTheNewestOnce) {
    testing::FakePasteboard pasteboard{testing::FakePasteboard::WithoutNotifications{}};
    testing::FakeMainQueue queue;
    ClipboardWatcher watcher(pasteboard, queue);
    std::vector<ClipboardPayload> captured;
    struct Recorder final : ClipboardWatcherDelegate {
        explicit Recorder(std::vector<ClipboardPayload>& into) : into_(into) {}
        void clipboardWatcherDidCapture(ClipboardWatcher&, ClipboardPayload payload) override {
            into_.push_back(std::move(payload));
        }
        std::vector<ClipboardPayload>& into_;
    };
    const auto recorder = std::make_shared<Recorder>(captured);
    watcher.setDelegate(recorder);
    watcher.start();
    EXPECT_TRUE(watcher.isPolling());
    pasteboard.simulateForeignText("one");
    pasteboard.simulateForeignText("two");  // two changes between ticks: only the newest
    queue.advance(MainQueue::Seconds(1.26));
    ASSERT_EQ(captured.size(), 1u);
    EXPECT_EQ(captured[0], test::plainPayload("two"));

    watcher.stop();
    EXPECT_EQ(queue.pendingCount(), 0u);
    pasteboard.simulateForeignText("while stopped");
    watcher.start();
    queue.advance(MainQueue::Seconds(1));
    EXPECT_EQ(captured.size(), 1u);
}

TEST_F(ClipboardWatcherTest, CapturesTheFiveTypesInOrderWithTheRightPreview) {
    h.pasteboard.simulateForeignCopy({representation(pasteboardType::string, "hello"),
                                      representation("public.file-url", "file:///etc/passwd"),
                                      representation(pasteboardType::html, "<b>hello</b>"),
                                      representation(pasteboardType::rtf, "{\\rtf1 hello}")});
    const auto rich = h.watcher.checkForChange();
    ASSERT_TRUE(rich.has_value());
    EXPECT_EQ(rich->previewText, "hello");
    ASSERT_EQ(rich->representations.size(), 3u);
    EXPECT_EQ(rich->representations[0].type, pasteboardType::rtf);
    EXPECT_EQ(rich->representations[1].type, pasteboardType::html);
    EXPECT_EQ(rich->representations[2].type, pasteboardType::string);

    h.pasteboard.simulateForeignCopy({representation(pasteboardType::tiff, "II*"),
                                      representation(pasteboardType::png, "\x89PNG")});
    const auto image = h.watcher.checkForChange();
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->previewText, "Image");
    EXPECT_EQ(image->representations[0].type, pasteboardType::png);

    h.pasteboard.simulateForeignCopy({representation("public.file-url", "file:///x")});
    EXPECT_EQ(h.watcher.checkForChange(), std::nullopt);
    h.pasteboard.simulateForeignCopy({representation(pasteboardType::png, "")});
    EXPECT_EQ(h.watcher.checkForChange(), std::nullopt);
}

TEST_F(ClipboardWatcherTest, SkipsWhatDoesNotFitTheBudgetButKeepsLaterSmallerTypes) {
    const std::string sixMiB(6 << 20, 'r');
    h.pasteboard.simulateForeignCopy({representation(pasteboardType::rtf, sixMiB),
                                      representation(pasteboardType::string, "small"),
                                      representation(pasteboardType::tiff, sixMiB)});
    const auto payload = h.watcher.checkForChange();
    ASSERT_TRUE(payload.has_value());
    ASSERT_EQ(payload->representations.size(), 2u);
    EXPECT_EQ(payload->representations[0].type, pasteboardType::rtf);
    EXPECT_EQ(payload->representations[1], representation(pasteboardType::string, "small"));

    const std::string elevenMiB(11 << 20, 'i');
    h.pasteboard.simulateForeignCopy({representation(pasteboardType::png, elevenMiB)});
    EXPECT_EQ(h.watcher.checkForChange(), std::nullopt);
    EXPECT_EQ(h.watcher.checkForChange(), std::nullopt);  // consumed, not retried

    // Text over budget after a big RTF is skipped but still names the item.
    const std::string fiveMiB(5 << 20, 't');
    h.pasteboard.simulateForeignCopy({representation(pasteboardType::rtf, sixMiB),
                                      representation(pasteboardType::string, fiveMiB)});
    const auto labelled = h.watcher.checkForChange();
    ASSERT_TRUE(labelled.has_value());
    EXPECT_EQ(labelled->representations.size(), 1u);
    EXPECT_EQ(labelled->previewText, std::string(200, 't') + "...");
}

TEST_F(ClipboardWatcherTest, SkipsExactlyTheIgnoredChangeAndForgetsIt) {
    h.pasteboard.clearContents();
    h.watcher.setIgnoredChangeCount(h.pasteboard.changeCount());
    EXPECT_EQ(h.watcher.checkForChange(), std::nullopt);
    EXPECT_EQ(h.watcher.ignoredChangeCount(), std::nullopt);

    // A newer change than the ignored one ends the wait for it.
    h.watcher.setIgnoredChangeCount(h.pasteboard.changeCount() + 1);
    h.pasteboard.simulateForeignText("a");
    h.pasteboard.simulateForeignText("b");
    EXPECT_EQ(h.watcher.checkForChange(), test::plainPayload("b"));
    EXPECT_EQ(h.watcher.ignoredChangeCount(), std::nullopt);
}

TEST_F(ClipboardWatcherTest, AGoneWatcherOrDelegateHearsNothing) {
    testing::FakePasteboard pasteboard;
    testing::FakeMainQueue queue;
    {
        ClipboardWatcher watcher(pasteboard, queue);
        watcher.start();
        EXPECT_TRUE(pasteboard.isObserved());
    }
    EXPECT_FALSE(pasteboard.isObserved());
    pasteboard.simulateForeignText("after the watcher");  // must not reach a gone watcher

    ClipboardWatcher watcher(pasteboard, queue);
    {
        auto delegate = std::make_shared<test::RecordingController>(h);
        watcher.setDelegate(delegate);
    }
    watcher.start();
    pasteboard.simulateForeignText("nobody listens");
    EXPECT_EQ(watcher.checkForChange(), std::nullopt);  // seen when reported
}

}  // namespace
}  // namespace tovra
