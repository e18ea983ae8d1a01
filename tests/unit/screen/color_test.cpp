#include <gtest/gtest.h>

#include "screen_test_support.h"

namespace {

constexpr int32_t FG = 1, BG = 2, BORDER = 4;

TEST(Color, ModeTwelveTakesSixteenColours) {
    fresh_screen(12);
    write_page->draw_color = 2;
    tqg_sub_color(16, 0, 0, FG);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    tqg_sub_color(0, 16, 0, BG);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    tqg_sub_color(11, 3, 0, FG | BG | BORDER); // no border on a graphics screen
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    EXPECT_EQ(write_page->color, 15u);
    EXPECT_EQ(write_page->background_color, 0u);
    tqg_sub_color(11, 0, 0, FG);
    EXPECT_EQ(write_page->color, 11u);
    EXPECT_EQ(write_page->background_color, 0u);
    EXPECT_EQ(write_page->draw_color, 2u);
    tqg_sub_color(99, 99, 99, 0); // nothing given: nothing happens
    EXPECT_EQ(new_error, 0u);
    EXPECT_EQ(write_page->color, 11u);
    tqg_sub_color(0xFFFFFFFFu, 0, 0, FG); // a negative number is no colour either
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
}

TEST(Color, TheTextScreenBlinksAndIgnoresTheBorder) {
    fresh_screen(0);
    tqg_sub_color(31, 15, 9, FG | BG | BORDER);
    EXPECT_EQ(new_error, 0u);
    EXPECT_EQ(write_page->color, 31u);
    EXPECT_EQ(write_page->background_color, 7u);
    tqg_sub_color(32, 0, 0, FG);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
}

TEST(Color, PaletteRegisterBackgrounds) {
    fresh_screen(9);
    tqg_sub_color(0, 20, 0, BG);
    EXPECT_EQ(write_page->pal[0], palette_64[20]);
    tqg_sub_color(0, 64, 0, BG);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();

    fresh_screen(7);
    tqg_sub_color(14, 1, 0, FG | BG);
    EXPECT_EQ(write_page->color, 14u);
    EXPECT_EQ(write_page->pal[0], palette_256[1]);

    fresh_screen(10);
    tqg_sub_color(3, 8, 0, FG | BG);
    EXPECT_EQ(write_page->pal[4], 8u);
    tqg_sub_color(4, 0, 0, FG);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();

    fresh_screen(1);
    tqg_sub_color(4, 1, 0, FG | BG); // background red, odd set: cyan, magenta, white
    EXPECT_EQ(write_page->color, 3u);
    EXPECT_EQ(write_page->pal[0], palette_256[4]);
    EXPECT_EQ(write_page->pal[1], palette_256[3]);
    EXPECT_EQ(write_page->pal[3], palette_256[7]);
    tqg_sub_color(0, 2, 0, BG);
    EXPECT_EQ(write_page->pal[2], palette_256[4]);

    fresh_screen(13);
    tqg_sub_color(255, 255, 0, FG | BG);
    EXPECT_EQ(write_page->color, 255u);
    tqg_sub_color(256, 0, 0, FG);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
}

} // namespace
