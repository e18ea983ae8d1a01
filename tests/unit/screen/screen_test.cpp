#include <gtest/gtest.h>

#include <thread>

#include "screen_test_support.h"

namespace {

TEST(Screen, TheStartUpTextScreenLivesInTextMemory) {
    fresh_screen(0);
    ASSERT_EQ(pages, 8);
    const img_struct *p0 = &img[page[0]];
    EXPECT_EQ(p0->mode, 0);
    EXPECT_EQ(p0->width, 80);
    EXPECT_EQ(p0->height, 25);
    EXPECT_EQ(p0->font, 16);
    EXPECT_EQ(p0->bottom_row, 24);
    EXPECT_EQ(p0->color, 7u);
    EXPECT_EQ(p0->pixels, cmem + 0xB8000);
    EXPECT_EQ(img[page[1]].pixels, cmem + 0xB8000 + 4096);
    EXPECT_EQ(img[page[7]].pixels, cmem + 0xB8000 + 7 * 4096);
    for (int p = 0; p < 8; p++) EXPECT_TRUE(img[page[p]].flags & IMG_FLAG_SCREEN_PAGE);
    EXPECT_EQ(cmem[0xB8000 + 65534], 32);
    EXPECT_EQ(cmem[0xB8000 + 65535], 7);
    EXPECT_EQ(display_page.load(), p0);
    EXPECT_EQ(write_page, p0);
    EXPECT_EQ(read_page, p0);
}

TEST(Screen, ModeTwelveFromTheTextScreen) {
    fresh_screen(0);
    const int32_t old_page0 = page[0];
    width8050switch = 1;
    tqg_screen(12, 0, 0, 0, 0, 1);
    ASSERT_EQ(new_error, 0u);
    EXPECT_EQ(width8050switch, 0);
    EXPECT_EQ(pages, 1);
    // Page 0's record was released last, so the new page reuses it.
    EXPECT_EQ(page[0], old_page0);
    const img_struct *s = &img[page[0]];
    EXPECT_EQ(display_page.load(), s);
    EXPECT_EQ(write_page, s);
    EXPECT_EQ(read_page, s);
    EXPECT_EQ(s->width, 640);
    EXPECT_EQ(s->height, 480);
    EXPECT_EQ(s->mode, 12);
    EXPECT_EQ(s->color, 15u);
    EXPECT_EQ(s->background_color, 0u);
    EXPECT_EQ(s->cursor_x, 1);
    EXPECT_EQ(s->cursor_y, 1);
    EXPECT_EQ(s->top_row, 1);
    EXPECT_EQ(s->bottom_row, 29);
    EXPECT_EQ(s->x, 320.0f);
    EXPECT_EQ(s->y, 240.0f);
    EXPECT_TRUE(s->flags & IMG_FLAG_SCREEN_PAGE);
    const uint32_t expected[16] = {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA, 0xAA5500, 0xAAAAAA,
                                   0x555555, 0x5555FF, 0x55FF55, 0x55FFFF, 0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};
    for (int i = 0; i < 16; i++) EXPECT_EQ(s->pal[i], 0xFF000000u | expected[i]) << i;
    for (int i = 0; i < 640 * 480; i++) ASSERT_EQ(s->pixels[i], 0) << i;
    EXPECT_EQ(screen_last_valid.load(), 0);
}

TEST(Screen, SelectingTheSameModeAgainChangesNothing) {
    fresh_screen(12);
    img_struct *s = write_page;
    s->pixels[1000] = 9;
    s->color = 4;
    s->cursor_y = 7;
    s->pal[3] = 0x123456;
    tqg_sub_view(10, 10, 100, 100, 0, 0, 1);
    screen_last_valid = 1;
    tqg_screen(12, 0, 0, 0, 0, 1);
    EXPECT_EQ(write_page, s);
    EXPECT_EQ(s->pixels[1000], 9);
    EXPECT_EQ(s->color, 4u);
    EXPECT_EQ(s->cursor_y, 7);
    EXPECT_EQ(s->pal[3], 0x123456u);
    EXPECT_EQ(s->view_x1, 10);
    EXPECT_EQ(screen_last_valid.load(), 1);
}

TEST(Screen, ModesThatDoNotExistAreRefused) {
    fresh_screen(12);
    const int32_t before = page[0];
    width8050switch = 1;
    for (int32_t mode : {3, 4, 5, 6, 14, 255, INT32_MAX}) {
        reset_error_state();
        tqg_screen(mode, 0, 0, 0, 0, 1);
        EXPECT_EQ(new_error, 5u) << mode;
        EXPECT_EQ(page[0], before);
        EXPECT_EQ(write_page->mode, 12);
        EXPECT_EQ(width8050switch, 1);
    }
    reset_error_state();
    tqg_screen(12, 0, -1, 0, 0, 1 | 4);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    tqg_screen(0, 0, 0, -2, 0, 8);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    tqg_screen(12, 0, 0, 0, 0, 1);
    EXPECT_EQ(new_error, 0u);
}

TEST(Screen, ANegativeModeMustNameALiveImage) {
    fresh_screen(12);
    const int32_t gone = imgnew(10, 10, 256);
    release_image(gone);
    tqg_screen(-gone, 0, 0, 0, 0, 1);
    EXPECT_EQ(new_error, 258u);
    reset_error_state();
    tqg_screen(INT32_MIN, 0, 0, 0, 0, 1);
    EXPECT_EQ(new_error, 258u);
    reset_error_state();
    tqg_screen(-1, 0, 0, 0, 0, 1);
    EXPECT_EQ(new_error, 258u);
    reset_error_state();
}

TEST(Screen, AProgramsImageBecomesTheScreenAndOutlivesIt) {
    fresh_screen(12);
    const int32_t own = imgnew(200, 100, 256);
    tqg_screen(-own, 0, 0, 0, 0, 1);
    ASSERT_EQ(new_error, 0u);
    EXPECT_EQ(page[0], own);
    EXPECT_EQ(display_page.load(), &img[own]);
    EXPECT_TRUE(img[own].flags & IMG_FLAG_SCREEN_PAGE);
    EXPECT_EQ(sub_screen_keep_page0, 1);
    tqg_screen(0, 0, 1, 1, 0, 4 | 8); // page 1 of a program's image
    ASSERT_EQ(new_error, 0u);
    EXPECT_EQ(img[page[1]].pal, img[own].pal);
    tqg_screen(12, 0, 0, 0, 0, 1);
    EXPECT_EQ(img[own].valid, 1);
    EXPECT_FALSE(img[own].flags & IMG_FLAG_SCREEN_PAGE);
    EXPECT_EQ(sub_screen_keep_page0, 0);
    EXPECT_NE(page[0], own);
    release_image(own);
}

TEST(Screen, AnotherPageOfTheScreenCannotBecomeTheScreen) {
    fresh_screen(12);
    tqg_screen(0, 0, 1, 0, 0, 4 | 8);
    ASSERT_EQ(new_error, 0u);
    const int32_t page1 = page[1];
    tqg_screen(-page1, 0, 0, 0, 0, 1);
    EXPECT_EQ(new_error, 5u);
    EXPECT_EQ(img[page1].valid, 1);
    reset_error_state();
}

TEST(Screen, TextScreenAfterModeThirteenHasFortyColumns) {
    fresh_screen(13);
    EXPECT_EQ(write_page->pixels, cmem + 0xA0000);
    tqg_screen(0, 0, 0, 0, 0, 1);
    const img_struct *s = &img[page[0]];
    EXPECT_EQ(s->width, 40);
    EXPECT_EQ(s->height, 25);
    EXPECT_EQ(s->font, 17);
    EXPECT_EQ(img[page[1]].pixels, cmem + 0xB8000 + 2048);
    EXPECT_EQ(img[page[7]].pixels, cmem + 0xB8000 + 7 * 2048);
    // Already a text screen and no WIDTH pending: nothing happens.
    const int32_t before = page[0];
    write_page->cursor_x = 9;
    tqg_screen(0, 0, 0, 0, 0, 1);
    EXPECT_EQ(page[0], before);
    EXPECT_EQ(write_page->cursor_x, 9);
}

TEST(Screen, ModeThirteenIsTheMemoryAtA0000) {
    fresh_screen(13);
    EXPECT_EQ(write_page->width, 320);
    EXPECT_EQ(write_page->font, 8);
    sub_defseg(0xA000, 1);
    sub_poke(320 * 2 + 5, 77);
    sub_defseg(0, 0);
    EXPECT_EQ(func_point(5, 2, 1), 77.0);
}

TEST(Screen, AnEightyBySixtyGridKeepsItsSmallFont) {
    fresh_screen(12);
    selectfont(8, write_page); // 480 / 8 = 60 rows
    tqg_screen(11, 0, 0, 0, 0, 1);
    EXPECT_EQ(write_page->mode, 11);
    EXPECT_EQ(write_page->font, 8);
    EXPECT_EQ(write_page->bottom_row, 59);
    tqg_screen(12, 0, 0, 0, 0, 1);
    EXPECT_EQ(write_page->font, 8);
    tqg_screen(9, 0, 0, 0, 0, 1); // 80 x 60 is not 80 x 43
    EXPECT_EQ(write_page->font, 14);
}

TEST(Screen, PendingWidthChoosesTheTextGrid) {
    fresh_screen(12);
    sub_screen_height_in_characters = 50;
    tqg_screen(0, 0, 0, 0, 0, 1);
    EXPECT_EQ(write_page->width, 80);
    EXPECT_EQ(write_page->height, 50);
    EXPECT_EQ(write_page->font, 8);
    EXPECT_EQ(sub_screen_height_in_characters, -1);
    EXPECT_EQ(img[page[1]].pixels, cmem + 0xB8000 + 8000);
    sub_screen_width_in_characters = 40;
    tqg_screen(0, 0, 0, 0, 0, 1); // the old grid had 50 rows
    EXPECT_EQ(write_page->width, 40);
    EXPECT_EQ(write_page->height, 50);
    EXPECT_EQ(write_page->font, 9);
    sub_screen_width_in_characters = 100;
    sub_screen_height_in_characters = 100;
    sub_screen_font = 8; // 20,000-byte pages: three fit in text memory
    tqg_screen(0, 0, 0, 0, 0, 1);
    EXPECT_EQ(img[page[2]].pixels, cmem + 0xB8000 + 40000);
    EXPECT_TRUE(img[page[3]].flags & IMG_FLAG_OWNS_PIXELS);
    EXPECT_EQ(img[page[3]].pixels[1], 7);
    sub_screen_width_in_characters = 0; // no grid of 0 columns
    tqg_screen(0, 0, 0, 0, 0, 1);
    EXPECT_EQ(new_error, 5u);
    EXPECT_EQ(write_page->width, 100);
    sub_screen_width_in_characters = -1;
    reset_error_state();
}

TEST(Screen, PagesShareThePaletteAndTheGraphicsStateFollows) {
    fresh_screen(12);
    img_struct *page0 = write_page;
    tqg_sub_view(10, 20, 30, 40, 0, 0, 1);
    page0->color = 3;
    tqg_screen(0, 0, 1, 0, 0, 4 | 8); // draw on page 1, show page 0
    ASSERT_EQ(new_error, 0u);
    ASSERT_EQ(pages, 2);
    img_struct *page1 = &img[page[1]];
    EXPECT_EQ(write_page, page1);
    EXPECT_EQ(read_page, page1);
    EXPECT_EQ(display_page.load(), page0);
    EXPECT_EQ(page1->pal, page0->pal);
    EXPECT_FALSE(page1->flags & IMG_FLAG_OWNS_PALETTE);
    EXPECT_TRUE(page1->flags & IMG_FLAG_SCREEN_PAGE);
    EXPECT_EQ(page1->view_x1, 10);
    EXPECT_EQ(page1->view_y2, 40);
    EXPECT_EQ(page1->clipping_or_scaling, 1);
    EXPECT_EQ(page1->color, 15u);
    EXPECT_EQ(page1->bottom_row, 29);
    // Only the active page given: the visual page follows it.
    tqg_screen(0, 0, 0, 0, 0, 4);
    EXPECT_EQ(write_page, page0);
    EXPECT_EQ(display_page.load(), page0);
    tqg_screen(0, 0, 3, 3, 0, 4 | 8);
    EXPECT_EQ(pages, 4);
    EXPECT_EQ(page[2], 0);
    EXPECT_EQ(display_page.load(), &img[page[3]]);
    // A rebuild releases every page.
    const int32_t page1_index = page[1];
    tqg_screen(12, 0, 0, 0, 0, 1);
    EXPECT_EQ(pages, 4); // same mode: nothing to rebuild
    tqg_screen(13, 0, 0, 0, 0, 1);
    EXPECT_EQ(pages, 1);
    EXPECT_EQ(img[page1_index].valid == 0 || page[0] == page1_index, true);
}

TEST(Screen, PageNumbersBeyondWhatCanBeMadeFailWithoutChange) {
    fresh_screen(12);
    tqg_screen(0, 0, INT32_MAX, 0, 0, 4 | 8);
    EXPECT_EQ(new_error, 7u);
    EXPECT_EQ(pages, 1);
    EXPECT_EQ(write_page, &img[page[0]]);
    reset_error_state();
}

TEST(Screen, NothingRunsWhileAnErrorIsPending) {
    fresh_screen(0);
    new_error = 9;
    tqg_screen(12, 0, 0, 0, 0, 1);
    EXPECT_EQ(write_page->mode, 0);
    reset_error_state();
}

// The program side of the display lock against a stand-in for the composer, which grants a
// request between its passes.
TEST(DisplayLockThreaded, ARebuildWaitsForTheComposersGrant) {
    fresh_screen(0);
    std::atomic<bool> done{false};
    std::atomic<int> grants{0};
    std::thread composer([&] {
        while (!done.load()) {
            // Counted before the grant, which lets the program thread go on and read the count.
            if (lock_display.load() == 1) {
                grants++;
                lock_display.store(2);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    autodisplay = 1;
    lock_display_required = 1;
    tqg_screen(12, 0, 0, 0, 0, 1); // rebuild: takes the lock
    const int after_rebuild = grants.load();
    tqg_screen(0, 0, 1, 1, 0, 4 | 8); // page switch only: no lock
    tqg_screen(0, 0, 0, 0, 0, 4 | 8);
    lock_display_required = 0;
    done = true;
    composer.join();
    EXPECT_EQ(after_rebuild, 1);
    EXPECT_EQ(grants.load(), 1);
    EXPECT_EQ(lock_display.load(), 0);
    EXPECT_EQ(write_page->mode, 12);
}

TEST(DisplayLockThreaded, AWaitGivesUpWhenTheProgramEnds) {
    lock_display = 0;
    std::thread ender([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        stop_program = 1;
    });
    EXPECT_FALSE(display_lock_wait());
    ender.join();
    stop_program = 0;
    EXPECT_EQ(lock_display.load(), 0);
}

} // namespace
