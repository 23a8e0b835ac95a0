// Entry point of display tests that need Qt widgets in the test process itself.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <string>

#include "XvfbServer.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
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
    QApplication application(argc, argv);
    const int result = RUN_ALL_TESTS();
    server.stop();
    return result;
}
