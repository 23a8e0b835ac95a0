// A stand-in for logind on a private bus: it owns org.freedesktop.login1, hands out delay
// inhibitors, announces sleep when it receives SIGUSR1 and waking when it receives SIGUSR2. It
// prints "ready" once it owns the name, "inhibited N" when it handed out its Nth inhibitor, and
// "released" when the last inhibitor it handed out has been closed.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>

namespace {

int sleepPipe[2];

void onSignal(int signal) {
    const char byte = signal == SIGUSR1 ? 1 : 0;
    (void)!write(sleepPipe[1], &byte, 1);
}

}  // namespace

class Manager final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

  public:
    int inhibitorReadEnd = -1;
    int inhibitors = 0;

  public slots:
    QDBusUnixFileDescriptor Inhibit(const QString&, const QString&, const QString&,
                                    const QString&) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) {
            return {};
        }
        if (inhibitorReadEnd >= 0) {
            close(inhibitorReadEnd);
        }
        inhibitorReadEnd = fds[0];
        QDBusUnixFileDescriptor handed(fds[1]);  // dup'ed by Qt
        close(fds[1]);
        std::printf("inhibited %d\n", ++inhibitors);
        std::fflush(stdout);
        return handed;
    }
};

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QDBusConnection bus = QDBusConnection::systemBus();
    Manager manager;
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/login1"), &manager,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.login1"))) {
        std::fprintf(stderr, "cannot own org.freedesktop.login1\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);

    (void)!pipe2(sleepPipe, O_CLOEXEC | O_NONBLOCK);
    signal(SIGUSR1, onSignal);
    signal(SIGUSR2, onSignal);
    QSocketNotifier notifier(sleepPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &application, [&] {
        char byte;
        bool sleeping = false;
        while (read(sleepPipe[0], &byte, 1) > 0) {
            sleeping = byte == 1;
        }
        QDBusMessage message = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"));
        message << sleeping;
        bus.send(message);
        if (!sleeping) {
            return;
        }
        // Report when the client lets its inhibitor go (the read end sees end of file).
        auto* poller = new QTimer(&application);
        QObject::connect(poller, &QTimer::timeout, &application, [&manager, poller] {
            pollfd fd{manager.inhibitorReadEnd, POLLIN, 0};
            if (manager.inhibitorReadEnd >= 0 && poll(&fd, 1, 0) > 0 &&
                (fd.revents & POLLHUP) != 0) {
                std::printf("released\n");
                std::fflush(stdout);
                poller->stop();
            }
        });
        poller->start(20);
    });
    return application.exec();
}

#include "FakeLogind.moc"
