// A long session through the real binary: copies of mixed sizes (some split into several
// items), pastes, bursts, stack switches and switching off and on, each delivered text checked
// against a model of the three stacks. At the end nothing captured is left in memory.
#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <QDBusInterface>
#include <QDBusReply>
#include <array>
#include <deque>
#include <fstream>
#include <random>

#include "Tovra/base/PasteboardTypes.h"
#include "Tovra/cli/BusName.h"
#include "TovraBinaryFixture.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11SelectionReader.h"
#include "tests/x11/FocusedWindow.h"

#ifndef TOVRA_SOAK_OPERATIONS
#define TOVRA_SOAK_OPERATIONS 300
#endif

namespace tovra {
namespace {

using test::TovraCommandTest;

/// Enough of a text to tell it apart from another in a failure message.
std::string brief(const std::string& text) {
    if (text.size() <= 60) {
        return "\"" + text + "\"";
    }
    std::string shown = "\"" + text.substr(0, 30) + "..." + text.substr(text.size() - 20) + "\" (" +
                        std::to_string(text.size()) + " bytes";
    if (const auto tab = text.find('\t'); tab != std::string::npos) {
        shown += ", a tab at " + std::to_string(tab);
    }
    return shown + ")";
}
using test::waitUntil;

std::string residentMemory(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:")) {
            return line.substr(line.find_first_not_of(" \t", 6));
        }
    }
    return "?";
}

