// Entry point of the tests that need a Wayland compositor: a private headless sway for this
// executable, and a Qt application for the backends' main queue.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdio>
#include <string>

#include "PrivateHome.h"
#include "SwayServer.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const tovra::test::PrivateHome home;
    // Listing tests (ctest discovery) needs no compositor.
    if (::testing::GTEST_FLAG(list_tests)) {
        return RUN_ALL_TESTS();
    }
    tovra::test::SwayServer server;
    std::string error;
    if (!server.start(error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    tovra::test::SwayServer::current = &server;
    QCoreApplication application(argc, argv);
    const int result = RUN_ALL_TESTS();
    tovra::test::SwayServer::current = nullptr;
    server.stop();
    return result;
}
