// Entry point of the tests without a display or Qt application: a private home, then the tests.
#include <gtest/gtest.h>

#include "PrivateHome.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const tovra::test::PrivateHome home;
    return RUN_ALL_TESTS();
}
