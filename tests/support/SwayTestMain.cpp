// Entry point of the tests that need a Wayland compositor: a private headless sway for this
// executable.
#include "ServerTestMain.h"
#include "SwayServer.h"

int main(int argc, char** argv) {
    tovra::test::SwayServer server;
    return tovra::test::runTestsBesideServer(
        argc, argv,
        [&](std::string& error) {
            tovra::test::SwayServer::current = &server;
            return server.start(error);
        },
        [&] {
            tovra::test::SwayServer::current = nullptr;
            server.stop();
        });
}
