// SLEEP, _DELAY and _LIMIT. Key presses come from a second thread, as the window thread sends them.
// Times are only checked where they tell whether a wait ended early or ran its full course.
#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "keyboard_test_support.h"

namespace {

class SleepThreaded : public testing::Test {
  protected:
    void SetUp() override { reset_keyboard(); }
    void TearDown() override { reset_keyboard(); }
};

TEST_F(SleepThreaded, SleepWithoutTimeEndsAtAPressNotAtARelease) {
    std::thread typist([] {
        libtq_sleep_ms(30);
        keyup('q');
        libtq_sleep_ms(30);
        keydown('q');
    });
    sub_sleep(0, 0);
    // Had the release ended it, the q would not be there yet.
    EXPECT_EQ(inkey(), "q");
    typist.join();
}

TEST_F(SleepThreaded, ATimedSleepEndsEarlyAtShiftAndLeavesTheBufferEmpty) {
    std::thread typist([] {
        libtq_sleep_ms(50);
        keydown(KEY_LSHIFT);
    });
    const int64_t start = GetTicks();
    sub_sleep(1, 1);
    const int64_t took = GetTicks() - start;
    typist.join();
    EXPECT_LT(took, 1000);
    EXPECT_EQ(inkey(), "");
}

TEST_F(SleepThreaded, APressBeforeTheSleepDoesNotShortenIt) {
    keydown('p');
    const int64_t start = GetTicks();
    sub_sleep(1, 1);
    EXPECT_GE(GetTicks() - start, 1000);
    EXPECT_EQ(inkey(), "p");
}

TEST_F(SleepThreaded, SleepReturnsAtOnceWhileAnErrorIsPending) {
    error(5);
    sub_sleep(0, 0); // would wait for a key otherwise
    EXPECT_EQ(new_error, 5u);
}

TEST_F(SleepThreaded, KeysDoNotEndADelay) {
    std::thread typist([] {
        libtq_sleep_ms(10);
        keydown('d');
    });
    const int64_t start = GetTicks();
    sub__delay(0.1);
    EXPECT_GE(GetTicks() - start, 100);
    typist.join();
}

// A wait sleeps in one piece until something wakes it: a wake that came after the count was read
// (and before the wait began) is not lost, and a wake from another thread ends a wait without end.
TEST_F(SleepThreaded, AProgramWaitEndsAtAWakeAndMissesNoneThatCameBefore) {
    const int32_t seen = program_wake.load();
    program_wake_signal();
    const int64_t start = GetTicks();
    program_wait(seen, 60000);
    EXPECT_LT(GetTicks() - start, 30000);
    const int32_t now_seen = program_wake.load();
    std::thread waker([] {
        libtq_sleep_ms(30);
        program_wake_signal();
    });
    program_wait(now_seen, -1);
    waker.join();
    EXPECT_NE(program_wake.load(), now_seen);
}

// A key press wakes a _DELAY (for the statement frame's check), which then sleeps on for what is
// left.
TEST_F(SleepThreaded, AKeyWakesADelayThatThenSleepsOn) {
    const int32_t before = program_wake.load();
    std::thread typist([] {
        libtq_sleep_ms(20);
        keydown(KEY_LSHIFT);
        keyup(KEY_LSHIFT);
    });
    const int64_t start = GetTicks();
    sub__delay(0.15);
    EXPECT_GE(GetTicks() - start, 150);
    typist.join();
    EXPECT_NE(program_wake.load(), before);
}

TEST(Delay, OutOfRangeTimesRaiseIllegalFunctionCall) {
    for (double bad : {-1.0, -0.001, 2147483.648, std::nan(""), HUGE_VAL}) {
        reset_error_state();
        const int64_t start = GetTicks();
        sub__delay(bad);
        EXPECT_EQ(new_error, 5u) << bad;
        EXPECT_LT(GetTicks() - start, 1000) << bad;
    }
    reset_error_state();
}

TEST(Limit, BadRatesRaiseIllegalFunctionCall) {
    for (double bad : {0.0, -30.0, 1.0 / 61.0, std::nan("")}) {
        reset_error_state();
        sub__limit(bad);
        EXPECT_EQ(new_error, 5u) << bad;
    }
    reset_error_state();
}

TEST(Limit, LoopsRunOnAGridThatALatePassGivesUp) {
    reset_error_state();
    limit_last_boundary = 0;
    sub__limit(100); // the first call returns at once and starts the grid
    EXPECT_GT(limit_last_boundary, 0);

    // 15 ms after a boundary of a 10 ms grid: the next boundary is already past, the grid stays.
    double boundary = static_cast<double>(GetTicks()) - 15;
    limit_last_boundary = boundary;
    sub__limit(100);
    EXPECT_EQ(limit_last_boundary, boundary + 10);

    // 100 ms late: more than 32 ms behind, a new grid starts now.
    const double before = static_cast<double>(GetTicks());
    limit_last_boundary = before - 100;
    sub__limit(100);
    EXPECT_GE(limit_last_boundary, before);

    // Ten passes of a 100-a-second loop take at least 90 ms.
    const int64_t start = GetTicks();
    for (int i = 0; i < 10; i++) sub__limit(100);
    EXPECT_GE(GetTicks() - start, 90);
}

} // namespace
