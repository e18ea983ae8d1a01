#include <gtest/gtest.h>

#include "text_test_support.h"

namespace {

struct cursor_state {
    int16_t x, y, top, bottom;
    uint8_t held, show, first, last;
    bool operator==(const cursor_state &) const = default;
};
cursor_state cursor_of(const img_struct *im) {
    return {im->cursor_x,    im->cursor_y,    im->top_row,           im->bottom_row,
            im->cursor_held, im->cursor_show, im->cursor_firstvalue, im->cursor_lastvalue};
}

TEST(Locate, RowsOutsideTheViewAndColumnsOffThePageAreRefused) {
    fresh_screen(12);
    locate(7, 9);
    const cursor_state before = cursor_of(write_page);
    const int32_t bad[][6] = {
        {31, 1, 0, 0, 0, 3},  {0, 1, 0, 0, 0, 3},   {-5, 1, 0, 0, 0, 1},        {2, 81, 0, 0, 0, 3},
        {2, 0, 0, 0, 0, 3},   {0, -1, 0, 0, 0, 2},  {0, 0, 2, 0, 0, 4},         {0, 0, 0, 32, 0, 8},
        {0, 0, 0, 0, -1, 16}, {5, 5, 0, 0, 99, 19}, {INT32_MAX, 1, 0, 0, 0, 1},
    };
    for (const auto &b : bad) {
        reset_error_state();
        tqg_sub_locate(b[0], b[1], b[2], b[3], b[4], b[5]);
        EXPECT_EQ(new_error, 5u) << b[0] << "," << b[1];
        EXPECT_EQ(cursor_of(write_page), before);
    }
    reset_error_state();
    locate(30, 1); // the last row lies outside the view but may be written
    EXPECT_EQ(new_error, 0u);
    EXPECT_EQ(write_page->cursor_y, 30);
    tqg_sub_view_print(5, 10, 1);
    for (int32_t row : {4, 11, 29}) {
        reset_error_state();
        locate(row, 1);
        EXPECT_EQ(new_error, 5u) << row;
    }
    reset_error_state();
}

TEST(Locate, OnlyRowOrColumnPayTheOwedBreak) {
    fresh_screen(12);
    locate(3, 80);
    print_semicolon("x");
    tqg_sub_locate(0, 0, 1, 0, 0, 4); // neither row nor column
    EXPECT_EQ(write_page->cursor_held, 2);
    EXPECT_EQ(func_pos(0), 1);
    tqg_sub_locate(8, 0, 0, 0, 0, 1);
    EXPECT_EQ(write_page->cursor_held, 0);
    EXPECT_EQ(write_page->cursor_y, 8);
    EXPECT_EQ(write_page->cursor_x, 80);
    print_semicolon("y"); // printed where the cursor stands, not a row further
    EXPECT_EQ(wrong_cell_pixels(write_page, 8, 80, 'y', 15, 0), 0);
}

TEST(Locate, TheCursorsLookChangesOnEveryPageOfTheScreen) {
    fresh_screen(0);
    tqg_sub_locate(0, 0, 1, 3, 0, 4 | 8);
    for (int32_t p = 0; p < pages; p++) {
        EXPECT_EQ(img[page[p]].cursor_show, 1) << p;
        EXPECT_EQ(img[page[p]].cursor_firstvalue, 3);
        EXPECT_EQ(img[page[p]].cursor_lastvalue, 4); // kept
    }
    tqg_sub_locate(0, 0, 0, 0, 7, 4 | 16);
    EXPECT_EQ(img[page[5]].cursor_show, 0);
    EXPECT_EQ(img[page[5]].cursor_firstvalue, 3);
    EXPECT_EQ(img[page[5]].cursor_lastvalue, 7);
}

TEST(Locate, TheStartUpScreenWidensOnceTo80By50) {
    fresh_screen(0);
    width8050switch = 1;
    tqg_sub_color(14, 1, 0, 3);
    locate(25, 1);
    print_semicolon("kept");
    locate(40, 10);
    ASSERT_EQ(new_error, 0u);
    EXPECT_EQ(width8050switch, 0);
    EXPECT_EQ(write_page, &img[page[0]]);
    EXPECT_EQ(write_page->width, 80);
    EXPECT_EQ(write_page->height, 50);
    EXPECT_EQ(write_page->font, 8);
    EXPECT_EQ(write_page->pixels, cmem + 0xB8000);
    EXPECT_EQ(write_page->cursor_y, 40);
    EXPECT_EQ(write_page->cursor_x, 10);
    EXPECT_EQ(write_page->color, 14u);
    EXPECT_EQ(write_page->background_color, 1u);
    EXPECT_EQ(cell_code(write_page, 25, 1), 'k');
    EXPECT_EQ(cell_attribute(write_page, 25, 4), 0x1E);
    EXPECT_EQ(cell_code(write_page, 26, 1), 32);
    // Only once.
    tqsub_width(0, 80, 25, 0, 0, 3);
    locate(40, 1);
    EXPECT_EQ(new_error, 5u);
}

TEST(Locate, TheWideningIsRefusedPastRow50AndOffScreen) {
    fresh_screen(0);
    width8050switch = 1;
    tqg_sub_locate(51, 1, 0, 0, 0, 1);
    EXPECT_EQ(new_error, 5u);
    EXPECT_EQ(width8050switch, 0); // spent even so
    EXPECT_EQ(write_page->height, 25);
    reset_error_state();
    width8050switch = 1;
    tqg_sub_locate(30, 81, 0, 0, 0, 3);
    EXPECT_EQ(new_error, 5u);
    EXPECT_EQ(write_page->height, 25);
    // An off-screen image drawn on meanwhile is not the start-up screen.
    reset_error_state();
    width8050switch = 1;
    const int32_t own = imgnew(80, 25, 0);
    sub__dest(-own);
    locate(30, 1);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    sub__dest(0);
    sub__freeimage(-own, 1);
    EXPECT_EQ(img[page[0]].height, 25);
    width8050switch = 0;
}

TEST(ViewPrint, SetsTheViewAndHomesTheCursor) {
    fresh_screen(12);
    locate(20, 20);
    tqg_sub_view_print(3, 12, 1);
    EXPECT_EQ(write_page->top_row, 3);
    EXPECT_EQ(write_page->bottom_row, 12);
    EXPECT_EQ(write_page->cursor_y, 3);
    EXPECT_EQ(write_page->cursor_x, 1);
    const cursor_state before = cursor_of(write_page);
    for (auto [top, bottom] : {std::pair{0, 5}, {6, 5}, {1, 31}, {-1, -1}, {31, 31}}) {
        reset_error_state();
        tqg_sub_view_print(top, bottom, 1);
        EXPECT_EQ(new_error, 5u) << top << " " << bottom;
        EXPECT_EQ(cursor_of(write_page), before);
    }
    reset_error_state();
    // Without arguments all 30 rows scroll, the last one included.
    tqg_sub_view_print(0, 0, 0);
    EXPECT_EQ(write_page->top_row, 1);
    EXPECT_EQ(write_page->bottom_row, 30);
    std::memset(write_page->pixels, 6, 640 * 480);
    tqg_sub_color(15, 2, 0, 3);
    locate(30, 1);
    print_end();
    EXPECT_EQ(write_page->cursor_y, 30);
    EXPECT_EQ(write_page->pixels[479 * 640], 2);
    EXPECT_EQ(write_page->pixels[463 * 640], 6);
}

TEST(Font, PixelPagesTakeTheNarrowFonts) {
    fresh_screen(12);
    locate(5, 5);
    sub__font(8, 0, 0);
    ASSERT_EQ(new_error, 0u);
    EXPECT_EQ(write_page->font, 8);
    EXPECT_EQ(write_page->cursor_y, 1);
    EXPECT_EQ(write_page->cursor_x, 1);
    EXPECT_EQ(write_page->bottom_row, 59);
    sub__font(14, 0, 0);
    EXPECT_EQ(write_page->bottom_row, 33); // 480 / 14 = 34 rows
    const cursor_state before = cursor_of(write_page);
    for (auto [font, err] :
         {std::pair{9, 5u}, {17, 5u}, {15, 5u}, {10, 258u}, {32, 258u}, {-1, 258u}, {INT32_MAX, 258u}}) {
        reset_error_state();
        sub__font(font, 0, 0);
        EXPECT_EQ(new_error, err) << font;
        EXPECT_EQ(write_page->font, 14);
        EXPECT_EQ(cursor_of(write_page), before);
    }
    reset_error_state();
    sub__font(8, -12345, 1);
    EXPECT_EQ(new_error, 258u);
    reset_error_state();
}

TEST(Font, TextScreensChangeTheCellsOfEveryPage) {
    fresh_screen(0);
    locate(10, 10);
    sub__font(8, 0, 0);
    ASSERT_EQ(new_error, 0u);
    for (int32_t p = 0; p < pages; p++) EXPECT_EQ(img[page[p]].font, 8);
    EXPECT_EQ(write_page->cursor_y, 10); // the grid is the same, only the cells are smaller
    EXPECT_EQ(write_page->cursor_x, 10);
    EXPECT_EQ(screen_last_valid.load(), 0);
    sub__font(17, 0, 0);
    EXPECT_EQ(new_error, 0u);
    EXPECT_EQ(img[page[7]].font, 17);
    // A font on an image by handle.
    const int32_t own = imgnew(64, 64, 256);
    sub__font(8, -own, 1);
    EXPECT_EQ(img[own].font, 8);
    EXPECT_EQ(img[own].bottom_row, 7);
    release_image(own);
    sub__font(8, -own, 1); // freed
    EXPECT_EQ(new_error, 258u);
    reset_error_state();
}

} // namespace
