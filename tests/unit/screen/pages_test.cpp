// The screen's pages and the three current images: the page drawn on, the page read from and the
// page shown, through every statement that changes them.
#include <gtest/gtest.h>

#include "screen_test_support.h"

namespace {

// Each current image is an index and a pointer to its record; statements must move both.
void expect_pairs_in_step(const char *after) {
    EXPECT_EQ(write_page, &img[write_page_index]) << after;
    EXPECT_EQ(read_page, &img[read_page_index]) << after;
    EXPECT_EQ(display_page.load(), &img[display_page_index]) << after;
    EXPECT_TRUE(write_page->valid && read_page->valid && display_page.load()->valid) << after;
}

TEST(Pages, EveryStatementMovesIndexAndPointerTogether) {
    fresh_screen(7);
    expect_pairs_in_step("SCREEN 7");
    tqg_screen(0, 0, 1, 2, 0, 4 | 8);
    expect_pairs_in_step("SCREEN , , 1, 2");
    EXPECT_EQ(write_page_index, page[1]);
    EXPECT_EQ(display_page_index, page[2]);
    const int32_t image = func__newimage(20, 20, 13, 1);
    sub__dest(image);
    sub__source(3);
    expect_pairs_in_step("_DEST, _SOURCE");
    EXPECT_EQ(read_page_index, page[3]);
    sub_clsDest(0, 1, 0, 1 | 2 | 4);
    expect_pairs_in_step("CLS on page 0");
    EXPECT_EQ(write_page_index, -image);
    sub__freeimage(image, 1);
    expect_pairs_in_step("_FREEIMAGE of the destination");
    EXPECT_EQ(write_page_index, display_page_index);
    tqg_screen(12, 0, 0, 0, 0, 1);
    expect_pairs_in_step("SCREEN 12");
    EXPECT_EQ(new_error, 0u);
}

TEST(Pages, ReleasedPagesHandTheCurrentImagesBackToPageZero) {
    fresh_screen(7);
    sub__font(16, 0, 0); // page 0 leaves the 8x8 font, so WIDTH 40, 25 goes back to it
    tqg_screen(0, 0, 1, 2, 0, 4 | 8);
    tqg_screen(0, 0, 0, 2, 0, 4 | 8); // draw on page 0 again, still showing page 2
    sub__source(3);
    ASSERT_EQ(pages, 4);
    const int32_t page2 = page[2];
    tqsub_width(0, 40, 25, 0, 0, 3);
    ASSERT_EQ(new_error, 0u);
    EXPECT_EQ(pages, 1);
    EXPECT_EQ(img[page2].valid, 0);
    EXPECT_EQ(display_page_index, page[0]);
    EXPECT_EQ(write_page_index, page[0]);
    EXPECT_EQ(read_page_index, page[0]);
    expect_pairs_in_step("WIDTH");
    EXPECT_EQ(write_page->font, 8);
}

TEST(Pages, ASwitchGivesTheDrawnPageItsDefaultTextView) {
    fresh_screen(12);
    tqg_screen(0, 0, 1, 0, 0, 4 | 8);
    tqg_sub_view_print(5, 10, 1);
    tqg_screen(0, 0, 0, 0, 0, 4 | 8);
    img_struct &page1 = img[page[1]];
    page1.cursor_y = 31; // below the page's 30 rows
    page1.cursor_x = 7;
    tqg_screen(0, 0, 1, 0, 0, 4 | 8);
    EXPECT_EQ(write_page, &page1);
    EXPECT_EQ(page1.top_row, 1);
    EXPECT_EQ(page1.bottom_row, 29);
    EXPECT_EQ(page1.cursor_y, 1);
    EXPECT_EQ(page1.cursor_x, 7);
    // Showing another page resets the drawn page's view too, but keeps a cursor that is on it.
    tqg_sub_view_print(3, 4, 1);
    page1.cursor_y = 20;
    tqg_screen(0, 0, 1, 2, 0, 4 | 8);
    EXPECT_EQ(page1.top_row, 1);
    EXPECT_EQ(page1.bottom_row, 29);
    EXPECT_EQ(page1.cursor_y, 20);
}

TEST(Pages, TheTableGrowsWithoutLosingItsPages) {
    fresh_screen(12);
    tqg_screen(0, 0, 1, 0, 0, 4 | 8);
    const int32_t first = page[0], second = page[1];
    tqg_screen(0, 0, 5000, 0, 0, 4 | 8);
    ASSERT_EQ(new_error, 0u);
    EXPECT_EQ(pages, 5001);
    EXPECT_EQ(page[0], first);
    EXPECT_EQ(page[1], second);
    for (int32_t p = 2; p < 5000; p++) ASSERT_EQ(page[p], 0) << p;
    EXPECT_EQ(write_page_index, page[5000]);
    tqg_screen(13, 0, 0, 0, 0, 1); // a new screen has one page again
    EXPECT_EQ(pages, 1);
}

// A page number beyond what the page table can hold is refused before anything changes, also
// when the statement selects a new mode as well.
TEST(Pages, APageThatCanNeverBeMadeChangesNothing) {
    fresh_screen(0);
    const int32_t first = page[0];
    tqg_screen(12, 0, 0, 1 << 20, 0, 1 | 4 | 8);
    EXPECT_EQ(new_error, 7u);
    EXPECT_EQ(page[0], first);
    EXPECT_EQ(write_page->mode, 0);
    EXPECT_EQ(pages, 8);
    reset_error_state();
    tqg_screen(0, 0, INT32_MAX, 0, 0, 4);
    EXPECT_EQ(new_error, 7u);
    EXPECT_EQ(write_page_index, first);
    reset_error_state();
}

} // namespace
