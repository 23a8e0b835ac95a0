// Entry point of the tests that need a display: a private Xvfb for this executable, and a Qt
// application (with widgets where TOVRA_TEST_WIDGETS is defined) for the backends' main queue.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "PrivateHome.h"
#include "XvfbServer.h"

#ifdef TOVRA_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const tovra::test::PrivateHome home;
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
    qputenv("QT_QPA_PLATFORM", "xcb");
    TestApplication application(argc, argv);
    const int result = RUN_ALL_TESTS();
    server.stop();
    return result;
}
