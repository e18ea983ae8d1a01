#include <gtest/gtest.h>

#include "screen_test_support.h"

namespace {

TEST(Palettes, GreysThenWheelBlocksFromBlueThroughRedAndGreen) {
    EXPECT_EQ(palette_256[16], 0xFF000000u);
    EXPECT_EQ(palette_256[23], 0xFF616161u);
    EXPECT_EQ(palette_256[31], 0xFFFFFFFFu);
    EXPECT_EQ(palette_256[32], 0xFF0000FFu);
    EXPECT_EQ(palette_256[33], 0xFF4100FFu);
    EXPECT_EQ(palette_256[36], 0xFFFF00FFu); // (H, l0, H): magenta
    EXPECT_EQ(palette_256[44], 0xFFFFFF00u);
    EXPECT_EQ(palette_256[55], 0xFF0041FFu); // last of the first block: (l0, l1, H)
    EXPECT_EQ(palette_256[56], 0xFF7D7DFFu); // second block starts pale blue
    EXPECT_EQ(palette_256[104], 0xFF000071u);
    EXPECT_EQ(palette_256[140], 0xFF717139u); // (H, H, l0) of the fifth block
    EXPECT_EQ(palette_256[247], 0xFF2D3141u);
    for (int i = 248; i < 256; i++) EXPECT_EQ(palette_256[i], 0xFF000000u) << i;
}

TEST(Palettes, SixtyFourColoursHaveTwoBitsPerChannel) {
    EXPECT_EQ(palette_64[0], 0xFF000000u);
    EXPECT_EQ(palette_64[7], 0xFFAAAAAAu);
    EXPECT_EQ(palette_64[20], 0xFFAA5500u);
    EXPECT_EQ(palette_64[56], 0xFF555555u);
    EXPECT_EQ(palette_64[57], 0xFF5555FFu);
    EXPECT_EQ(palette_64[63], 0xFFFFFFFFu);
}

TEST(Palettes, ModeTenPseudoColoursBlinkBetweenTwoLevels) {
    const uint32_t phase0[9] = {0, 0, 0, 0x808080, 0x808080, 0x808080, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
    const uint32_t phase1[9] = {0, 0x808080, 0xFFFFFF, 0, 0x808080, 0xFFFFFF, 0, 0x808080, 0xFFFFFF};
    for (int i = 0; i < 9; i++) {
        EXPECT_EQ(pal_mode10[0][i], phase0[i]) << i;
        EXPECT_EQ(pal_mode10[1][i], phase1[i]) << i;
    }
}

TEST(Palettes, EachModeRestoresItsOwnEntries) {
    uint32_t pal[256];
    img_struct im{};
    im.pal = pal;
    auto restore = [&](int mode) {
        std::fill(std::begin(pal), std::end(pal), 0x12345678u);
        im.mode = static_cast<uint16_t>(mode);
        restorepalette(&im);
    };
    restore(1);
    EXPECT_EQ(pal[1], palette_256[3]);
    EXPECT_EQ(pal[3], palette_256[7]);
    EXPECT_EQ(pal[4], 0x12345678u);
    restore(11);
    EXPECT_EQ(pal[0], 0x00000000u);
    EXPECT_EQ(pal[1], 0x00FFFFFFu);
    restore(9);
    EXPECT_EQ(pal[6], 0xFFAA5500u);
    EXPECT_EQ(pal[8], palette_64[56]);
    restore(10);
    EXPECT_EQ(pal[0], 0x12345678u);
    EXPECT_EQ(pal[4], 0u);
    EXPECT_EQ(pal[5], 4u);
    EXPECT_EQ(pal[6], 6u);
    EXPECT_EQ(pal[7], 8u);
    restore(12);
    EXPECT_EQ(pal[16], 0x12345678u);
}

} // namespace
