#include <gtest/gtest.h>

#include <string>

#include "libtq.h"

namespace {

// A glyph of the byte-per-pixel tables as text, one line a row: # for 255, . for 0, ? otherwise.
std::string picture(const uint8_t *glyph, int rows) {
    std::string out;
    for (int y = 0; y < rows; y++) {
        for (int x = 0; x < 8; x++) out += glyph[y * 8 + x] == 255 ? '#' : glyph[y * 8 + x] == 0 ? '.' : '?';
        out += '\n';
    }
    return out;
}

TEST(Glyphs, EveryPixelIsAFullByte) {
    int other = 0;
    for (uint8_t b : charset8x8) other += b != 0 && b != 255;
    for (uint8_t b : charset8x16) other += b != 0 && b != 255;
    EXPECT_EQ(other, 0);
}

// Shapes of the PC character set, drawn by hand.
TEST(Glyphs, KnownShapesInBothSizes) {
    EXPECT_EQ(picture(charset8x8 + 3 * 64, 8), // heart
              ".##.##..\n"
              "#######.\n"
              "#######.\n"
              "#######.\n"
              ".#####..\n"
              "..###...\n"
              "...#....\n"
              "........\n");
    EXPECT_EQ(picture(charset8x16 + 1 * 128, 16), // smiling face
              "........\n"
              "........\n"
              ".######.\n"
              "#......#\n"
              "#.#..#.#\n"
              "#......#\n"
              "#......#\n"
              "#.#..#.#\n"
              "#..##..#\n"
              "#......#\n"
              "#......#\n"
              ".######.\n"
              "........\n"
              "........\n"
              "........\n"
              "........\n");
    for (int i = 0; i < 128; i++) ASSERT_EQ(charset8x16[219 * 128 + i], 255) << i; // full block
    for (int i = 0; i < 64; i++) ASSERT_EQ(charset8x8[219 * 64 + i], 255) << i;
    // Light shade: every fourth pixel, shifted by two on alternate rows.
    EXPECT_EQ(picture(charset8x16 + 176 * 128, 4), "...#...#\n.#...#..\n...#...#\n.#...#..\n");
    // Left half block, 8 x 8.
    EXPECT_EQ(picture(charset8x8 + 221 * 64, 2), "####....\n####....\n");
    for (int i = 0; i < 128; i++) ASSERT_EQ(charset8x16[32 * 128 + i], 0); // space
}

} // namespace
