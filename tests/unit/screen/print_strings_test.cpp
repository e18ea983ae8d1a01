// PRINT through string records, as the compiled demo runs it.
#include <gtest/gtest.h>

#include "text_test_support.h"

namespace {

class PrintStrings : public testing::Test {
  protected:
    ptrszint base = 0;
    void SetUp() override { base = tqs_tmp_list_nexti; }
    void TearDown() override {
        tqs_release_tmp(base, 0);
        reset_error_state();
    }
};

// Line 87 of the demo: PRINT "Frames Drawn:"; FRAME; "      ", one statement-local string
// receiving each item in turn.
void demo_counter_line(int32_t frame, ptrszint base) {
    tqs *item = tqs_new(0, 0);
    tqs_set(item, tqs_new_txt("Frames Drawn:"));
    makefit(item);
    tqs_print(item, 0);
    tqs_set(item, tqs_add(tqs_str(frame), tqs_new_txt(" ")));
    makefit(item);
    tqs_print(item, 0);
    tqs_set(item, tqs_new_txt("      "));
    makefit(item);
    tqs_print(item, 0);
    tqs_print(nothingstring, 1);
    tqs_free(item);
    tqs_release_tmp(base, 0);
}

TEST_F(PrintStrings, TheDemoCounterLine) {
    fresh_screen(12);
    std::memset(write_page->pixels, 5, 640 * 480);
    locate(2, 2);
    tqg_sub_color(11, 0, 0, 1);
    demo_counter_line(1, base);
    ASSERT_EQ(new_error, 0u);
    const std::string expected = "Frames Drawn: 1       ";
    for (size_t i = 0; i < expected.size(); i++)
        EXPECT_EQ(
            wrong_cell_pixels(write_page, 2, static_cast<int32_t>(i) + 2, static_cast<uint8_t>(expected[i]), 11, 0), 0)
            << i;
    EXPECT_EQ(write_page->pixels[16 * 640 + 23 * 8], 5);
    EXPECT_EQ(write_page->cursor_y, 3);
    EXPECT_EQ(write_page->cursor_x, 1);
    EXPECT_EQ(tqs_tmp_list_nexti, base);
    // The six spaces wipe the digits of a longer counter from the frame before.
    locate(2, 2);
    demo_counter_line(1234567, base);
    locate(2, 2);
    demo_counter_line(8, base);
    EXPECT_EQ(wrong_cell_pixels(write_page, 2, 16, '8', 11, 0), 0);
    for (int32_t column = 17; column <= 29; column++)
        EXPECT_EQ(wrong_cell_pixels(write_page, 2, column, ' ', 11, 0), 0) << column;
}

TEST_F(PrintStrings, AnyBytesOfAString) {
    fresh_screen(0);
    tqs *all = tqs_new(256, 1);
    for (int i = 0; i < 256; i++) all->data[i] = static_cast<uint8_t>(i);
    sub__controlchr(2);
    locate(1, 1);
    makefit(all);
    tqs_print(all, 0);
    sub__controlchr(0);
    for (int i = 0; i < 256; i++) EXPECT_EQ(cell_code(write_page, 1 + i / 80, 1 + i % 80), i) << i;
    EXPECT_EQ(write_page->cursor_y, 4);
    EXPECT_EQ(write_page->cursor_x, 17);
}

TEST_F(PrintStrings, PrintWidthByPageAndHandle) {
    fresh_screen(12);
    tqs *text = tqs_new_txt("Shift=Click");
    EXPECT_EQ(func__printwidth(text, 0, 0), 88);
    EXPECT_EQ(func__printwidth(tqs_new_txt(""), 0, 0), 0);
    const int32_t small = func__newimage(64, 64, 256, 1);
    sub__font(8, small, 1);
    EXPECT_EQ(func__printwidth(text, small, 1), 88);
    const int32_t cells = func__newimage(40, 10, 0, 1);
    EXPECT_EQ(func__printwidth(text, cells, 1), 11);
    sub__freeimage(cells, 1);
    EXPECT_EQ(func__printwidth(text, cells, 1), 0);
    EXPECT_EQ(new_error, 258u);
    reset_error_state();
    func__printwidth(text, 5, 1); // a page that does not exist is not made by a query
    EXPECT_EQ(new_error, 258u);
    EXPECT_EQ(pages, 1);
    reset_error_state();
    sub__freeimage(small, 1);
}

} // namespace
