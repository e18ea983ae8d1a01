#include <gtest/gtest.h>

#include "screen_test_support.h"

namespace {

constexpr int32_t FIRST = 1, SECOND_STEP = 2, FIRST_STEP = 4, COLOUR = 8, STYLE = 16;

void line(float x1, float y1, float x2, float y2, uint32_t colour) {
    sub_line(x1, y1, x2, y2, colour, 0, 0, FIRST | COLOUR);
}

TEST(Line, ASinglePointIsDrawn) {
    drawing_image im(640, 480, 12);
    im.set(0, 0, 5);
    line(0, 0, 0, 0, 0);
    EXPECT_EQ(im.at(0, 0), 0u);
    line(3, 4, 3, 4, 9);
    EXPECT_EQ(im.at(3, 4), 9u);
    EXPECT_EQ(im.count_set(), 1);
}

TEST(Line, AShallowLineRoundsHalfAwayFromZero) {
    drawing_image im(640, 480, 12);
    line(0, 0, 4, 1, 15);
    // t = 0, 0.25, 0.5, 0.75, 1: the half rounds up.
    for (auto [x, y] : {std::pair{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}}) EXPECT_EQ(im.at(x, y), 15u) << x;
    EXPECT_EQ(im.count_set(), 5);
    EXPECT_EQ(im->draw_color, 15u);
    EXPECT_EQ(im->x, 4.0f);
    EXPECT_EQ(im->y, 1.0f);
}

TEST(Line, EndPointsRoundToEven) {
    drawing_image im(640, 480, 12);
    line(10.5f, 5, 11.5f, 5, 2);
    EXPECT_EQ(im.at(10, 5), 2u);
    EXPECT_EQ(im.at(11, 5), 2u);
    EXPECT_EQ(im.at(12, 5), 2u);
    EXPECT_EQ(im.count_set(), 3);
}

TEST(Line, AClippedLineKeepsItsDashes) {
    drawing_image im(640, 480, 12);
    line(-50, 240, 100, 240, 7);
    for (int x = 0; x <= 100; x++) ASSERT_EQ(im.at(x, 240), 7u) << x;
    EXPECT_EQ(im.count_set(), 101);

    drawing_image styled(640, 480, 12);
    const uint32_t style = 0xF0F0;
    sub_line(-50, 240, 100, 240, 7, 0, static_cast<int32_t>(style), FIRST | COLOUR | STYLE);
    // Pixel x is the (x + 50)-th of the whole line, drawn by style bit 15 - (x + 50) mod 16.
    for (int x = 0; x <= 100; x++) {
        const bool on = (style >> (15 - (x + 50) % 16)) & 1;
        ASSERT_EQ(styled.at(x, 240), on ? 7u : 0u) << x;
    }
}

TEST(Line, OffThePageDrawsNothingButMovesTheCursor) {
    drawing_image im(640, 480, 12);
    line(700, 10, 800, 500, 15);
    EXPECT_EQ(im.count_set(), 0);
    EXPECT_EQ(im->x, 800.0f);
    EXPECT_EQ(im->y, 500.0f);
}

TEST(Line, AVerticalLineAcrossThePage) {
    drawing_image im(640, 480, 12);
    line(320, -100, 320, 600, 1);
    for (int y = 0; y < 480; y++) ASSERT_EQ(im.at(320, y), 1u) << y;
    EXPECT_EQ(im.count_set(), 480);
}

TEST(Line, ColoursAreCutToThePageDepth) {
    drawing_image im(640, 480, 12);
    im.set(5, 5, 3);
    line(5, 5, 5, 5, 16);
    EXPECT_EQ(im.at(5, 5), 0u);
    line(6, 5, 6, 5, 0x1F);
    EXPECT_EQ(im.at(6, 5), 15u);
}

TEST(Line, HalfTransparentColoursBlendOnThirtyTwoBitImages) {
    drawing_image im(64, 48, 32);
    im.set(3, 3, 0xFF0000FF);
    line(3, 3, 3, 3, 0x80FF0000);
    // Channels averaged with their low bits dropped; 128 over 255 is fully covered.
    EXPECT_EQ(im.at(3, 3), 0xFF7F007Fu);
    im.set(4, 3, 0x00000000);
    line(4, 3, 4, 3, 0x00FFFFFF);
    EXPECT_EQ(im.at(4, 3), 0u); // alpha 0 leaves it
    im->dont_blend = 1;
    line(4, 3, 4, 3, 0x00FFFFFF);
    EXPECT_EQ(im.at(4, 3), 0x00FFFFFFu);
    im->dont_blend = 0;
    im.set(5, 3, 0xFF000000);
    line(5, 3, 5, 3, 0x33FFFFFF); // a fifth of white over opaque black
    EXPECT_EQ(im.at(5, 3), 0xFF333333u);
}

TEST(Line, BoxesAndFilledBoxes) {
    drawing_image im(64, 48, 13);
    sub_line(10, 10, 20, 15, 4, 1, 0, FIRST | COLOUR);
    for (int x = 10; x <= 20; x++) EXPECT_TRUE(im.at(x, 10) == 4 && im.at(x, 15) == 4) << x;
    for (int y = 10; y <= 15; y++) EXPECT_TRUE(im.at(10, y) == 4 && im.at(20, y) == 4) << y;
    EXPECT_EQ(im.count_set(), 2 * 11 + 2 * 4);
    drawing_image filled(64, 48, 13);
    sub_line(5, 5, -10, -10, 6, 2, 0, FIRST | COLOUR);
    for (int y = 0; y <= 5; y++)
        for (int x = 0; x <= 5; x++) EXPECT_EQ(filled.at(x, y), 6u);
    EXPECT_EQ(filled.count_set(), 36);
    sub_line(0, 0, 63, 47, 1, 2, 0, FIRST | COLOUR);
    EXPECT_EQ(filled.at(63, 47), 1u);
    EXPECT_EQ(filled.count_set(), 64 * 48);
    EXPECT_TRUE(filled.margins_intact());
    sub_line(0, 0, 63, 47, 1, 3, 0, FIRST | COLOUR); // no such box: only the cursor moves
    EXPECT_EQ(new_error, 0u);
}

TEST(Line, StepFormsAndTheCursor) {
    drawing_image im(64, 48, 13);
    im->x = 10;
    im->y = 10;
    sub_line(0, 0, 5, 0, 3, 0, 0, COLOUR); // from the cursor
    EXPECT_EQ(im.at(10, 10), 3u);
    EXPECT_EQ(im.at(5, 0), 3u);
    sub_line(1, 1, 2, 0, 3, 0, 0, FIRST | FIRST_STEP | SECOND_STEP | COLOUR); // (6,1)-(8,1)
    EXPECT_EQ(im.at(6, 1), 3u);
    EXPECT_EQ(im.at(8, 1), 3u);
    EXPECT_EQ(im->x, 8.0f);
    EXPECT_EQ(im->y, 1.0f);
    im->color = 9;
    sub_line(20, 20, 20, 20, 0, 0, 0, FIRST); // no colour given: the page's colour
    EXPECT_EQ(im.at(20, 20), 9u);
    EXPECT_EQ(im->draw_color, 9u);
}

TEST(Line, TextPagesHaveNoLines) {
    fresh_screen(0);
    sub_line(0, 0, 1, 1, 1, 0, 0, FIRST | COLOUR);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    sub_pset(0, 0, 1, 2);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    tqg_sub_view(0, 0, 1, 1, 0, 0, 1);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    tqg_sub_window(0, 0, 1, 1, 1);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    func_point(0, 0, 1);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    func_point(0, 0, 0);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
}

TEST(LineClip, MovesEndsOntoTheRectangle) {
    int32_t x1 = -10, y1 = 5, x2 = 20, y2 = 5;
    int64_t cut = -1;
    ASSERT_TRUE(lineclip(x1, y1, x2, y2, 0, 0, 9, 9, cut));
    EXPECT_EQ(x1, 0);
    EXPECT_EQ(x2, 9);
    EXPECT_EQ(cut, 10);
    // A diagonal entering through the top: (−5, −10) to (15, 30) has slope 2.
    x1 = -5, y1 = -10, x2 = 15, y2 = 30;
    ASSERT_TRUE(lineclip(x1, y1, x2, y2, 0, 0, 9, 9, cut));
    EXPECT_EQ(x1, 0);
    EXPECT_EQ(y1, 0);
    EXPECT_EQ(cut, 10);
    EXPECT_EQ(y2, 9);
    EXPECT_EQ(x2, 4);                   // y = 9 is reached at x = 4.5: ties go to even
    x1 = -5, y1 = 20, x2 = 20, y2 = -5; // x + y = 15 crosses the bottom and right edges
    ASSERT_TRUE(lineclip(x1, y1, x2, y2, 0, 0, 9, 9, cut));
    EXPECT_EQ(x1, 6);
    EXPECT_EQ(y1, 9);
    EXPECT_EQ(x2, 9);
    EXPECT_EQ(y2, 6);
    x1 = 20, y1 = 20, x2 = 20, y2 = 20;
    EXPECT_FALSE(lineclip(x1, y1, x2, y2, 0, 0, 9, 9, cut));
    x1 = -5, y1 = 4, x2 = 4, y2 = -5; // x + y = -1 passes the top-left corner by
    EXPECT_FALSE(lineclip(x1, y1, x2, y2, 0, 0, 9, 9, cut));
    x1 = INT32_MIN, y1 = INT32_MIN, x2 = INT32_MAX, y2 = INT32_MAX;
    ASSERT_TRUE(lineclip(x1, y1, x2, y2, 0, 0, 9, 9, cut));
    EXPECT_TRUE(x1 >= 0 && x1 <= 9 && y1 >= 0 && y1 <= 9 && x2 >= 0 && x2 <= 9 && y2 >= 0 && y2 <= 9);
}

TEST(View, RelativeAndScreenViewports) {
    drawing_image im(640, 480, 12);
    tqg_sub_view(199, 199, 100, 100, 0, 0, 1);
    EXPECT_EQ(im->view_x1, 100);
    EXPECT_EQ(im->view_y2, 199);
    line(0, 0, 99, 99, 2);
    for (int i = 100; i <= 199; i++) ASSERT_EQ(im.at(i, i), 2u) << i;
    EXPECT_EQ(im.count_set(), 100);

    drawing_image screen(640, 480, 12);
    tqg_sub_view(100, 100, 199, 199, 0, 0, 1 | 2);
    line(0, 0, 99, 99, 2);
    EXPECT_EQ(screen.count_set(), 0);
    const uint32_t style = 0x8421; // one pixel in four
    sub_line(0, 0, 199, 199, 3, 0, static_cast<int32_t>(style), FIRST | COLOUR | STYLE);
    for (int i = 100; i <= 199; i++) ASSERT_EQ(screen.at(i, i), ((style >> (15 - i % 16)) & 1) ? 3u : 0u) << i;
    EXPECT_EQ(screen.count_set(), 25);
}

TEST(View, FillBorderAndTheWholePageAgain) {
    drawing_image im(64, 48, 13);
    tqg_sub_view(10, 10, 19, 14, 5, 6, 1 | 4 | 8);
    for (int y = 10; y <= 14; y++)
        for (int x = 10; x <= 19; x++) ASSERT_EQ(im.at(x, y), 5u);
    for (int x = 9; x <= 20; x++) EXPECT_TRUE(im.at(x, 9) == 6 && im.at(x, 15) == 6) << x;
    for (int y = 9; y <= 15; y++) EXPECT_TRUE(im.at(9, y) == 6 && im.at(20, y) == 6) << y;
    EXPECT_EQ(im.count_set(), 12 * 7);
    sub_pset(0, 0, 7, 2); // relative to the viewport
    EXPECT_EQ(im.at(10, 10), 7u);
    sub_pset(-1, 0, 7, 2); // off the viewport
    EXPECT_EQ(im.at(9, 10), 6u);
    tqg_sub_view(0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(im->clipping_or_scaling, 0);
    EXPECT_EQ(im->view_x2, 63);
    sub_pset(0, 0, 7, 2);
    EXPECT_EQ(im.at(0, 0), 7u);
    tqg_sub_view(0, 0, 5, 5, 0, 0, 4 | 8);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    tqg_sub_view(0, 0, 64, 5, 0, 0, 1);
    EXPECT_EQ(new_error, 5u);
    EXPECT_EQ(im->view_x2, 63);
    reset_error_state();
    tqg_sub_view(0, 0, 5, 5, 0, 0, 2); // SCREEN without coordinates
    EXPECT_EQ(new_error, 5u);
    // A border on the page's edge is cut off, not wrapped.
    reset_error_state();
    drawing_image edge(16, 16, 13);
    tqg_sub_view(0, 0, 15, 15, 0, 9, 1 | 8);
    EXPECT_EQ(edge.count_set(), 0);
    EXPECT_TRUE(edge.margins_intact());
}

TEST(Window, AnUpwardAxisOverTheWholePage) {
    drawing_image im(640, 480, 12);
    tqg_sub_window(0, 0, 1, 1, 1);
    EXPECT_EQ(im->clipping_or_scaling, 2);
    sub_pset(0, 0, 4, 2);
    EXPECT_EQ(im.at(0, 479), 4u);
    sub_pset(1, 1, 5, 2);
    EXPECT_EQ(im.at(639, 0), 5u);
    EXPECT_EQ(func_point(0, 0, 1), 4.0);
    EXPECT_EQ(func_point(0, 0, 0), 639.0); // the cursor at (1, 1) in page pixels
    EXPECT_EQ(func_point(1, 0, 0), 0.0);
    EXPECT_EQ(func_point(2, 0, 0), 1.0);
    EXPECT_EQ(func_point(3, 0, 0), 1.0);
    tqg_sub_window(0, 0, 0, 0, 0); // back to pixels; the cursor keeps its place
    EXPECT_EQ(im->clipping_or_scaling, 0);
    EXPECT_EQ(im->x, 639.0f);
    EXPECT_EQ(im->y, 0.0f);
}

TEST(Window, ScreenAxesAndTheIdentity) {
    drawing_image im(640, 480, 12);
    tqg_sub_window(-10, -10, 10, 10, 1 | 2);
    sub_pset(-10, -10, 3, 2);
    EXPECT_EQ(im.at(0, 0), 3u);
    sub_pset(10, 10, 3, 2);
    EXPECT_EQ(im.at(639, 479), 3u);
    tqg_sub_window(0, 0, 639, 479, 1 | 2);
    EXPECT_EQ(im->clipping_or_scaling, 0);
    EXPECT_EQ(im->window_x2, 639.0f);
    EXPECT_EQ(im->x, 639.0f);
    tqg_sub_window(1, 0, 1, 5, 1);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    tqg_sub_window(0, 0, 0, 0, 2);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
}

// A WINDOW spread over a viewport gives the same mapping whichever of the two came first.
TEST(Window, ViewAfterWindowMapsLikeWindowAfterView) {
    drawing_image first(640, 480, 12);
    tqg_sub_window(0, 0, 1, 1, 1);
    tqg_sub_view(100, 100, 199, 199, 0, 0, 1);
    sub_pset(0, 0, 1, 2);
    sub_pset(1, 1, 2, 2);
    EXPECT_EQ(first.at(100, 199), 1u);
    EXPECT_EQ(first.at(199, 100), 2u);

    drawing_image second(640, 480, 12);
    tqg_sub_view(100, 100, 199, 199, 0, 0, 1);
    tqg_sub_window(0, 0, 1, 1, 1);
    EXPECT_EQ(second->scaling_offset_y, first->scaling_offset_y);
    EXPECT_EQ(second->scaling_y, first->scaling_y);
    sub_pset(0, 0, 1, 2);
    sub_pset(1, 1, 2, 2);
    EXPECT_EQ(second.at(100, 199), 1u);
    EXPECT_EQ(second.at(199, 100), 2u);
}

TEST(Pset, PresetUsesTheBackgroundAndStepMovesFromTheCursor) {
    drawing_image im(64, 48, 13);
    im->background_color = 8;
    im->color = 2;
    sub_preset(1, 1, 0, 0);
    EXPECT_EQ(im.at(1, 1), 8u);
    EXPECT_EQ(im->draw_color, 8u);
    sub_pset(2, 3, 0, 1); // STEP from (1, 1)
    EXPECT_EQ(im.at(3, 4), 2u);
    sub_pset(64, 0, 5, 2);
    sub_pset(-1, 0, 5, 2);
    sub_pset(1e30f, -1e30f, 5, 2);
    EXPECT_EQ(im.count_set(), 2);
    EXPECT_TRUE(im.margins_intact());
}

TEST(Point, ValuesOffThePageAndBadNumbers) {
    drawing_image im(64, 48, 12);
    im.set(7, 8, 0xFF); // more bits than the page has
    EXPECT_EQ(func_point(7, 8, 1), 15.0);
    EXPECT_EQ(func_point(-1, 8, 1), -1.0);
    EXPECT_EQ(func_point(64, 8, 1), -1.0);
    EXPECT_EQ(point(7, 8), 15);
    EXPECT_EQ(point(7, 48), -1);
    im->x = 2.5f;
    EXPECT_EQ(func_point(0, 0, 0), 2.0); // rounded to even
    EXPECT_EQ(func_point(2, 0, 0), 2.5);
    EXPECT_EQ(func_point(4, 0, 0), 0.0);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    drawing_image wide(4, 4, 32);
    wide.set(1, 1, 0xFFFFFFFF);
    EXPECT_EQ(func_point(1, 1, 1), 4294967295.0);
}

} // namespace
