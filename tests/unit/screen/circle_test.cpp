#include <gtest/gtest.h>

#include <cmath>

#include "screen_test_support.h"

namespace {

constexpr int32_t STEP = 1, COLOUR = 2, START = 4, END = 8, ASPECT = 16;

void circle(double x, double y, double r, uint32_t colour) { sub_circle(x, y, r, colour, 0, 0, 0, COLOUR); }

TEST(Circle, ARoundCircleTouchesItsFourExtremes) {
    drawing_image im(640, 480, 12);
    circle(320, 240, 100, 15);
    EXPECT_EQ(im.at(420, 240), 15u);
    EXPECT_EQ(im.at(220, 240), 15u);
    EXPECT_EQ(im.at(320, 140), 15u);
    EXPECT_EQ(im.at(320, 340), 15u);
    EXPECT_EQ(im.at(320, 240), 0u);
    EXPECT_EQ(im->x, 320.0f);
    EXPECT_EQ(im->draw_color, 15u);
    // One pixel wide and without gaps: every pixel lies within a pixel of the radius, and every
    // column of the upper half holds one.
    for (int y = 0; y < 480; y++)
        for (int x = 0; x < 640; x++)
            if (im.at(x, y)) {
                const double d = std::hypot(x - 320, y - 240);
                ASSERT_TRUE(d > 99 && d < 101) << x << "," << y;
            }
    for (int x = 220; x <= 420; x++) {
        bool found = false;
        for (int y = 140; y <= 240; y++) found = found || im.at(x, y);
        ASSERT_TRUE(found) << x;
    }
    EXPECT_LT(im.count_set(), 4 * 160);
}

TEST(Circle, ModeAspectsMakeEllipses) {
    drawing_image ega(640, 350, 9);
    circle(320, 175, 100, 1);
    EXPECT_EQ(ega.at(420, 175), 1u);
    EXPECT_EQ(ega.at(220, 175), 1u);
    EXPECT_EQ(ega.at(320, 102), 1u); // 175 - trunc(72.92 + 0.5)
    EXPECT_EQ(ega.at(320, 248), 1u);
    EXPECT_EQ(ega.at(320, 75), 0u);
    drawing_image tall(640, 480, 12);
    sub_circle(320, 240, 100, 1, 0, 0, 2, COLOUR | ASPECT);
    EXPECT_EQ(tall.at(370, 240), 1u);
    EXPECT_EQ(tall.at(270, 240), 1u);
    EXPECT_EQ(tall.at(320, 140), 1u);
    EXPECT_EQ(tall.at(320, 340), 1u);
    EXPECT_EQ(tall.at(420, 240), 0u);
}

TEST(Circle, AQuarterArcWithItsRadiusLines) {
    drawing_image im(200, 200, 12);
    sub_circle(100, 100, 50, 4, -1.5708, -3.1416, 0, COLOUR | START | END);
    EXPECT_EQ(im.at(50, 100), 4u); // the left point
    // Lines from the centre stop a pixel short of the outline, towards the centre.
    for (int y = 51; y <= 100; y++) ASSERT_EQ(im.at(100, y), 4u) << y;
    for (int x = 51; x <= 100; x++) ASSERT_EQ(im.at(x, 100), 4u) << x;
    EXPECT_EQ(im.at(150, 100), 0u);
    EXPECT_EQ(im.at(100, 150), 0u);
    EXPECT_EQ(im.at(135, 65), 0u);
    for (int y = 0; y < 200; y++)
        for (int x = 0; x < 200; x++)
            if (im.at(x, y)) {
                ASSERT_TRUE(x <= 100 && y <= 100) << x << "," << y;
            }
}

TEST(Circle, AnInvertedArcGoesThroughAngleZero) {
    drawing_image im(200, 200, 12);
    sub_circle(100, 100, 50, 4, 6, 1, 0, COLOUR | START | END);
    EXPECT_EQ(im.at(150, 100), 4u);
    EXPECT_EQ(im.at(50, 100), 0u);
    EXPECT_EQ(im.at(100, 50), 0u);
    EXPECT_EQ(im.at(100, 150), 0u);
    // Points at angle 0.5 above and 6 (about -0.28) below the right point are on the arc.
    EXPECT_TRUE(im.at(144, 76) || im.at(144, 77) || im.at(143, 76));
    EXPECT_TRUE(im.at(148, 113) || im.at(148, 114) || im.at(147, 114));
}

TEST(Circle, BadAnglesAndTextPagesAreRefused) {
    drawing_image im(64, 48, 12);
    sub_circle(10, 10, 5, 1, 7, 0, 0, COLOUR | START);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    sub_circle(10, 10, 5, 1, 0, -7, 0, COLOUR | END);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    sub_circle(10, 10, 5, 1, std::nan(""), 0, 0, COLOUR | START);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    EXPECT_EQ(im.count_set(), 0);
    EXPECT_EQ(im->x, 32.0f); // nothing moved
    fresh_screen(0);
    circle(10, 10, 5, 1);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
}

TEST(Circle, OutsideTheViewportOnlyTheCursorMoves) {
    drawing_image im(64, 48, 12);
    im->draw_color = 9;
    circle(200, 20, 10, 1);
    EXPECT_EQ(im.count_set(), 0);
    EXPECT_EQ(im->x, 200.0f);
    EXPECT_EQ(im->draw_color, 9u);
    sub_circle(-190, 0, 10, 1, 0, 0, 0, STEP | COLOUR); // STEP back to (10, 20)
    EXPECT_EQ(im->x, 10.0f);
    EXPECT_EQ(im.at(20, 20), 1u);
}

TEST(Circle, TinyCirclesAreAPoint) {
    drawing_image im(64, 48, 12);
    circle(10, 10, 0, 3);
    EXPECT_EQ(im.at(10, 10), 3u);
    EXPECT_EQ(im.count_set(), 1);
}

} // namespace
