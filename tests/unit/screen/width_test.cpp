#include <gtest/gtest.h>

#include "text_test_support.h"

namespace {

TEST(Width, EightyBySixtyInModeTwelveSelectsTheEightPixelFont) {
    fresh_screen(12);
    tqg_sub_color(11, 3, 0, 3);
    tqg_sub_window(0, 0, 100, 100, 1);
    locate(9, 9);
    std::memset(write_page->pixels, 7, 640 * 480);
    tqsub_width(0, 80, 60, 0, 0, 3);
    ASSERT_EQ(new_error, 0u);
    img_struct *s = write_page;
    EXPECT_EQ(s, &img[page[0]]);
    EXPECT_EQ(s->mode, 12);
    EXPECT_EQ(s->font, 8);
    EXPECT_EQ(text_columns(s, s->font), 80);
    EXPECT_EQ(text_rows(s, s->font), 60);
    EXPECT_EQ(s->bottom_row, 59);
    EXPECT_EQ(s->cursor_y, 1);
    EXPECT_EQ(s->cursor_x, 1);
    EXPECT_EQ(s->color, 11u);
    EXPECT_EQ(s->background_color, 3u);
    EXPECT_EQ(s->window_x2, 100.0f);
    EXPECT_EQ(s->window_y2, 100.0f);
    EXPECT_EQ(s->clipping_or_scaling, 0);
    int not_clear = 0;
    for (int i = 0; i < 640 * 480; i++) not_clear += s->pixels[i] != 0;
    EXPECT_EQ(not_clear, 0);
    // Again: the font is already 8, so nothing happens.
    s->pixels[0] = 7;
    tqsub_width(0, 80, 60, 0, 0, 3);
    EXPECT_EQ(s->pixels[0], 7);
    // Back to 30 rows of 16.
    tqsub_width(0, 0, 30, 0, 0, 2);
    EXPECT_EQ(s->font, 16);
    EXPECT_EQ(s->bottom_row, 29);
}

TEST(Width, FortyColumnsRebuildTheTextScreen) {
    fresh_screen(0);
    const int32_t before = page[0];
    tqsub_width(0, 80, 0, 0, 0, 1); // the grid it has: nothing to do
    EXPECT_EQ(page[0], before);
    tqsub_width(0, 40, 0, 0, 0, 1);
    ASSERT_EQ(new_error, 0u);
    const img_struct *s = &img[page[0]];
    EXPECT_EQ(s->width, 40);
    EXPECT_EQ(s->height, 25);
    EXPECT_EQ(s->font, 17);
    EXPECT_EQ(img[page[1]].pixels, cmem + 0xB8000 + 2048);
    EXPECT_EQ(sub_screen_width_in_characters, -1);
    tqsub_width(0, 80, 43, 0, 0, 3);
    EXPECT_EQ(img[page[0]].width, 80);
    EXPECT_EQ(img[page[0]].height, 43);
    EXPECT_EQ(img[page[0]].font, 14);
    tqsub_width(0, 0, 50, 0, 0, 2);
    EXPECT_EQ(img[page[0]].height, 50);
    EXPECT_EQ(img[page[0]].font, 8);
    EXPECT_EQ(new_error, 0u);
}

TEST(Width, BadValuesAreRefusedAndChangeNothing) {
    fresh_screen(0);
    const int32_t before = page[0];
    const int32_t bad[][3] = {{0, 0, 0}, {0, 5, 1}, {-3, 5, 1}, {80, 0, 3}, {5, -1, 2}, {256, 25, 3}, {80, 1000, 2}};
    for (const auto &b : bad) {
        reset_error_state();
        tqsub_width(0, b[0], b[1], 0, 0, b[2]);
        EXPECT_EQ(new_error, 5u) << b[0] << "," << b[1];
        EXPECT_EQ(page[0], before);
        EXPECT_EQ(img[page[0]].width, 80);
    }
    fresh_screen(12);
    const int32_t mode12 = page[0];
    for (auto [columns, rows] : {std::pair{80, 44}, {81, 30}, {70, 25}, {80, 100}, {INT32_MAX, INT32_MAX}}) {
        reset_error_state();
        tqsub_width(0, columns, rows, 0, 0, 3);
        EXPECT_EQ(new_error, 5u) << columns << "," << rows;
        EXPECT_EQ(page[0], mode12);
        EXPECT_EQ(write_page->mode, 12);
        EXPECT_EQ(write_page->font, 16);
    }
    reset_error_state();
    tqsub_width(1, 80, 0, 0, 0, 1); // no such device
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
}

TEST(Width, RowsNoPixelFontGivesTurnTheScreenIntoText) {
    fresh_screen(12);
    tqsub_width(0, 80, 43, 0, 0, 3);
    ASSERT_EQ(new_error, 0u);
    EXPECT_EQ(write_page->mode, 0);
    EXPECT_EQ(write_page->height, 43);
    EXPECT_EQ(write_page->font, 14);
    fresh_screen(12);
    tqsub_width(0, 40, 0, 0, 0, 1);
    EXPECT_EQ(write_page->mode, 0);
    EXPECT_EQ(write_page->width, 40);
    EXPECT_EQ(write_page->height, 25);
    EXPECT_EQ(write_page->font, 17);
    fresh_screen(13);
    tqsub_width(0, 40, 25, 0, 0, 3); // the grid mode 13 has
    EXPECT_EQ(write_page->mode, 13);
    tqsub_width(0, 80, 0, 0, 0, 1);
    EXPECT_EQ(write_page->mode, 0);
    EXPECT_EQ(write_page->width, 80);
    EXPECT_EQ(new_error, 0u);
}

TEST(Width, EgaScreensTakeFortyThreeRowsOfEight) {
    fresh_screen(9);
    tqsub_width(0, 80, 43, 0, 0, 3);
    EXPECT_EQ(write_page->font, 8);
    EXPECT_EQ(write_page->bottom_row, 42);
    tqsub_width(0, 80, 25, 0, 0, 3);
    EXPECT_EQ(write_page->font, 14);
    EXPECT_EQ(write_page->mode, 9);
    EXPECT_EQ(new_error, 0u);
}

TEST(Width, OldModesReturnToTheEightPixelFont) {
    fresh_screen(7);
    tqg_screen(7, 0, 1, 0, 0, 1 | 4 | 8);
    tqg_screen(7, 0, 0, 0, 0, 1 | 4 | 8);
    EXPECT_EQ(pages, 2);
    sub__font(16, 0, 0);
    tqg_sub_color(4, 2, 0, 3);
    tqsub_width(0, 40, 25, 0, 0, 3);
    ASSERT_EQ(new_error, 0u);
    EXPECT_EQ(write_page->font, 8);
    EXPECT_EQ(write_page->color, 4u);
    EXPECT_EQ(pages, 1); // the other pages are released
}

TEST(Width, ThirtyTwoBitScreensAreResized) {
    fresh_screen(12);
    const int32_t handle = func__newimage(640, 480, 32, 1);
    tqg_screen(handle, 0, 0, 0, 0, 1);
    tqg_screen(0, 0, 1, 1, 0, 4 | 8); // page 1, now drawn on and shown
    ASSERT_EQ(new_error, 0u);
    write_page->color = 0xFF00FF00;
    tqsub_width(0, 100, 40, 0, 0, 3);
    ASSERT_EQ(new_error, 0u);
    EXPECT_EQ(pages, 1);
    const img_struct *s = &img[page[0]];
    EXPECT_EQ(write_page, s);
    EXPECT_EQ(display_page.load(), s);
    EXPECT_EQ(s->width, 800);
    EXPECT_EQ(s->height, 640);
    EXPECT_EQ(s->bottom_row, 39);
    EXPECT_EQ(reinterpret_cast<const uint32_t *>(s->pixels)[800 * 640 - 1], 0u);
    tqsub_width(0, 10000, 0, 0, 0, 1); // 80,000 pixels do not fit a record
    EXPECT_EQ(new_error, 5u);
    EXPECT_EQ(s->width, 800);
    reset_error_state();
    tqg_screen(12, 0, 0, 0, 0, 1);
    sub__freeimage(handle, 1);
    EXPECT_EQ(new_error, 0u);
}

TEST(Width, AnImageOverSomebodyElsesMemoryCannotGrow) {
    drawing_image im(32, 24, 256);
    tqsub_width(0, 10, 10, 0, 0, 3); // 80 x 160 pixels
    EXPECT_EQ(new_error, 5u);
    EXPECT_EQ(im->width, 32);
    reset_error_state();
    tqsub_width(0, 2, 1, 0, 0, 3); // 16 x 16 fits
    EXPECT_EQ(new_error, 0u);
    EXPECT_EQ(im->width, 16);
    EXPECT_EQ(im->height, 16);
    EXPECT_TRUE(im.margins_intact());
}

} // namespace
