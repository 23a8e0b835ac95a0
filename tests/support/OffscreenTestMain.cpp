// Entry point of widget tests that need no display: Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>

#include "PrivateHome.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const tovra::test::PrivateHome home;
    // Never the desktop the tests run on; a test may give the offscreen platform its screens.
    if (!qgetenv("QT_QPA_PLATFORM").startsWith("offscreen")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
