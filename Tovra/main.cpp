// Tovra: a clipboard queue. Wires Qt's event loop, the X11 backends and the controller.
#include <fcntl.h>
#include <malloc.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QSettings>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "MoxUI/MoxBrandPack.h"
#include "MoxUI/MoxBundle.h"
#include "Tovra/app/AppDelegate.h"
#include "Tovra/cli/BusName.h"
#include "Tovra/cli/CommandClient.h"
#include "Tovra/cli/CommandLine.h"
#include "Tovra/cli/CommandService.h"
#include "Tovra/cli/SessionBus.h"
#include "Tovra/core/ClipboardPayload.h"
#include "Tovra/services/AppServices.h"
#include "Tovra/services/TovraApplicationFrame.h"
#include "Tovra/services/TovraClipboardWriter.h"
#include "Tovra/services/XdgAutostartLoginItem.h"
#include "Tovra/ui/ControlWindowController.h"
#include "Tovra/ui/HUDWindow.h"
#include "Tovra/ui/MenuController.h"
#include "Tovra/ui/PermissionOnboardingWindow.h"
#include "Tovra/ui/QtAlerts.h"
#include "Tovra/ui/StatusGlyph.h"
#include "Tovra/ui/TovraPreferencesView.h"
#include "Tovra/ui/TovraQueueView.h"
#include "frame/MoxAppIdentity.h"
#include "frame/MoxFirstRunGuard.h"
#include "platform/PlatformFactory.h"
#include "platform/qt/LogindSleepWatcher.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/x11/X11KeyboardTap.h"
#include "platform/x11/X11TrayColors.h"

namespace {

int signalPipe[2] = {-1, -1};

void onTerminatingSignal(int) {
    const char byte = 1;
    (void)!write(signalPipe[1], &byte, 1);
}

/// The application's information, as the build records it.
void describeBundle() {
    mox::MoxBundle& bundle = mox::MoxBundle::main();
    const QUrl feed = tovra::AppServices::defaultDownloadEndpoint().resolved(
        QUrl(QStringLiteral("tovra/appcast.xml")));
    bundle.setInfo(
        {{QStringLiteral("CFBundleIdentifier"), QStringLiteral("invalid.moxworks.tovra")},
         {QStringLiteral("CFBundleShortVersionString"), QStringLiteral(TOVRA_VERSION)},
         {QStringLiteral("CFBundleVersion"), QStringLiteral(TOVRA_BUILD_NUMBER)},
         {QStringLiteral("SUFeedURL"), feed.toString()}});
    const QImage icon =
        tovra::StatusGlyph::applicationIcon(128, mox::MoxBrandPack::current().accent);
    bundle.setImage(QStringLiteral("TovraIcon"), icon);
    // The icon theme's (the installed hicolor icons, or the desktop's own), else drawn.
    QApplication::setWindowIcon(QIcon::fromTheme(QString::fromLatin1(tovra::cli::applicationId),
                                                 QIcon(QPixmap::fromImage(icon))));
}

/// The user's guide: the README installed beside the program, the source tree's for a build
/// run where it was built, else the guide on the web.
QUrl helpLocation() {
    const QString installed =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/doc/tovra/README.md");
    for (const QString& path : {installed, QStringLiteral(TOVRA_README_PATH)}) {
        if (QFileInfo::exists(path)) {
            return QUrl::fromLocalFile(QFileInfo(path).canonicalFilePath());
        }
    }
    const mox::MoxAppLinks links = mox::MoxAppIdentity::tovra().links;
    return links.documentationURL.value_or(links.supportURL);
}

/// `tovra <command>`: sent to the running instance; its answer or why not is printed. With
/// --start, a command that finds no instance for its display starts one instead
/// (`startInstead`), which then does the command. Sent under the application object that
/// goes on running: Qt's bus connection does not outlive one application object to serve
/// the next.
int deliverCommand(const tovra::cli::Invocation& invocation, bool& startInstead) {
    std::string output;
    std::string error;
    bool notRunning = false;
    const int status = tovra::cli::sendCommand(invocation, output, error, &notRunning);
    if (notRunning && invocation.startIfNeeded) {
        startInstead = true;
        return status;
    }
    std::fputs(output.c_str(), stdout);
    if (!error.empty()) {
        std::fprintf(stderr, "tovra %s: %s\n",
                     std::string(tovra::cli::commandName(*invocation.command)).c_str(),
                     error.c_str());
    }
    return status;
}

/// The commands of the running instance, answered by the controller.
tovra::cli::CommandHandlers commandHandlers(const std::shared_ptr<tovra::AppDelegate>& app,
                                            bool debug) {
    tovra::cli::CommandHandlers handlers;
    handlers.toggle = [&app] { app->toggleStackFromMenu(); };
    handlers.setActive = [&app](bool on) { app->setStackActive(on); };
    handlers.pasteNext = [&app] { return app->pasteNextFromCommandLine(); };
    handlers.pasteAll = [&app] { return app->pasteAllFromCommandLine(); };
    handlers.showQueue = [&app] { app->openQueueFromMenu(); };
    handlers.showOverlay = [&app] {
        // The answer goes back at once; the overlay shows as for the overlay key.
        (void)app->showOverlayFromCommandLine();
    };
    handlers.showPreferences = [&app] { app->openPreferencesFromMenu(); };
    handlers.selectStack = [&app](int number) { return app->selectStackFromCommandLine(number); };
    handlers.clear = [&app] { app->clearFromCommandLine(); };
    handlers.quit = [] { QApplication::quit(); };
    handlers.status = [&app, debug] { return app->commandLineStatus(debug); };
    return handlers;
}

// The shortcuts the user chose live in tovra.conf under [shortcuts], one line per command.
std::map<std::string, std::string> readShortcuts(QSettings& store) {
    std::map<std::string, std::string> chosen;
    store.beginGroup(QStringLiteral("shortcuts"));
    for (const QString& command : store.childKeys()) {
        chosen[command.toStdString()] = store.value(command).toString().toStdString();
    }
    store.endGroup();
    return chosen;
}

void writeShortcuts(QSettings& store, const std::map<std::string, std::string>& chosen) {
    store.remove(QStringLiteral("shortcuts"));
    store.beginGroup(QStringLiteral("shortcuts"));
    for (const auto& [command, shortcut] : chosen) {
        store.setValue(QString::fromStdString(command), QString::fromStdString(shortcut));
    }
    store.endGroup();
    store.sync();
}

}  // namespace

