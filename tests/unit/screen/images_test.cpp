#include <gtest/gtest.h>

#include "screen_test_support.h"

namespace {

TEST(Images, ReleasedIndexIsReusedFirstAndBadIndicesAreRefused) {
    const int32_t a = imgnew(8, 8, 256), b = imgnew(8, 8, 256);
    ASSERT_TRUE(a && b);
    const int32_t next = nextimg, top = lastfimg;
    EXPECT_EQ(freeimg(0), 0);
    EXPECT_EQ(freeimg(1), 0);
    EXPECT_EQ(freeimg(-5), 0);
    EXPECT_EQ(freeimg(nextimg), 0);
    EXPECT_EQ(nextimg, next);
    EXPECT_EQ(lastfimg, top);
    release_image(a);
    EXPECT_EQ(freeimg(a), 0); // already released
    release_image(b);
    EXPECT_EQ(newimg(), b);
    EXPECT_EQ(newimg(), a);
    freeimg(a);
    freeimg(b);
}

TEST(Images, RecordsStayInPlaceWhileTheTableGrows) {
    const int32_t first = imgnew(4, 4, 13);
    img_struct *record = &img[first];
    const int32_t rooms = nimg;
    std::vector<int32_t> made;
    while (nimg == rooms) made.push_back(newimg());
    EXPECT_EQ(nimg, rooms + IMG_TABLE_STEP);
    EXPECT_EQ(&img[first], record);
    EXPECT_EQ(record->width, 4);
    EXPECT_EQ(display_page.load()->valid, 1);
    for (int32_t i : made) freeimg(i);
    release_image(first);
}

TEST(Images, ThirtyTwoBitImageDefaults) {
    const int32_t i = imgnew(640, 480, 32);
    ASSERT_NE(i, 0);
    const img_struct &im = img[i];
    EXPECT_EQ(im.color, 0xFFFFFFFFu);
    EXPECT_EQ(im.background_color, 0xFF000000u);
    EXPECT_EQ(im.pal, nullptr);
    EXPECT_EQ(im.transparent_color, 0);
    EXPECT_EQ(im.bytes_per_pixel, 4);
    EXPECT_EQ(im.mask, 0xFFFFFFFFu);
    EXPECT_EQ(im.flags, IMG_FLAG_OWNS_PIXELS);
    release_image(i);
    // The blending tables exist from the first 32-bit image on. A fifth (alpha 51) of white over
    // black is 51; two fifths of coverage over each other cover 255 (1 - 0.8 x 0.8) = 91.8.
    ASSERT_NE(cblend, nullptr);
    EXPECT_EQ(cblend[51 << 16 | 255 << 8 | 0], 51);
    EXPECT_EQ(cblend[51 << 16 | 0 << 8 | 255], 204);
    EXPECT_EQ(ablend[51 << 8 | 51], 92);
    EXPECT_EQ(ablend127, ablend + 127 * 256);
    EXPECT_EQ(ablend128[0], 128);
}

TEST(Images, ATextImageStartsBlank) {
    const int32_t t = imgnew(40, 25, 0);
    const img_struct &tx = img[t];
    EXPECT_EQ(tx.text, 1);
    EXPECT_EQ(tx.bytes_per_pixel, 2);
    EXPECT_EQ(tx.color, 7u);
    EXPECT_EQ(tx.cursor_firstvalue, 4);
    EXPECT_EQ(tx.bottom_row, 24);
    EXPECT_EQ(tx.pixels[0], 32);
    EXPECT_EQ(tx.pixels[1], 7);
    EXPECT_EQ(tx.pixels[40 * 25 * 2 - 1], 7);
    release_image(t);
}

TEST(Images, ImpossibleImagesAreNotMade) {
    const int32_t next = nextimg, top = lastfimg;
    EXPECT_EQ(imgnew(0, 10, 12), 0);
    EXPECT_EQ(imgnew(10, -1, 12), 0);
    EXPECT_EQ(imgnew(65536, 1, 256), 0); // wider than the record can say
    EXPECT_EQ(imgnew(10, 10, 3), 0);
    EXPECT_EQ(imgnew(10, 10, 14), 0);
    EXPECT_EQ(nextimg, next);
    EXPECT_EQ(lastfimg, top);
    EXPECT_EQ(new_error, 0u);
}

TEST(Images, RevertKeepsTheViewportOriginAndClearsThePixels) {
    drawing_image im(100, 50, 13);
    tqg_sub_view(10, 10, 20, 20, 0, 0, 1);
    im->color = 4;
    im.set(5, 5, 9);
    imgrevert(im.index);
    EXPECT_EQ(im->view_x1, 10);
    EXPECT_EQ(im->view_offset_x, 10);
    EXPECT_EQ(im->clipping_or_scaling, 1);
    EXPECT_EQ(im->view_x2, 99);
    EXPECT_EQ(im->color, 15u);
    EXPECT_EQ(im.at(5, 5), 0u);
}

TEST(Images, SelectFontSetsTheTextView) {
    drawing_image im(640, 350, 9);
    EXPECT_EQ(im->font, 14);
    EXPECT_EQ(im->bottom_row, 24);
    im->cursor_x = 5;
    selectfont(8, &img[im.index]);
    EXPECT_EQ(im->cursor_x, 1);
    EXPECT_EQ(im->bottom_row, 42); // 350 / 8 = 43 rows
    drawing_image tiny(8, 4, 13);
    EXPECT_EQ(tiny->bottom_row, 1); // no whole row: still one
}

} // namespace
