// Entry point of the tests that need a display: a private Xvfb for this executable, and a Qt
// event loop for the backends' main queue.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdio>
#include <string>

#include "XvfbServer.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing tests (ctest discovery) needs no server.
    if (::testing::GTEST_FLAG(list_tests)) {
        return RUN_ALL_TESTS();
    }
    tovra::test::XvfbServer server;
    std::string error;
    if (!server.start(error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    QCoreApplication application(argc, argv);
    const int result = RUN_ALL_TESTS();
    server.stop();
    return result;
}
