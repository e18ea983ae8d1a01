#include <gtest/gtest.h>

#include "screen_test_support.h"

namespace {

TEST(Palettes, TheSixteenColoursAndGreysComeFirst) {
    const uint32_t colours[16] = {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA, 0xAA5500, 0xAAAAAA,
                                  0x555555, 0x5555FF, 0x55FF55, 0x55FFFF, 0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};
    const uint32_t greys[16] = {0x00, 0x14, 0x20, 0x2D, 0x39, 0x45, 0x51, 0x61,
                                0x71, 0x82, 0x92, 0xA2, 0xB6, 0xCA, 0xE3, 0xFF};
    for (int i = 0; i < 16; i++) {
        EXPECT_EQ(palette_256[i], 0xFF000000u | colours[i]) << i;
        EXPECT_EQ(palette_256[16 + i], 0xFF000000u | greys[i] * 0x010101u) << i;
    }
}

TEST(Palettes, TheWheelBlocksWalkFromBlueThroughRedAndGreen) {
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
    restore(13);
    EXPECT_EQ(pal[200], palette_256[200]);
    restore(12);
    EXPECT_EQ(pal[15], palette_256[15]);
    EXPECT_EQ(pal[16], 0x12345678u);
}

TEST(Fonts, BuiltInMetrics) {
    const int32_t fonts[6] = {8, 14, 16, 9, 15, 17};
    const int32_t widths[6] = {8, 8, 8, 16, 16, 16};
    const int32_t heights[6] = {8, 14, 16, 8, 14, 16};
    for (int i = 0; i < 6; i++) {
        EXPECT_EQ(fontwidth[fonts[i]], widths[i]);
        EXPECT_EQ(fontheight[fonts[i]], heights[i]);
        EXPECT_EQ(fontflags[fonts[i]], 16);
    }
    EXPECT_EQ(fontwidth[10], 0);
    EXPECT_EQ(font_height_of(-1), 0);
    EXPECT_EQ(font_height_of(1000), 0);
}

} // namespace