class TovraSoakTest : public TovraCommandTest {
  protected:
    void SetUp() override {
        tovraOptions = {"--debug"};  // its status says how many bytes of copies it holds
        TovraCommandTest::SetUp();
        // TOVRA_SOAK_BESIDE="parcellite -n": the same session with a clipboard manager (or any
        // other program) beside Tovra, reading every copy and every staged item.
        if (const char* beside = std::getenv("TOVRA_SOAK_BESIDE")) {
            neighbour = std::make_unique<test::BackgroundProcess>(
                std::vector<std::string>{"sh", "-c", std::string("exec ") + beside});
        }
        std::string error;
        app = X11Connection::open(nullptr, error);
        ASSERT_NE(app, nullptr) << error;
        app->attach(appQueue);
        window =
            test::mapFocusedWindow(*app, XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_PROPERTY_CHANGE);
        reader = std::make_unique<X11SelectionReader>(
            *app, appQueue, app->atom("CLIPBOARD"),
            X11SelectionReader::Options{std::size_t{64} << 20, std::chrono::milliseconds(2000)});
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(app->get());
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, 0x76 /* v */);
        ASSERT_NE(codes, nullptr);
        vKey = codes[0];
        free(codes);
        xcb_key_symbols_free(symbols);
        subscription = app->subscribe([this](const xcb_generic_event_t& event) {
            if ((event.response_type & 0x7F) == XCB_KEY_PRESS) {
                const auto& key = reinterpret_cast<const xcb_key_press_event_t&>(event);
                if (key.detail == vKey) {
                    lastKeyTime = key.time;
                    ++vPresses;
                }
            }
            reader->handle(event);
        });
        copier = std::make_unique<X11Pasteboard>(*connection, queue,
                                                 X11Pasteboard::Options{std::size_t{16} << 20});
        dbus = std::make_unique<QDBusInterface>(
            QString::fromStdString(cli::busName()), QStringLiteral("/invalid/moxworks/tovra"),
            QStringLiteral("invalid.moxworks.tovra.Commands"), QDBusConnection::sessionBus());
    }

    void TearDown() override {
        neighbour.reset();
        TovraCommandTest::TearDown();
    }

    std::string call(const char* method, const QVariant& argument = {}) {
        const QDBusMessage reply = argument.isValid() ? dbus->call(QLatin1String(method), argument)
                                                      : dbus->call(QLatin1String(method));
        EXPECT_NE(reply.type(), QDBusMessage::ErrorMessage) << method;
        return reply.arguments().isEmpty() ? std::string()
                                           : reply.arguments().front().toString().toStdString();
    }
    int itemCount() {
        const std::string status = call("Status");
        const auto at = status.find("items: ");
        return at == std::string::npos ? -1 : std::stoi(status.substr(at + 7));
    }
    std::size_t heldBytes() {
        const std::string status = call("Status");
        return std::stoull(status.substr(status.find("held: ") + 6));
    }

    /// A copy in another application; returns once Tovra queued what it became.
    void copy(const std::string& text, std::deque<std::string>& stack,
              const std::vector<std::string>& items) {
        copier->clearContents();
        copier->setString(text, pasteboardType::string);
        copier->publishWrites();
        stack.insert(stack.end(), items.begin(), items.end());
        ASSERT_TRUE(waitUntil([&] { return itemCount() == static_cast<int>(stack.size()); }, 10000))
            << "queued " << itemCount() << ", expected " << stack.size() << " after" << recent();
    }

    /// Presses the keys in our window, as a person pasting, and reads what the clipboard then
    /// holds, as the application does.
    std::string pasteWith(const std::vector<std::string>& keys) {
        const int before = vPresses;
        keyboard.chord(keys);
        // V arrives once Tovra staged the item: the key let through, or typed by Tovra for a
        // burst.
        EXPECT_TRUE(waitUntil([&] { return vPresses > before; }, 5000));
        std::optional<std::string> text;
        reader->start(
            std::nullopt, lastKeyTime, [&](X11SelectionReader::Contents contents, xcb_window_t) {
                text = contents.empty() ? "<nothing>" : std::string(contents.front().data.view());
            });
        app->flush();
        EXPECT_TRUE(waitUntil([&] { return text.has_value(); }, 10000));
        return text.value_or("<no answer>");
    }

    test::TestEventLoop appQueue;
    std::unique_ptr<X11Connection> app;
    xcb_window_t window = XCB_WINDOW_NONE;
    std::unique_ptr<X11SelectionReader> reader;
    TaskHandle subscription;
    xcb_timestamp_t lastKeyTime = XCB_CURRENT_TIME;
    xcb_keycode_t vKey = 0;
    int vPresses = 0;
    std::unique_ptr<X11Pasteboard> copier;
    std::unique_ptr<QDBusInterface> dbus;
    std::unique_ptr<test::BackgroundProcess> neighbour;
    /// The last operations, for a failure's message.
    std::deque<std::string> history;
    void note(std::string what) {
        history.push_back(std::move(what));
        if (history.size() > 40) {
            history.pop_front();
        }
    }
    [[nodiscard]] std::string recent() const {
        std::string text;
        for (const auto& line : history) {
            text += "\n  " + line;
        }
        return text;
    }
};

