// The emulated BIOS tick count that the housekeeping thread keeps at 0040:006C, as a program reads
// it with PEEK.
#include <gtest/gtest.h>

#include <atomic>

#include "frame/frame_internal.h"
#include "libtq.h"
#include "test_support.h"

namespace {

// The three bytes of the count, low byte first, through DEF SEG = 0 and PEEK.
int64_t peeked_ticks() {
    sub_defseg(0, 1);
    const int64_t ticks = func_peek(0x46C) | func_peek(0x46D) << 8 | func_peek(0x46E) << 16;
    sub_defseg(0, 0);
    return ticks;
}

// 18.2 ticks a second since local midnight: TIMER to the millisecond, times 1,000 (cut to whole
// milliseconds), times 0.0182, cut.
TEST(BiosTicks, CountEighteenPointTwoASecondSinceMidnight) {
    reset_error_state();
    for (int attempt = 0; attempt < 20; attempt++) {
        const double before = func_timer(0.001, 1);
        update_bios_ticks();
        if (func_timer(0.001, 1) != before) continue; // the millisecond changed meanwhile
        const auto ms = static_cast<uint64_t>(before * 1000.0);
        EXPECT_EQ(peeked_ticks(), static_cast<int64_t>(static_cast<double>(ms) * 0.0182));
        return;
    }
    FAIL() << "the clock never stood still for a millisecond";
}

void keep_ticking(void *argument) {
    auto *stop = static_cast<std::atomic<bool> *>(argument);
    while (!stop->load()) update_bios_ticks();
}

TEST(BiosTicksThreaded, TheProgramPeeksTheCountWhileTheHousekeepingThreadKeepsIt) {
    reset_error_state();
    std::atomic<bool> stop{false};
    libtq_thread *housekeeping = libtq_thread_new();
    libtq_thread_start(housekeeping, keep_ticking, &stop);
    int64_t beyond_a_day = 0;
    for (int i = 0; i < 20000; i++) beyond_a_day += peeked_ticks() > 1572480; // 86,400,000 ms x 0.0182
    stop = true;
    libtq_thread_join(housekeeping);
    libtq_thread_free(housekeeping);
    EXPECT_EQ(beyond_a_day, 0);
}

} // namespace
