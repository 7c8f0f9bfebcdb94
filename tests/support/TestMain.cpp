// Entry point of the test programs: a private home for settings and data, then every test.
#include <gtest/gtest.h>

#include "support/TempDir.h"

int main(int argc, char** argv) {
    const voltaris::test::PrivateHome home;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
