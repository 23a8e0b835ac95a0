#pragma once

#include <string>
#include <vector>

namespace tovra::test {

/// Mutable copies of the arguments and the null-terminated pointer list posix_spawn wants.
struct SpawnArguments {
    explicit SpawnArguments(const std::vector<std::string>& args);
    std::vector<std::string> storage;
    std::vector<char*> argv;
};

struct CommandResult {
    int exitCode = -1;
    std::string output;
};

/// Runs a program to completion with `input` on its standard input and returns what it printed.
CommandResult runCommand(const std::vector<std::string>& argv, const std::string& input = {});

/// Runs a program that may leave a child serving in the background (xclip -i): its output is
/// discarded, so only the program itself is waited for.
int runDetaching(const std::vector<std::string>& argv, const std::string& input);

/// Starts a server (a compositor, a bus) in a process group of its own, so stopping the group
/// stops its helpers too; its output is silenced unless TOVRA_TEST_STDERR is set. -1 on failure.
int spawnServerGroup(const std::vector<std::string>& argv);
/// Ends a group `spawnServerGroup` (or a spawn of its own kind) started and waits for its
/// leader; a group still there after five seconds is killed, so no teardown hangs. Sets `pid`
/// to -1.
void stopServerGroup(int& pid);

/// Whether a server listens on the Unix socket at `path`. Its file exists once bound, a moment
/// before it listens: a client that came in between would be refused.
bool listensAt(const std::string& path);

/// Turns the test's event loops (its `TestEventLoop`s, else Qt's) until `done` is true or
/// `timeoutMs` passes; returns `done()`.
template <class Predicate>
bool waitUntil(Predicate done, int timeoutMs = 5000);

}  // namespace tovra::test

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "TestEventLoop.h"

namespace tovra::test {

template <class Predicate>
bool waitUntil(Predicate done, int timeoutMs) {
    QElapsedTimer elapsed;
    elapsed.start();
    // Sleep in the event loop between looks; the tick only bounds how late a look can be.
    QTimer tick;
    tick.start(2);
    while (!done()) {
        if (elapsed.elapsed() > timeoutMs) {
            return done();
        }
        if (!TestEventLoop::turnAll()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        } else if (QCoreApplication::instance() != nullptr) {
            // A test may run Qt's loop beside its own (the binary's end-to-end tests do).
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        }
    }
    return true;
}

}  // namespace tovra::test
