#include <gtest/gtest.h>

#include "libtq.h"
#include "test_support.h"

namespace {

class CmemTest : public testing::Test {
  protected:
    void SetUp() override {
        reset_error_state();
        sub_defseg(0, 0);
    }
    void TearDown() override {
        reset_error_state();
        sub_defseg(0, 0);
    }
};

TEST_F(CmemTest, DataSegmentIsSegment0x50) {
    EXPECT_EQ(dblock, cmem + 0x500);
    sub_poke(10, 0x1A5); // only the low byte is stored
    EXPECT_EQ(dblock[10], 0xA5);
    EXPECT_EQ(func_peek(10), 0xA5);
    sub_defseg(0x50, 1);
    EXPECT_EQ(func_peek(10), 0xA5);
}

TEST_F(CmemTest, OffsetsWrapWithinTheSegment) {
    sub_defseg(0x1000, 1);
    sub_poke(-1, 77);
    EXPECT_EQ(cmem[0x10000 + 0xFFFF], 77);
    EXPECT_EQ(func_peek(65535), 77);
    sub_defseg(-1, 1); // segment 0xFFFF: FFFF:FFFF is the highest address
    sub_poke(65535, 9);
    EXPECT_EQ(cmem[0xFFFF0 + 0xFFFF], 9);
}

TEST_F(CmemTest, OutOfRangeArgumentsRaiseOverflowAndChangeNothing) {
    sub_defseg(0x40, 1);
    uint8_t before = cmem[0x400];
    EXPECT_EQ(func_peek(65536), 0);
    EXPECT_EQ(new_error, 6u);
    reset_error_state();
    sub_poke(-65537, 1);
    EXPECT_EQ(new_error, 6u);
    EXPECT_EQ(cmem[0x400], before);
    reset_error_state();
    sub_defseg(65536, 1);
    EXPECT_EQ(new_error, 6u);
    reset_error_state();
    sub_poke(0, 0x5A); // the segment stayed 0x40
    EXPECT_EQ(cmem[0x400], 0x5A);
    cmem[0x400] = before;
}

TEST_F(CmemTest, NothingChangesWhileAnErrorIsPending) {
    error(5);
    sub_poke(20, 99);
    EXPECT_NE(dblock[20], 99);
    sub_defseg(0, 1);
    reset_error_state();
    sub_poke(20, 98);
    EXPECT_EQ(dblock[20], 98); // DEF SEG was ignored: still the data segment
}

TEST_F(CmemTest, StartUpTakesEightZeroedBytesAtTheTopOfTheDataSegment) {
    EXPECT_LE(cmem_sp, 65528u);
    for (uint32_t i = 65528; i < 65536; i++) EXPECT_EQ(dblock[i], 0);
}

TEST_F(CmemTest, DynamicBlocksAreCarvedFromTheTopAndReused) {
    uint32_t a = cmem_dynamic_malloc(1);
    uint32_t b = cmem_dynamic_malloc(16);
    EXPECT_EQ(a, 0xA0000u - 16);
    EXPECT_EQ(b, 0xA0000u - 32);
    EXPECT_EQ(cmem_dynamic_malloc(0), 0xA0000u);
    cmem_dynamic_free(a);
    EXPECT_EQ(cmem_dynamic_malloc(16), 0xA0000u - 16);
    uint32_t c = cmem_dynamic_malloc(100);
    EXPECT_EQ(c, 0xA0000u - 32 - 112);
    // A hole between two blocks is found again.
    cmem_dynamic_free(b);
    EXPECT_EQ(cmem_dynamic_malloc(10), 0xA0000u - 32);
    cmem_dynamic_free(0xA0000u - 16);
    cmem_dynamic_free(0xA0000u - 32);
    cmem_dynamic_free(c);
    cmem_dynamic_free(12345); // unknown addresses are ignored
    EXPECT_EQ(new_error, 0u);
}

TEST_F(CmemTest, TooLargeABlockIsFatal) {
    EXPECT_EXIT(
        {
            gui_alert_set_responder([](const char *m, const char *t, const char *) {
                std::fprintf(stderr, "%s: %s\n", t, m);
                return 1;
            });
            cmem_dynamic_malloc(65537);
        },
        testing::ExitedWithCode(0), "Critical Error #5: Out of memory");
}

TEST_F(CmemTest, TheRegionRunsOutBetweenTheDataSegmentAndThe640KLine) {
    EXPECT_EXIT(
        {
            gui_alert_set_responder([](const char *m, const char *t, const char *) {
                std::fprintf(stderr, "%s: %s\n", t, m);
                return 1;
            });
            // (0xA0000 - 0x10500) / 65536 = 8.9: the ninth full block still fits, the tenth not.
            for (int i = 0; i < 9; i++)
                if (cmem_dynamic_malloc(65536) < 0x10500) std::abort();
            cmem_dynamic_malloc(65536);
        },
        testing::ExitedWithCode(0), "Critical Error #6: Out of memory");
}

} // namespace