TEST_F(TovraSoakTest, EveryDeliveredTextMatchesTheModelAndNothingIsLeftInMemory) {
    const std::string rssBefore = residentMemory(tovra->pid());
    std::mt19937 random(20261207);
    std::array<std::deque<std::string>, 3> stacks;
    std::size_t active = 0;
    int copiesMade = 0, pastes = 0, bursts = 0, switches = 0, offs = 0, passedThrough = 0;
    std::string lastDelivered;
    const auto chance = [&](int percent) {
        return std::uniform_int_distribution<int>(0, 99)(random) < percent;
    };

    for (int operation = 0; operation < TOVRA_SOAK_OPERATIONS; ++operation) {
        SCOPED_TRACE("operation " + std::to_string(operation));
        auto& stack = stacks[active];
        std::size_t total = 0;
        for (const auto& item : stack) {
            total += item.size() + 1;
        }
        const int roll = std::uniform_int_distribution<int>(0, 99)(random);
        if (stack.size() < 40 && total < (std::size_t{6} << 20) && (roll < 45 || stack.empty())) {
            const std::string id = std::to_string(operation);
            if (chance(20)) {
                std::vector<std::string> lines;
                for (int i = 0; i < 2 + static_cast<int>(random() % 4); ++i) {
                    lines.push_back("line" + id + "_" + std::to_string(i));
                }
                std::string text;
                for (const auto& line : lines) {
                    text += line + "\n";
                }
                note(std::to_string(operation) + ": copy of " + std::to_string(lines.size()) +
                     " lines into stack " + std::to_string(active + 1));
                ASSERT_NO_FATAL_FAILURE(copy(text, stack, lines));
            } else {
                // Mostly short, some of tens of kilobytes, a few up to a mebibyte.
                const std::size_t size = chance(2)    ? 256'000 + random() % 792'576
                                         : chance(10) ? 1'000 + random() % 64'000
                                                      : random() % 80;
                const std::string text =
                    "copy" + id + std::string(size, static_cast<char>('a' + random() % 26));
                note(std::to_string(operation) + ": copy " + brief(text) + " into stack " +
                     std::to_string(active + 1));
                ASSERT_NO_FATAL_FAILURE(copy(text, stack, {text}));
            }
            ++copiesMade;
        } else if (roll < 80 && !stack.empty()) {
            const std::string expected = stack.front();
            stack.pop_front();
            std::string pasted = pasteWith({"Control_L", "v"});
            note(std::to_string(operation) + ": paste " + brief(pasted));
            if (pasted != expected && pasted == lastDelivered) {
                // A main loop too busy to answer in time: the keyboard was let go without a
                // paste from the queue, and the item is (or comes back) in its place.
                ++passedThrough;
                ASSERT_TRUE(waitUntil(
                    [&] { return itemCount() == static_cast<int>(stack.size() + 1); }, 8000));
                pasted = pasteWith({"Control_L", "v"});
            }
            ASSERT_TRUE(pasted == expected)
                << brief(pasted) << " for " << brief(expected) << " after" << recent();
            lastDelivered = pasted;
            ++pastes;
        } else if (roll < 88 && !stack.empty()) {
            std::string expected;
            for (const auto& item : stack) {
                expected += (expected.empty() ? "" : "\t") + item;
            }
            stack.clear();
            const std::string pasted = pasteWith({"Control_L", "Shift_L", "v"});
            note(std::to_string(operation) + ": burst " + brief(pasted));
            ASSERT_TRUE(pasted == expected)
                << brief(pasted) << " for " << brief(expected) << " after" << recent();
            lastDelivered = pasted;
            ++bursts;
        } else if (roll < 97) {
            active = (active + 1 + random() % 2) % 3;
            call("Stack", static_cast<int>(active + 1));
            note(std::to_string(operation) + ": stack " + std::to_string(active + 1));
            ASSERT_EQ(itemCount(), static_cast<int>(stacks[active].size()));
            ++switches;
        } else {
            call("Off");
            if (neighbour) {
                // A manager fills the clipboard Tovra left empty on its next look (parcellite
                // looks twice a second): that is no copy of the session's while Tovra is off.
                // Not every neighbour does: then the wait just ends.
                waitUntil([] { return clipboard() != "<empty>"; }, 1000);
            }
            call("On");
            note(std::to_string(operation) + ": off and on");
            for (auto& s : stacks) {
                s.clear();
            }
            ASSERT_EQ(itemCount(), 0);
            ++offs;
        }
    }

    // Emptied, and switched off so nothing is staged either: no captured byte is left.
    call("Off");
    copier->clearContents();
    copier->publishWrites();
    EXPECT_TRUE(waitUntil([&] { return heldBytes() == 0; }, 5000)) << heldBytes();
    const std::string rssAfter = residentMemory(tovra->pid());
    std::printf(
        "soak: %d operations (%d copies, %d pastes, %d bursts, %d stack switches, %d off/on, "
        "%d keys let through by a busy main loop); resident memory %s before, %s after\n",
        TOVRA_SOAK_OPERATIONS, copiesMade, pastes, bursts, switches, offs, passedThrough,
        rssBefore.c_str(), rssAfter.c_str());
    RecordProperty("rss_before", rssBefore);
    RecordProperty("rss_after", rssAfter);
}

}  // namespace
}  // namespace tovra
