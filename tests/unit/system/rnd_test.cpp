// RND and RANDOMIZE: the classic 24-bit generator and its seeding rules.
#include <gtest/gtest.h>

#include <cmath>

#include "libtq.h"
#include "test_support.h"

namespace {

class Rnd : public testing::Test {
  protected:
    void SetUp() override {
        reset_error_state();
        rnd_seed = rnd_seed_first = 0x50000; // as at the start of a run
    }
};

TEST_F(Rnd, TheFirstNumbersOfARun) {
    EXPECT_FLOAT_EQ(func_rnd(0, 0), 0.7055475f);
    EXPECT_EQ(rnd_seed, 0xB49EC3u);
    EXPECT_FLOAT_EQ(func_rnd(1, 1), 0.533424f);
    EXPECT_EQ(rnd_seed, 0x888E7Au);
    EXPECT_FLOAT_EQ(func_rnd(5, 1), 0.5795186f);
    EXPECT_EQ(rnd_seed, 0x945B55u);
}

TEST_F(Rnd, ZeroRepeatsTheLastNumber) {
    EXPECT_EQ(func_rnd(0, 1), 0.01953125f); // 0x50000 / 2^24, before any draw
    const float drawn = func_rnd(0, 0);
    EXPECT_EQ(func_rnd(0, 1), drawn);
    EXPECT_EQ(func_rnd(0, 1), drawn);
}

TEST_F(Rnd, ANegativeArgumentReseedsFromItsBitPattern) {
    EXPECT_FLOAT_EQ(func_rnd(-1, 1), 0.224007f);
    func_rnd(0, 0);
    EXPECT_FLOAT_EQ(func_rnd(-1, 1), 0.224007f);
    EXPECT_FLOAT_EQ(func_rnd(-1, 1), 0.224007f);
}

TEST_F(Rnd, NotANumberDrawsTheNextNumber) {
    const float next = func_rnd(0, 0);
    rnd_seed = 0x50000;
    EXPECT_EQ(func_rnd(std::nanf(""), 1), next);
}

TEST_F(Rnd, RandomizeKeepsTheLowByteOfTheSeedAndUsingRestartsTheSequence) {
    rnd_seed = 0x1234AB;
    sub_randomize(1, 1); // the double 1 has the high word 0x3FF00000
    EXPECT_EQ(rnd_seed, 0x3FF0ABu);
    sub_randomize(1, 3);
    EXPECT_EQ(rnd_seed, 0x3FF000u);
    const float a = func_rnd(0, 0), b = func_rnd(0, 0);
    sub_randomize(1, 3);
    EXPECT_EQ(func_rnd(0, 0), a);
    EXPECT_EQ(func_rnd(0, 0), b);
    // -1 is 0xBFF00000 in the high word: 0xBFF0 ^ 0xBFF00000 keeps 0xBFF0.
    sub_randomize(-1, 3);
    EXPECT_EQ(rnd_seed, 0xBFF000u);
}

TEST_F(Rnd, NothingChangesWhileAnErrorIsPending) {
    error(5);
    EXPECT_EQ(func_rnd(0, 0), 0.0f);
    sub_randomize(1, 3);
    EXPECT_EQ(rnd_seed, 0x50000u);
    reset_error_state();
}

} // namespace
