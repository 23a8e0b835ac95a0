#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "BackgroundProcess.h"
#include "Processes.h"
#include "TestEventLoop.h"
#include "platform/wayland/WaylandPlatform.h"

// Both ends of the Wayland clipboard for the backend tests: our platform on a connection of its
// own, and other clients (wl-copy, wl-paste, toolkit windows) on the private sway.
namespace tovra::test {

using Contents = WaylandPasteboard::Contents;

// The queue's 10 MiB budget, with quick steps.
// A step long enough for a forked wl-copy to answer beside a sanitizer on a loaded machine.
inline constexpr WaylandPasteboard::Options fastOptions{
    std::size_t{10} << 20, std::chrono::milliseconds(2000), std::chrono::milliseconds(3000)};

/// Another client offering `content` under `type`, as a user's copy in an application.
inline void copyWithWlCopy(const std::string& content, const std::string& type = "text/plain") {
    ASSERT_EQ(runDetaching({"wl-copy", "--type", type}, content), 0);
}

/// What a client pasting under `type` gets, or "<none>" when the clipboard offers nothing.
inline std::string pasteWithWlPaste(const std::string& type = "text/plain") {
    const auto result = runCommand({"wl-paste", "--no-newline", "--type", type});
    return result.exitCode == 0 ? result.output : "<none>";
}

/// One end of the clipboard: a connection with every Wayland backend on it.
struct Client {
    explicit Client(WaylandPasteboard::Options options = fastOptions) {
        std::string error;
        WaylandPlatform::Options platformOptions;
        platformOptions.pasteboard = options;
        platform = WaylandPlatform::open(nullptr, queue, platformOptions, error);
        EXPECT_NE(platform, nullptr) << error;
        if (platform == nullptr) {
            return;
        }
        pasteboard = &platform->waylandPasteboard();
        EXPECT_TRUE(pasteboard->observeChanges(
            [this](const PasteboardChange& change) { changes.push_back(change); }));
        // The compositor announces the selection as it stands once our device exists: after a
        // round trip it has come, the dispatch that sync schedules reads it, and then the
        // read of whatever it holds has to end.
        roundTrip();
    }
    /// Returns once the compositor has handled every request so far and what it sent back is
    /// dispatched (a read left undispatched would be lost at the end), with no read under way.
    void roundTrip() {
        EXPECT_TRUE(platform->connection().sync());
        bool dispatched = false;
        queue.post([&dispatched] { dispatched = true; });
        EXPECT_TRUE(waitUntil([&] { return dispatched && !pasteboard->isReading(); }));
    }
    ~Client() {
        platform.reset();
        waitUntil([] { return false; }, 20);
    }
    bool waitForChanges(std::size_t count, int timeoutMs = 5000) {
        return waitUntil([&] { return changes.size() >= count && !pasteboard->isReading(); },
                         timeoutMs);
    }
    /// Puts `text` on the clipboard as ours, as a paste stages an item.
    void stage(const std::string& text) {
        pasteboard->clearContents();
        pasteboard->setString(text, pasteboardType::string);
        pasteboard->publishWrites();
        roundTrip();  // the compositor has made it the selection
    }
    static std::string textOf(const PasteboardChange& change) {
        for (const auto& representation : *change.contents) {
            if (representation.type == pasteboardType::string) {
                return std::string(representation.data.view());
            }
        }
        return "<none>";
    }

    TestEventLoop queue;
    std::unique_ptr<WaylandPlatform> platform;
    WaylandPasteboard* pasteboard = nullptr;
    std::vector<PasteboardChange> changes;
};

}  // namespace tovra::test
