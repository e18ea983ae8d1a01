// Test entry: prepares the emulated machine once, headless, then runs every test on this thread.
#include <gtest/gtest.h>

#include "libtq.h"

int main(int argc, char **argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::GTEST_FLAG(death_test_style) = "threadsafe";
    libtq_prepare(argc, argv);
    return RUN_ALL_TESTS();
}
