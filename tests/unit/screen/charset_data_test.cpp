#include <gtest/gtest.h>

#include <string>

#include "screen/charset_data.h"

namespace {

std::string rows(const uint8_t *glyph, int height) {
    std::string out;
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < 8; x++) out += (glyph[y] & (0x80 >> x)) ? '#' : '.';
        out += '\n';
    }
    return out;
}

// Shapes of the PC character set, drawn by hand from the classic screens.
TEST(Charset, KnownShapesInBothSizes) {
    EXPECT_EQ(rows(&charset8x16_rows[1 * 16], 16), "........\n........\n.######.\n#......#\n#.#..#.#\n#......#\n"
                                                   "#......#\n#.#..#.#\n#..##..#\n#......#\n#......#\n.######.\n"
                                                   "........\n........\n........\n........\n");
    EXPECT_EQ(rows(&charset8x8_rows[3 * 8], 8), ".##.##..\n#######.\n#######.\n#######.\n.#####..\n..###...\n"
                                                "...#....\n........\n");
    for (int y = 0; y < 16; y++) EXPECT_EQ(charset8x16_rows[219 * 16 + y], 0xFF); // full block
    for (int y = 0; y < 8; y++) EXPECT_EQ(charset8x8_rows[219 * 8 + y], 0xFF);
    // Light shade: a quarter of the pixels, alternating rows.
    for (int y = 0; y < 16; y++) EXPECT_EQ(charset8x16_rows[176 * 16 + y], y % 2 ? 0x44 : 0x11);
    // Lower half block and left half block.
    for (int y = 0; y < 16; y++) EXPECT_EQ(charset8x16_rows[220 * 16 + y], y < 8 ? 0x00 : 0xFF) << y;
    for (int y = 0; y < 8; y++) EXPECT_EQ(charset8x8_rows[221 * 8 + y], 0xF0);
    // Space, NUL and the non-breaking space of code 255 are blank.
    for (int c : {0, 32, 255})
        for (int y = 0; y < 16; y++) EXPECT_EQ(charset8x16_rows[c * 16 + y], 0) << c;
    // Box drawing: the horizontal double line meets the cell edges on both sides.
    bool any_full_row = false;
    for (int y = 0; y < 16; y++) any_full_row |= charset8x16_rows[205 * 16 + y] == 0xFF;
    EXPECT_TRUE(any_full_row);
    EXPECT_EQ(rows(&charset8x16_rows['A' * 16], 16), "........\n........\n...#....\n..###...\n.##.##..\n##...##.\n"
                                                     "##...##.\n#######.\n##...##.\n##...##.\n##...##.\n##...##.\n"
                                                     "........\n........\n........\n........\n");
}

TEST(Charset, EveryPrintableCharacterHasPixels) {
    for (int c = 1; c < 256; c++) {
        if (c == 32 || c == 255) continue;
        int set8 = 0, set16 = 0;
        for (int y = 0; y < 8; y++) set8 |= charset8x8_rows[c * 8 + y];
        for (int y = 0; y < 16; y++) set16 |= charset8x16_rows[c * 16 + y];
        EXPECT_NE(set8, 0) << c;
        EXPECT_NE(set16, 0) << c;
    }
}

} // namespace