int main(int argc, char** argv) {
    // Clipboard contents must never end up in a core dump.
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);

    // The command line first: help, version and the commands need no display.
    const tovra::cli::Invocation invocation =
        tovra::cli::parse(std::vector<std::string>(argv + 1, argv + argc));
    if (!invocation.display.empty()) {
        // Qt's -display moves only Qt's connection: the backends and the windows must share it.
        setenv("DISPLAY", invocation.display.c_str(), 1);
    }
    switch (invocation.kind) {
        case tovra::cli::Invocation::Kind::help:
            std::fputs(tovra::cli::usage().c_str(), stdout);
            return tovra::cli::exitDone;
        case tovra::cli::Invocation::Kind::version:
            std::printf("tovra %s (build %s)\n", TOVRA_VERSION, TOVRA_BUILD_NUMBER);
            return tovra::cli::exitDone;
        case tovra::cli::Invocation::Kind::usageError:
            std::fprintf(stderr, "tovra: %s\n\n%s", invocation.error.c_str(),
                         tovra::cli::usage().c_str());
            return tovra::cli::exitUsage;
        case tovra::cli::Invocation::Kind::command:
            if (!invocation.startIfNeeded) {
                QCoreApplication application(argc, argv);
                bool startInstead = false;
                return deliverCommand(invocation, startInstead);
            }
            break;  // asked once the application object exists
        case tovra::cli::Invocation::Kind::run:
            break;
    }
    // Find the session bus without ever starting one: Qt (the tray, accessibility) would
    // otherwise spawn dbus-launch, whose daemons outlive Tovra.
    tovra::cli::settleSessionBus();
    if (!tovra::graphicalSessionPresent()) {
        std::fprintf(stderr,
                     "tovra: no graphical session found (neither DISPLAY nor WAYLAND_DISPLAY is "
                     "set). Start Tovra from a desktop session.\n");
        return 1;
    }

    if (std::getenv("WAYLAND_DISPLAY") != nullptr && std::getenv("DISPLAY") != nullptr &&
        std::getenv("QT_QPA_PLATFORM") == nullptr) {
        // Windows through XWayland: Wayland lets no client place its own windows, and the
        // overlay must sit where the user put it.
        setenv("QT_QPA_PLATFORM", "xcb", 0);
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tovra"));
    // Windows belong to the desktop entry; the autostart entry bears the same name.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(tovra::cli::applicationId));
    QApplication::setApplicationVersion(QStringLiteral(TOVRA_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);  // a tray application lives on
    if (invocation.command) {
        bool startInstead = false;
        const int status = deliverCommand(invocation, startInstead);
        if (!startInstead) {
            return status;
        }
    }
    mox::MoxBrandPack::configure(mox::MoxBrandPack::tovra());
    describeBundle();

    tovra::QtMainQueue mainQueue;
    std::function<void()> bringForward = [] {};
    tovra::PlatformRequest request;
    request.maxPayloadBytes = tovra::maxPayloadBytes;
    request.bringForward = [&bringForward] { bringForward(); };
    request.openHelp = [] { QDesktopServices::openUrl(helpLocation()); };
    request.sessionEnded = [] {
        std::fputs("tovra: the display server has gone away.\n", stderr);
        QApplication::quit();
    };
    if (auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
        x11 != nullptr && x11->connection() != nullptr) {
        // Our own text fields paste the clipboard as it is.
        request.isOwnWindow = tovra::X11KeyboardTap::windowsOf(x11->connection());
        request.ownWindowMayHaveFocus = [] { return QGuiApplication::focusWindow() != nullptr; };
    }
    tovra::OpenedPlatform opened = tovra::openPlatform(mainQueue, std::move(request));
    switch (opened.status) {
        case tovra::OpenedPlatform::Status::alreadyRunning:
            std::fprintf(stderr, "tovra: already running on this display.\n");
            return 0;
        case tovra::OpenedPlatform::Status::failed:
            std::fprintf(stderr, "tovra: %s\n", opened.error.c_str());
            return 1;
        case tovra::OpenedPlatform::Status::opened:
            break;
    }
    tovra::Platform& platform = *opened.platform;

    const std::unique_ptr<QSettings> firstRunStore(mox::MoxFirstRunGuard::standardStore("tovra"));
    tovra::TovraApplicationFrame frame(mox::MoxBundle::main(), *firstRunStore,
                                       tovra::AppServices::defaultDownloadEndpoint(),
                                       TOVRA_UPDATE_CHECKER != 0);
    tovra::XdgAutostartLoginItem loginItem;
    if (const auto error = loginItem.repair()) {
        qWarning("tovra: the login item could not be repaired: %s", error->c_str());
    }
    tovra::PermissionOnboardingWindow permissionWindow(platform.trust());
    tovra::QtAlerts alerts;
    QSystemTrayIcon statusItem;
    tovra::MenuController menuController(&statusItem);
    tovra::HUDWindow overlay;
    tovra::TovraPreferencesPresenter preferences;
    tovra::TovraQueueCoordinator queuePanel;
    std::shared_ptr<tovra::AppDelegate> app;
    tovra::ControlWindowController controlWindow(tovra::ControlWindowControllerDelegate{
        [&app] { app->toggleStackFromMenu(); }, [&app] { app->clearFromControlWindow(); }});

    app = tovra::AppDelegate::create(
        tovra::AppEnvironment{
            platform.pasteboard(), mainQueue, platform.keyboardTap(), platform.workspace(),
            platform.trust(), &loginItem, nullptr, [] { malloc_trim(0); },
            [&store = *firstRunStore] { return readShortcuts(store); },
            [&store = *firstRunStore](const auto& chosen) { writeShortcuts(store, chosen); }},
        tovra::AppSurfaces{&overlay, &menuController, &queuePanel, &controlWindow, &preferences,
                           &permissionWindow, &alerts, &frame});
    preferences.setCommands(app);
    // The frame's copies go through the controller and the queue's own clipboard service.
    tovra::TovraClipboardWriter clipboardWriter(
        [&app](const std::string& text) { app->copyText(text); });
    if (opened.reachesDesktop) {
        mox::setSharedClipboardWriter(&clipboardWriter);
    }
    queuePanel.setModel(app.get());
    overlay.setDragDelegate(app->overlayRowsDelegate());

    // Trays that show menus over D-Bus drop custom rows: the switch becomes a checkable row.
    QDBusConnection session = QDBusConnection::sessionBus();
    const bool menuOverDBus =
        session.isConnected() && session.interface() != nullptr &&
        session.interface()->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher"));
    tovra::MenuActions actions;
    actions.toggleStack = [&app] { app->toggleStackFromMenu(); };
    actions.pasteNext = [&app] { app->pasteNextFromMenu(); };
    actions.openQueue = [&app] { app->openQueueFromMenu(); };
    actions.pasteQueueItem = [&app](int position) { app->pasteQueueItemFromMenu(position); };
    actions.clearQueue = [&app] { app->clearQueueFromMenu(); };
    actions.undoClear = [&app] { app->undoClear(); };
    actions.openPreferences = [&app] { app->openPreferencesFromMenu(); };
    actions.showAbout = [&app] { app->showAboutFromMenu(); };
    actions.showSupport = [&app] { app->showSupportFromMenu(); };
    actions.checkForUpdates = [&app] { app->checkForUpdatesFromMenu(); };
    actions.offersUpdateChecks = TOVRA_UPDATE_CHECKER != 0;
    actions.installPendingUpdate = [&app] { app->installPendingUpdateFromMenu(); };
    actions.quit = [] { QApplication::quit(); };
    if (auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
        x11 != nullptr && x11->connection() != nullptr) {
        // The tray says which colour its icons draw in, light panel or dark.
        char* host = nullptr;
        int display = 0;
        int screen = 0;
        if (xcb_parse_display(nullptr, &host, &display, &screen) != 0) {
            std::free(host);
        }
        menuController.setTrayForeground(
            [connection = x11->connection(), screen]() -> std::optional<QColor> {
                if (const auto rgb = tovra::x11::trayForeground(connection, screen)) {
                    return QColor::fromRgb(static_cast<QRgb>(*rgb));
                }
                return std::nullopt;
            });
    }
    menuController.buildMenu(
        std::move(actions),
        [&app](tovra::MenuAction action) { return app->validateMenuItem(action); }, !menuOverDBus);
    statusItem.show();
    bringForward = [&app] { app->showStackFromMenu(); };
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        // No tray to host the status item: the control window stays on screen and gives the
        // way to the menu, without taking the focus from the application in front.
        controlWindow.offerMenu(menuController.menu());
    }

    // The command line reaches this instance over the session bus.
    tovra::cli::CommandService commands(
        commandHandlers(app, invocation.debug),
        QString::fromStdString(tovra::cli::busName(invocation.display)));
    if (QString reason; !commands.publish(&reason)) {
        qWarning("tovra: the command line cannot reach this Tovra: %s", qPrintable(reason));
    }

    tovra::LogindSleepWatcher sleepWatcher([&app] { app->workspaceWillSleep(); },
                                           [&frame] { frame.systemDidWake(); });

    // Quitting by signal or with the session goes through the same termination path.
    bool terminated = false;
    auto terminate = [&] {
        if (!terminated) {
            terminated = true;
            app->applicationWillTerminate();
        }
    };
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        struct sigaction action {};
        action.sa_handler = onTerminatingSignal;
        sigemptyset(&action.sa_mask);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            sigaction(signal, &action, nullptr);
        }
    }
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &application, [&] {
        char byte;
        while (read(signalPipe[0], &byte, 1) > 0) {
        }
        terminate();
        QApplication::quit();
    });
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &application, terminate);

    app->applicationDidFinishLaunching();
    if (invocation.command) {
        // Started by a command given with --start: it is done once the event loop runs.
        QTimer::singleShot(0, &application, [&commands, &invocation] {
            // Not running was off: toggling it means on, which a fresh start already is.
            const auto command = *invocation.command == tovra::cli::Command::toggle
                                     ? tovra::cli::Command::on
                                     : *invocation.command;
            if (const auto failure = commands.perform(command, invocation.stack)) {
                std::fprintf(stderr, "tovra %s: %s\n",
                             std::string(tovra::cli::commandName(*invocation.command)).c_str(),
                             failure->c_str());
            }
        });
    }
    const int result = QApplication::exec();
    terminate();
    mox::setSharedClipboardWriter(nullptr);
    return result;
}
