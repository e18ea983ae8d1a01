#include <gtest/gtest.h>

#include "text_test_support.h"

namespace {

int count_pixels(const img_struct *im, uint8_t value) {
    int n = 0;
    for (int i = 0; i < im->width * im->height; i++) n += im->pixels[i] == value;
    return n;
}

TEST(Cls, ClearsModeTwelveToTheBackgroundAndHomesBothCursors) {
    fresh_screen(12);
    std::memset(write_page->pixels, 5, 640 * 480);
    tqg_sub_color(15, 3, 0, 2);
    locate(12, 40);
    write_page->x = 7;
    sub_cls(0, 0, 0);
    ASSERT_EQ(new_error, 0u);
    EXPECT_EQ(count_pixels(write_page, 3), 640 * 480);
    EXPECT_EQ(write_page->cursor_y, 1);
    EXPECT_EQ(write_page->cursor_x, 1);
    EXPECT_EQ(write_page->x, 320.0f);
    EXPECT_EQ(write_page->y, 240.0f);
}

TEST(Cls, WithoutAMethodOnlyTheViewportIsCleared) {
    fresh_screen(12);
    std::memset(write_page->pixels, 5, 640 * 480);
    tqg_sub_view(10, 10, 109, 59, 0, 0, 1);
    tqg_sub_view_print(4, 8, 1);
    locate(6, 6);
    sub_cls(0, 2, 2);
    EXPECT_EQ(count_pixels(write_page, 2), 100 * 50);
    EXPECT_EQ(write_page->pixels[10 * 640 + 10], 2);
    EXPECT_EQ(write_page->pixels[59 * 640 + 109], 2);
    EXPECT_EQ(write_page->pixels[9 * 640 + 10], 5);
    EXPECT_EQ(write_page->pixels[59 * 640 + 110], 5);
    EXPECT_EQ(write_page->cursor_y, 4); // the top of the text view
    EXPECT_EQ(write_page->x, 50.0f);    // the viewport's centre in its own coordinates
    EXPECT_EQ(write_page->y, 25.0f);
    sub_cls(0, 1, 1 | 2); // method 0: the whole page
    EXPECT_EQ(count_pixels(write_page, 1), 640 * 480);
    EXPECT_EQ(new_error, 0u);
}

TEST(Cls, UnderAWindowTheGraphicsCursorIsTheCentreInWindowCoordinates) {
    fresh_screen(12);
    tqg_sub_window(0, 0, 100, 100, 1); // y grows upwards
    sub_cls(0, 0, 0);
    EXPECT_NEAR(write_page->x, 50.0f, 0.2f);
    EXPECT_NEAR(write_page->y, 50.0f, 0.2f);
    tqg_sub_window(-10, -20, 10, 20, 1 | 2);
    sub_cls(1, 0, 1);
    EXPECT_NEAR(write_page->x, 0.0f, 0.05f);
    EXPECT_NEAR(write_page->y, 0.0f, 0.05f);
}

TEST(Cls, MethodTwoClearsTheTextViewRows) {
    fresh_screen(12);
    std::memset(write_page->pixels, 5, 640 * 480);
    sub_cls(2, 4, 1 | 2);
    EXPECT_EQ(write_page->pixels[0], 4);
    EXPECT_EQ(write_page->pixels[463 * 640 + 639], 4);
    EXPECT_EQ(write_page->pixels[464 * 640], 5); // row 30 lies outside the view
    tqg_sub_view_print(3, 5, 1);
    sub_cls(2, 6, 1 | 2);
    EXPECT_EQ(count_pixels(write_page, 6), 640 * 48);
    EXPECT_EQ(write_page->pixels[32 * 640], 6);
    EXPECT_EQ(write_page->pixels[80 * 640], 4);
}

TEST(Cls, BadArgumentsChangeNothing) {
    fresh_screen(12);
    locate(7, 7);
    write_page->pixels[0] = 5;
    for (auto [method, fill, passed] : {std::tuple{0, 16u, 2}, {3, 0u, 1}, {-1, 0u, 1}, {0, 0xFFFFFFFFu, 3}}) {
        reset_error_state();
        sub_cls(method, fill, passed);
        EXPECT_EQ(new_error, 5u) << method << " " << fill;
        EXPECT_EQ(write_page->cursor_y, 7);
        EXPECT_EQ(write_page->pixels[0], 5);
    }
    reset_error_state();
}

TEST(Cls, TextPagesBlankTheirCells) {
    fresh_screen(0);
    tqg_sub_color(14, 1, 0, 3);
    for (int32_t row = 1; row <= 25; row++) {
        locate(row == 25 ? 25 : row, 1);
        print_semicolon("abc");
    }
    sub_cls(2, 0, 1); // the view only: row 25 stays
    EXPECT_EQ(cell_code(write_page, 1, 1), 32);
    EXPECT_EQ(cell_attribute(write_page, 1, 1), 0x1E);
    EXPECT_EQ(cell_code(write_page, 24, 2), 32);
    EXPECT_EQ(cell_code(write_page, 25, 1), 'a');
    sub_cls(0, 0, 0); // the view and the last row
    EXPECT_EQ(cell_code(write_page, 25, 1), 32);
    locate(25, 1);
    print_semicolon("z");
    sub_cls(0, 4, 1 | 2); // every cell, on red
    EXPECT_EQ(cell_code(write_page, 25, 1), 32);
    EXPECT_EQ(cell_attribute(write_page, 25, 1), 0x4E);
    EXPECT_EQ(write_page->cursor_y, 1);
    EXPECT_EQ(new_error, 0u);
}

TEST(Cls, ThirtyTwoBitPagesTakeTheFillUnblended) {
    drawing_image im(8, 8, 32);
    sub_cls(0, 0x80FF0000u, 1 | 2);
    int wrong = 0;
    for (int32_t y = 0; y < 8; y++)
        for (int32_t x = 0; x < 8; x++) wrong += im.at(x, y) != 0x80FF0000u;
    EXPECT_EQ(wrong, 0);
    EXPECT_TRUE(im.margins_intact());
}

TEST(Cls, NoLineBreakIsOwedAfterwards) {
    fresh_screen(12);
    locate(5, 80);
    print_semicolon("x");
    sub_cls(0, 0, 0);
    print_semicolon("y");
    EXPECT_EQ(wrong_cell_pixels(write_page, 1, 1, 'y', 15, 0), 0);
    EXPECT_EQ(write_page->cursor_y, 1);
    EXPECT_EQ(write_page->cursor_x, 2);
}

TEST(Cls, AnotherImageByHandle) {
    fresh_screen(12);
    const int32_t other = func__newimage(16, 16, 256, 1);
    write_page->pixels[0] = 5;
    sub_clsDest(0, 9, other, 1 | 2 | 4);
    EXPECT_EQ(img[-other].pixels[255], 9);
    EXPECT_EQ(write_page, &img[page[0]]);
    EXPECT_EQ(write_page->pixels[0], 5);
    sub__freeimage(other, 1);
    sub_clsDest(0, 9, other, 1 | 2 | 4);
    EXPECT_EQ(new_error, 258u);
    EXPECT_EQ(write_page, &img[page[0]]);
    reset_error_state();
}

// Refused arguments make no page: a page that is missing is checked as the page 0 it would copy.
TEST(Cls, AMissingPageIsNotMadeForBadArguments) {
    fresh_screen(12);
    for (auto [method, fill, passed] : {std::tuple{0, 16u, 2 | 4}, {3, 0u, 1 | 4}}) {
        reset_error_state();
        sub_clsDest(method, fill, 2, passed);
        EXPECT_EQ(new_error, 5u) << method << " " << fill;
        EXPECT_EQ(pages, 1);
    }
    reset_error_state();
    sub_clsDest(0, 15, 2, 1 | 2 | 4);
    EXPECT_EQ(new_error, 0u);
    ASSERT_EQ(pages, 3);
    EXPECT_EQ(img[page[2]].pixels[0], 15);
}

} // namespace
