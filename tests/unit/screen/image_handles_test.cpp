#include <gtest/gtest.h>

#include "text_test_support.h"

namespace {

TEST(ImageHandles, AThirtyTwoBitImage) {
    fresh_screen(12);
    const int32_t handle = func__newimage(640, 480, 32, 1);
    ASSERT_LT(handle, -1);
    const img_struct &im = img[-handle];
    EXPECT_EQ(im.color, 0xFFFFFFFFu);
    EXPECT_EQ(im.background_color, 0xFF000000u);
    EXPECT_EQ(im.pal, nullptr);
    EXPECT_EQ(im.transparent_color, 0);
    EXPECT_FALSE(im.flags & IMG_FLAG_SCREEN_PAGE);
    sub__freeimage(handle, 1);
    EXPECT_EQ(new_error, 0u);
}

TEST(ImageHandles, WithoutAModeTheImageLooksLikeTheWritePage) {
    fresh_screen(12);
    tqg_palette(3, 0x3F, 3);
    tqg_sub_color(11, 2, 0, 3);
    write_page->print_mode = 1;
    sub__font(8, 0, 0);
    const int32_t handle = func__newimage(100, 100, 0, 0);
    ASSERT_EQ(new_error, 0u);
    const img_struct &im = img[-handle];
    EXPECT_EQ(im.mode, 12);
    EXPECT_EQ(im.bits_per_pixel, 4);
    EXPECT_NE(im.pal, write_page->pal);
    EXPECT_EQ(im.pal[3], 0x00FF0000u);
    EXPECT_EQ(im.font, 8);
    EXPECT_EQ(im.bottom_row, 11);
    EXPECT_EQ(im.color, 11u);
    EXPECT_EQ(im.background_color, 2u);
    EXPECT_EQ(im.print_mode, 1);
    sub__freeimage(handle, 1);
}

TEST(ImageHandles, ImpossibleImagesAreRefused) {
    fresh_screen(12);
    for (auto [w, h, mode, passed] : {std::tuple{0, 10, 0, 0},
                                      {10, -1, 0, 0},
                                      {10, 10, 3, 1},
                                      {10, 10, 14, 1},
                                      {10, 10, 33, 1},
                                      {10, 10, -1, 1},
                                      {10, 10, 6, 1}}) {
        reset_error_state();
        EXPECT_EQ(func__newimage(w, h, mode, passed), 0);
        EXPECT_EQ(new_error, 5u) << w << " " << h << " " << mode;
    }
    reset_error_state();
    EXPECT_EQ(func__newimage(70000, 10, 256, 1), -1); // more than an image can be wide
    EXPECT_EQ(new_error, 0u);
}

// A text image's cursor and text view are 16-bit rows and columns: a grid they cannot hold is
// refused, and the largest one they can hold keeps its cursor on the page.
TEST(ImageHandles, TextImagesNoLargerThanTheirCursorFields) {
    fresh_screen(12);
    for (auto [w, h] : {std::pair{16, 65535}, {32768, 4}, {4, 32768}, {65535, 65535}}) {
        reset_error_state();
        EXPECT_EQ(func__newimage(w, h, 0, 1), 0) << w << " x " << h;
        EXPECT_EQ(new_error, 5u) << w << " x " << h;
    }
    fresh_screen(0); // without a mode the image takes the write page's: text
    EXPECT_EQ(func__newimage(16, 40000, 0, 0), 0);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();

    const int32_t handle = func__newimage(2, 32767, 0, 1);
    ASSERT_LT(handle, -1);
    const img_struct &im = img[-handle];
    EXPECT_EQ(im.bottom_row, 32766);
    sub__dest(handle);
    tqg_sub_view_print(0, 0, 0);
    EXPECT_EQ(im.bottom_row, 32767);
    tqg_sub_locate(32767, 2, 0, 0, 0, 3);
    print_bytes(reinterpret_cast<const uint8_t *>("xyz"), 3, 1); // wraps twice, scrolling the last row
    EXPECT_EQ(new_error, 0u);
    EXPECT_EQ(im.cursor_y, 32767);
    EXPECT_EQ(im.cursor_x, 1);
    EXPECT_EQ(cell_code(&im, 32765, 2), 'x');
    EXPECT_EQ(cell_code(&im, 32766, 1), 'y');
    EXPECT_EQ(cell_code(&im, 32766, 2), 'z');

    // As the screen: its pages take its grid, _FONT changes only the cells' look, and WIDTH
    // refuses to rebuild a text screen beyond the BIOS's 255 columns and rows.
    tqg_screen(handle, 0, 0, 0, 0, 1);
    tqg_screen(0, 0, 0, 1, 0, 4 | 8);
    ASSERT_EQ(new_error, 0u);
    EXPECT_EQ(write_page->height, 32767);
    EXPECT_EQ(write_page->bottom_row, 32766);
    sub__font(8, 0, 0);
    tqg_sub_view_print(2, 32767, 1);
    EXPECT_EQ(new_error, 0u);
    EXPECT_EQ(write_page->bottom_row, 32767);
    tqsub_width(0, 40, 0, 0, 0, 1);
    EXPECT_EQ(new_error, 5u);
    fresh_screen(0);
    sub__freeimage(handle, 1);
    EXPECT_EQ(new_error, 0u);
}

// Pixel images of the largest size keep their text grid in the 16-bit fields too.
TEST(ImageHandles, TheTallestPixelImageHasItsRowsOfText) {
    fresh_screen(12);
    const int32_t handle = func__newimage(8, 65535, 256, 1);
    ASSERT_LT(handle, -1);
    sub__dest(handle);
    sub__font(8, 0, 0);
    EXPECT_EQ(write_page->bottom_row, 8190); // 65535 / 8 = 8191 rows
    tqg_sub_view_print(0, 0, 0);
    tqg_sub_locate(8191, 1, 0, 0, 0, 3);
    print_bytes(reinterpret_cast<const uint8_t *>("ab"), 2, 1);
    EXPECT_EQ(new_error, 0u);
    EXPECT_EQ(write_page->cursor_y, 8191);
    sub__dest(0);
    sub__freeimage(handle, 1);
}

TEST(ImageHandles, FreeingTheDestinationFallsBackToTheScreen) {
    fresh_screen(12);
    const int32_t handle = func__newimage(50, 50, 256, 1);
    sub__dest(handle);
    sub__source(handle);
    EXPECT_EQ(func__dest(), handle);
    EXPECT_EQ(func__source(), handle);
    sub__freeimage(0, 0); // the write page
    ASSERT_EQ(new_error, 0u);
    EXPECT_EQ(write_page, display_page.load());
    EXPECT_EQ(read_page, display_page.load());
    EXPECT_EQ(func__dest(), -page[0]);
    // A freed handle is refused everywhere.
    sub__dest(handle);
    EXPECT_EQ(new_error, 258u);
    reset_error_state();
    sub__source(handle);
    EXPECT_EQ(new_error, 258u);
    reset_error_state();
    sub__freeimage(handle, 1);
    EXPECT_EQ(new_error, 258u);
    reset_error_state();
    sub_pcopy(handle, 0);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    sub__font(8, handle, 1);
    EXPECT_EQ(new_error, 258u);
    reset_error_state();
    tqg_screen(handle, 0, 0, 0, 0, 1);
    EXPECT_EQ(new_error, 258u);
    reset_error_state();
    EXPECT_EQ(write_page, &img[page[0]]);
    EXPECT_EQ(write_page->mode, 12);
}

TEST(ImageHandles, ScreenPagesCannotBeFreed) {
    fresh_screen(12);
    const int32_t screen = func__dest();
    for (auto [handle, passed] : {std::pair{screen, 1}, {0, 1}, {3, 1}, {0, 0}}) {
        reset_error_state();
        sub__freeimage(handle, passed);
        EXPECT_EQ(new_error, 5u) << handle;
        EXPECT_TRUE(img[page[0]].valid);
    }
    reset_error_state();
    sub__freeimage(INT32_MIN, 1);
    EXPECT_EQ(new_error, 258u);
    reset_error_state();
}

TEST(ImageHandles, APageNumberMakesThePage) {
    fresh_screen(12);
    sub__dest(2);
    ASSERT_EQ(new_error, 0u);
    EXPECT_GE(pages, 3);
    EXPECT_EQ(write_page, &img[page[2]]);
    EXPECT_EQ(func__dest(), -page[2]);
    EXPECT_EQ(write_page->pal, img[page[0]].pal);
    sub__dest(0);
    sub__source(-1); // index 1 is never an image
    EXPECT_EQ(new_error, 258u);
    reset_error_state();
}

TEST(Pcopy, CopiesOnePageOntoAnother) {
    fresh_screen(12);
    for (int i = 0; i < 640 * 480; i++) write_page->pixels[i] = static_cast<uint8_t>(i % 13);
    sub_pcopy(0, 1);
    ASSERT_EQ(new_error, 0u);
    ASSERT_GE(pages, 2);
    const img_struct &copy = img[page[1]];
    EXPECT_EQ(copy.pal, write_page->pal);
    EXPECT_EQ(std::memcmp(copy.pixels, write_page->pixels, 640 * 480), 0);
    sub_pcopy(0, 0); // the same page: nothing
    EXPECT_EQ(new_error, 0u);
}

TEST(Pcopy, UnlikeImagesAreRefused) {
    fresh_screen(12);
    write_page->pixels[0] = 3;
    const int32_t wide = func__newimage(640, 480, 32, 1);
    const int32_t deep = func__newimage(640, 480, 256, 1);
    const int32_t small = func__newimage(320, 200, 12, 1);
    img[-deep].pixels[0] = 200;
    // A page that is missing is not made for a copy that is refused.
    for (auto [from, to] : {std::pair{wide, 0},
                            {0, wide},
                            {deep, 0},
                            {small, 0},
                            {-12345, 0},
                            {0, INT32_MIN},
                            {wide, 3},
                            {3, wide},
                            {small, 5},
                            {-12345, 5},
                            {5, INT32_MIN}}) {
        reset_error_state();
        sub_pcopy(from, to);
        EXPECT_EQ(new_error, 5u) << from << " " << to;
        EXPECT_EQ(write_page->pixels[0], 3);
        EXPECT_EQ(pages, 1) << from << " " << to;
    }
    reset_error_state();
    sub_pcopy(0, deep); // 16 colours fit into 256
    EXPECT_EQ(new_error, 0u);
    EXPECT_EQ(img[-deep].pixels[0], 3);
    for (int32_t h : {wide, deep, small}) sub__freeimage(h, 1);
}

// Compiled code passes the attribute and the colour as one optional part: `passed` 1.
TEST(Palette, BothNumbersComeAsOnePart) {
    fresh_screen(12);
    tqg_palette(1, 63, 1);
    EXPECT_EQ(new_error, 0u);
    EXPECT_EQ(write_page->pal[1], 0x00FF0000u);
    tqg_palette(2, 63 << 8, 3);
    EXPECT_EQ(write_page->pal[2], 0x0000FF00u);
    tqg_palette(1, 64, 1);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    tqg_palette(1, 0, 0); // nothing passed: the numbers are not looked at
    EXPECT_EQ(new_error, 0u);
    EXPECT_EQ(write_page->pal[1], 0xFF0000AAu);
}

TEST(Palette, VgaModesTakeSixBitsPerChannel) {
    fresh_screen(12);
    tqg_palette(1, 63, 3);
    EXPECT_EQ(write_page->pal[1], 0x00FF0000u);
    tqg_palette(2, 63 << 8, 3);
    EXPECT_EQ(write_page->pal[2], 0x0000FF00u);
    tqg_palette(3, 63 << 16, 3);
    EXPECT_EQ(write_page->pal[3], 0x000000FFu);
    tqg_palette(4, 0x202020, 3); // 32 * 4.0634918 - 0.4999999 = 129.53
    EXPECT_EQ(write_page->pal[4], 0x00828282u);
    ASSERT_EQ(new_error, 0u);
    for (auto [attribute, colour] : {std::pair{16, 0}, {1, 64}, {1, 0x40000000}, {-1, 0}, {1, -1}}) {
        reset_error_state();
        tqg_palette(attribute, colour, 3);
        EXPECT_EQ(new_error, 5u) << attribute << " " << colour;
    }
    reset_error_state();
    EXPECT_EQ(write_page->pal[1], 0x00FF0000u);
    tqg_palette(0, 0, 0); // the default palette again
    EXPECT_EQ(write_page->pal[1], 0xFF0000AAu);
    EXPECT_EQ(write_page->pal[4], 0xFFAA0000u);
    fresh_screen(13);
    tqg_palette(255, 63, 3);
    EXPECT_EQ(write_page->pal[255], 0x00FF0000u);
    fresh_screen(11);
    tqg_palette(1, 63, 3);
    EXPECT_EQ(write_page->pal[1], 0x00FF0000u);
    tqg_palette(2, 0, 3);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
}

TEST(Palette, OlderModesPickFromTheirAdaptersColours) {
    fresh_screen(9);
    tqg_palette(1, 20, 3);
    EXPECT_EQ(write_page->pal[1], palette_64[20]);
    tqg_palette(0, 64, 3);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    fresh_screen(10); // the four attributes live in entries 4 to 7
    tqg_palette(3, 8, 3);
    EXPECT_EQ(write_page->pal[7], 8u);
    tqg_palette(4, 0, 3);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    drawing_image im(4, 4, 32);
    tqg_palette(0, 0, 3);
    EXPECT_EQ(new_error, 5u);
}

} // namespace
