#include "ServerTestMain.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdio>

#include "PrivateHome.h"

namespace tovra::test {

int runTestsBesideServer(int argc, char** argv, const std::function<bool(std::string&)>& start,
                         const std::function<void()>& stop) {
    ::testing::InitGoogleTest(&argc, argv);
    const PrivateHome home;
    if (::testing::GTEST_FLAG(list_tests)) {
        return RUN_ALL_TESTS();
    }
    std::string error;
    if (!start(error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    QCoreApplication application(argc, argv);
    const int result = RUN_ALL_TESTS();
    stop();
    return result;
}

}  // namespace tovra::test
