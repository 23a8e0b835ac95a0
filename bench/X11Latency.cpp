// End-to-end figures of capture and paste on a private Xvfb with the real X11 backends:
//   - how long keystrokes that pass (Escape, Ctrl+V with an empty queue) take, against a key
//     nobody grabs;
//   - paste keystroke -> staged item owned on the clipboard, and -> keystroke at the target;
//   - copy keystroke in an application -> captured payload;
//   - CPU of the idle watcher and tap.
// Usage: tovra_x11_bench [--samples N] [--idle-seconds S]
#include <sys/resource.h>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "PhysicalKeyboard.h"
#include "Processes.h"
#include "Tovra/capture/ClipboardWatcher.h"
#include "Tovra/capture/PasteController.h"
#include "Tovra/capture/PasteboardCoordinator.h"
#include "Tovra/core/SmartModeEngine.h"
#include "Tovra/core/StackStore.h"
#include "XvfbServer.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11KeyboardTap.h"
#include "platform/x11/X11Pasteboard.h"

using namespace tovra;
using Clock = std::chrono::steady_clock;

namespace {

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void report(const char* what, std::vector<double> samples) {
    if (samples.empty()) {
        std::printf("%-52s no samples\n", what);
        return;
    }
    std::sort(samples.begin(), samples.end());
    auto at = [&](double q) {
        return samples[static_cast<std::size_t>(q * static_cast<double>(samples.size() - 1))];
    };
    std::printf("%-52s median %7.3f ms   p90 %7.3f ms   max %7.3f ms   (n=%zu)\n", what, at(0.5),
                at(0.9), samples.back(), samples.size());
}

/// An application window that records keys and copies its own text on Ctrl+C.
struct Application {
    explicit Application(MainQueue& queue) {
        std::string error;
        connection = X11Connection::open(nullptr, error);
        xcb_connection_t* c = connection->get();
        window = xcb_generate_id(c);
        const std::uint32_t mask = XCB_EVENT_MASK_KEY_PRESS;
        xcb_create_window(c, XCB_COPY_FROM_PARENT, window, connection->root(), 0, 0, 100, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                          &mask);
        xcb_map_window(c, window);
        xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
        connection->attach(queue);
        clipboard = std::make_unique<X11Pasteboard>(*connection, queue,
                                                    X11Pasteboard::Options{maxPayloadBytes});
        subscription = connection->subscribe([this](const xcb_generic_event_t& event) {
            if ((event.response_type & 0x7F) != XCB_KEY_PRESS) {
                return;
            }
            const auto& press = reinterpret_cast<const xcb_key_press_event_t&>(event);
            ++keysReceived;
            received[press.detail] += 1;
            if (press.detail == copyKeycode && (press.state & XCB_MOD_MASK_CONTROL) != 0) {
                clipboard->clearContents();
                clipboard->setString("copy " + std::to_string(++copies), "public.utf8-plain-text");
            }
        });
        connection->flush();
    }

    std::unique_ptr<X11Connection> connection;
    xcb_window_t window = 0;
    std::unique_ptr<X11Pasteboard> clipboard;
    TaskHandle subscription;
    xcb_keycode_t copyKeycode = 54;
    int keysReceived = 0;
    std::map<int, int> received;  // presses by keycode
    int copies = 0;
};

class BenchQueue final : public ClipboardWatcherDelegate, public PasteControllerDelegate {
  public:
    void clipboardWatcherDidCapture(ClipboardWatcher&, ClipboardPayload payload) override {
        take(std::move(payload));
    }
    void captureAfterCopy() override {
        if (auto payload = watcher->checkForChange()) {
            take(std::move(*payload));
        }
    }
    bool pasteNext() override {
        return coordinator->stageNext(store->activeQueue(), std::nullopt).has_value();
    }
    bool burstPaste() override { return false; }
    void toggleQueue() override {}
    bool clearFromOverlay() override { return false; }
    bool dropNext() override { return passOnly(); }
    bool revealOverlay() override { return false; }
    bool moveNextUp() override { return false; }
    bool moveNextDown() override { return false; }
    bool swapEnds() override { return false; }
    bool togglePinNext() override { return false; }
    bool selectStack(int) override { return false; }

    void take(ClipboardPayload payload) {
        ++captures;
        coordinator->setOwnsPasteboard(false);
        store->activeQueue().enqueuePayload(std::move(payload), true);
    }
    static bool passOnly() { return false; }  // answered at once, the keystroke passes

    std::shared_ptr<ClipboardWatcher> watcher;
    std::unique_ptr<PasteboardCoordinator> coordinator;
    std::shared_ptr<StackStore> store;
    int captures = 0;
};

template <class Predicate>
bool pumpUntil(Predicate done, int timeoutMs = 2000) {
    return test::waitUntil(done, timeoutMs);
}

}  // namespace

int main(int argc, char** argv) {
    int samples = 100;
    int idleSeconds = 60;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--samples") == 0) {
            samples = std::atoi(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--idle-seconds") == 0) {
            idleSeconds = std::atoi(argv[i + 1]);
        }
    }
    test::XvfbServer server;
    std::string error;
    if (!server.start(error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    QCoreApplication application(argc, argv);
    QtMainQueue queue;
    auto connection = X11Connection::open(nullptr, error);
    connection->attach(queue);
    X11Pasteboard pasteboard(*connection, queue, X11Pasteboard::Options{maxPayloadBytes});
    X11KeyboardTap tap(*connection, queue, X11KeyboardTap::Options{});
    SmartModeEngine engine;
    auto bench = std::make_shared<BenchQueue>();
    bench->store = std::make_shared<StackStore>(3, engine);
    bench->watcher = std::make_shared<ClipboardWatcher>(pasteboard, queue);
    bench->coordinator = std::make_unique<PasteboardCoordinator>(pasteboard, *bench->watcher);
    PasteController controller(tap, queue);
    controller.setDelegate(bench);
    controller.setCopyObserver([&] { pasteboard.recheck(); });
    controller.setPublishWrites([&] { return pasteboard.publishWrites(); });
    pasteboard.setHeldKeystrokeTime([&] { return tap.heldKeystrokeTime(); });
    bench->watcher->setDelegate(bench);
    Application app(queue);
    test::PhysicalKeyboard keyboard;
    if (!controller.start() || !keyboard.isOpen()) {
        std::fprintf(stderr, "cannot start the keyboard tap\n");
        return 1;
    }
    bench->watcher->start();
    pumpUntil([] { return false; }, 200);

    // Keys that pass: one nobody grabs (the floor), Escape with the overlay hidden (not grabbed
    // then), and Ctrl+V with an empty queue (grabbed, decided, let through).
    struct PassingKey {
        const char* label;
        std::vector<const char*> modifiers;
        const char* key;
        int keycode;
        std::vector<double> samples;
    };
    constexpr int keycodeX = 53;
    constexpr int keycodeV = 55;
    constexpr int keycodeEscape = 9;
    std::vector<PassingKey> passing{
        {"key press -> application, no grab (floor)", {}, "x", keycodeX, {}},
        {"Escape, overlay hidden -> application", {}, "Escape", keycodeEscape, {}},
        {"Ctrl+V, empty queue -> application (grab passes)", {"Control_L"}, "v", keycodeV, {}},
    };
    for (int i = 0; i < samples; ++i) {
        for (PassingKey& key : passing) {
            for (const char* modifier : key.modifiers) {
                keyboard.press(modifier);
            }
            pumpUntil([] { return false; }, 5);
            const int before = app.received[key.keycode];
            const auto pressAt = Clock::now();
            keyboard.press(key.key);
            pumpUntil([&] { return app.received[key.keycode] > before; });
            key.samples.push_back(millisecondsSince(pressAt));
            keyboard.release(key.key);
            for (const char* modifier : key.modifiers) {
                keyboard.release(modifier);
            }
            pumpUntil([] { return false; }, 2);
        }
    }
    for (PassingKey& key : passing) {
        report(key.label, std::move(key.samples));
    }

    // Paste: keystroke -> staged item owned on the clipboard -> keystroke at the application.
    std::vector<double> staged;
    std::vector<double> delivered;
    xcb_connection_t* observer = app.connection->get();
    const xcb_atom_t clipboardAtom = app.connection->atom("CLIPBOARD");
    for (int i = 0; i < samples; ++i) {
        bench->store->activeQueue().enqueueText("item " + std::to_string(i), false);
        keyboard.press("Control_L");
        pumpUntil([] { return false; }, 5);
        const int before = app.received[keycodeV];
        const auto start = Clock::now();
        keyboard.press("v");
        pumpUntil([&] {
            XcbReply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
                observer, xcb_get_selection_owner(observer, clipboardAtom), nullptr));
            app.connection->scheduleDispatch();
            return owner && owner->owner != XCB_WINDOW_NONE && owner->owner != app.window &&
                   pasteboard.ownsSelection();
        });
        staged.push_back(millisecondsSince(start));
        pumpUntil([&] { return app.received[keycodeV] > before; });
        delivered.push_back(millisecondsSince(start));
        keyboard.release("v");
        keyboard.release("Control_L");
        controller.pasteDelivered();  // as the application asking for it would tell
        pumpUntil([&] { return !controller.pendingSyntheticPaste(); });
        pumpUntil([] { return false; }, 5);
    }
    report("paste key -> staged item owned on the clipboard", staged);
    report("paste key -> keystroke at the application", delivered);

    // Copy in the application -> captured payload.
    std::vector<double> captured;
    for (int i = 0; i < samples; ++i) {
        const int before = bench->captures;
        keyboard.press("Control_L");
        const auto start = Clock::now();
        keyboard.press("c");
        pumpUntil([&] { return bench->captures > before; });
        captured.push_back(millisecondsSince(start));
        keyboard.release("c");
        keyboard.release("Control_L");
        pumpUntil([] { return false; }, 5);
    }
    report("copy key -> captured payload", captured);

    if (idleSeconds <= 0) {
        controller.stop();
        return 0;
    }
    // Idle: the watcher and the tap with nothing happening.
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(idleSeconds * 1000, &application, &QCoreApplication::quit);
    QCoreApplication::exec();
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    const double cpu = seconds(after.ru_utime) - seconds(before.ru_utime) +
                       seconds(after.ru_stime) - seconds(before.ru_stime);
    std::printf("%-52s %.3f %% of one core over %.0f s\n", "idle CPU (watcher and tap on)",
                100.0 * cpu / (static_cast<double>(wall.elapsed()) / 1000.0),
                static_cast<double>(wall.elapsed()) / 1000.0);
    controller.stop();
    return 0;
}
