// Where a frame lies in the window. Expected values are worked by hand from the rules: the frame's
// aspect kept or not, sizes truncated, the frame centred by whole-pixel halves.
#include <gtest/gtest.h>

#include "display/placement.h"
#include "libtq.h"

namespace {

constexpr int32_t WINDOWED = 0, STRETCHED = 1, SQUARE_PIXELS = 2;

void expect_rect(pixel_rect got, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    EXPECT_EQ(got.x1, x1);
    EXPECT_EQ(got.y1, y1);
    EXPECT_EQ(got.x2, x2);
    EXPECT_EQ(got.y2, y2);
}

TEST(Placement, AFrameOfTheWindowsSizeFillsItUnscaledAndUnfiltered) {
    const frame_placement p = place_frame(640, 480, 640, 480, SQUARE_PIXELS, 1, 0);
    expect_rect(p.covered, 0, 0, 639, 479);
    EXPECT_EQ(p.x_scale, 1.0f);
    EXPECT_EQ(p.y_scale, 1.0f);
    EXPECT_EQ(p.letterbox, 0);
    EXPECT_EQ(p.smooth, 0);
}

TEST(Placement, AWindowedFrameIsNeverScaled) {
    // The window has not taken the frame's size yet: its bottom rows fall outside.
    frame_placement p = place_frame(640, 480, 640, 400, WINDOWED, 0, 0);
    expect_rect(p.covered, 0, 0, 639, 479);
    EXPECT_EQ(p.y_scale, 1.0f);
    p = place_frame(320, 200, 640, 400, WINDOWED, 0, 0);
    expect_rect(p.covered, 0, 0, 319, 199);
}

TEST(Placement, FullScreenWithSquarePixelsKeepsTheAspectBetweenBars) {
    // 1080 x 4/3 = 1440 wide, centred: 960 - 720 = 240.
    frame_placement p = place_frame(640, 480, 1920, 1080, SQUARE_PIXELS, 1, 0);
    expect_rect(p.covered, 240, 0, 1679, 1079);
    EXPECT_EQ(p.scaled_width, 1440);
    EXPECT_EQ(p.letterbox, 1);
    EXPECT_FLOAT_EQ(p.x_scale, 2.25f);
    EXPECT_FLOAT_EQ(p.y_scale, 2.25f);
    EXPECT_EQ(p.smooth, 1);
    expect_rect(frame_rect_to_window(p, {0, 0, 639, 479}), 240, 0, 1679, 1079);
    // A taller window: 800 x 3/4 = 600 high, 350 - 300 = 50 from the top.
    p = place_frame(640, 480, 800, 700, SQUARE_PIXELS, 0, 0);
    expect_rect(p.covered, 0, 50, 799, 649);
    EXPECT_EQ(p.letterbox, 2);
    EXPECT_FLOAT_EQ(p.y_scale, 1.25f);
    // A window of the frame's own aspect needs no bars.
    p = place_frame(640, 480, 1280, 960, SQUARE_PIXELS, 0, 0);
    expect_rect(p.covered, 0, 0, 1279, 959);
    EXPECT_EQ(p.letterbox, 0);
}

TEST(Placement, StretchingCoversTheWholeWindow) {
    frame_placement p = place_frame(640, 480, 1920, 1080, STRETCHED, 0, 0);
    expect_rect(p.covered, 0, 0, 1919, 1079);
    EXPECT_FLOAT_EQ(p.x_scale, 3.0f);
    EXPECT_FLOAT_EQ(p.y_scale, 2.25f);
    EXPECT_EQ(p.letterbox, 0);
    // A window the user resized with scaling on (_RESIZE ON, _SMOOTH smooths it).
    p = place_frame(640, 480, 1000, 600, WINDOWED, 0, 2);
    expect_rect(p.covered, 0, 0, 999, 599);
    EXPECT_EQ(p.smooth, 1);
    EXPECT_EQ(place_frame(640, 480, 1000, 600, WINDOWED, 0, 1).smooth, 0);
}

TEST(Placement, FrameRectanglesCoverEveryWindowPixelTheyReach) {
    const frame_placement p = place_frame(640, 480, 1000, 600, SQUARE_PIXELS, 0, 0); // 800 x 600 at x 100
    ASSERT_FLOAT_EQ(p.x_scale, 1.25f);
    // Frame pixel 1 starts at 1.25, rounded to 1; a pixel-wide span is 1.25 wide, which covers 2.
    expect_rect(frame_rect_to_window(p, {1, 0, 1, 0}), 101, 0, 102, 1);
    // Frame pixel 2 starts at 2.5, rounded to the even 2.
    expect_rect(frame_rect_to_window(p, {2, 2, 3, 3}), 102, 2, 104, 4);
}

TEST(Placement, LetterboxBarsReachFromTheFrameToBeyondTheWindowsEdges) {
    frame_placement p = place_frame(640, 480, 1920, 1080, SQUARE_PIXELS, 0, 0);
    letterbox_bars bars = letterbox_bars_of(p, 640, 480, 1920, 1080);
    // -240 / 2.25 - 1 = -107.7, cut to -107; (1920 - 240 - 1) / 2.25 + 1 = 747.2, cut to 747.
    expect_rect(bars.first, -107, 0, -1, 479);
    expect_rect(bars.second, 640, 0, 747, 479);
    // In the window the bars meet the frame on both sides and pass the window's edges.
    expect_rect(frame_rect_to_window(p, bars.first), -1, 0, 239, 1079);
    expect_rect(frame_rect_to_window(p, bars.second), 1680, 0, 1922, 1079);
    // Bars above and below, at a scale of 1.25: -50 / 1.25 - 1 = -41 and 649 / 1.25 + 1 = 520.2. The
    // top bar's 41 rows are 51.25 window rows, which covers 52 from row -1: the frame's first row too.
    p = place_frame(640, 480, 800, 700, SQUARE_PIXELS, 0, 0);
    bars = letterbox_bars_of(p, 640, 480, 800, 700);
    expect_rect(bars.first, 0, -41, 639, -1);
    expect_rect(bars.second, 0, 480, 639, 520);
    expect_rect(frame_rect_to_window(p, bars.first), 0, -1, 799, 50);
    expect_rect(frame_rect_to_window(p, bars.second), 0, 650, 799, 701);
}

TEST(Placement, AResizedWindowKeepsTheSideTheUserChangedAndTakesTheFramesAspect) {
    const float four_thirds = 640.0f / 480.0f;
    // Only the width changed: it stays, the height follows.
    window_size fit = fit_window_to_aspect(800, 480, 640, 480, four_thirds);
    EXPECT_EQ(fit.width, 800);
    EXPECT_EQ(fit.height, 600);
    // Only the height changed.
    fit = fit_window_to_aspect(640, 600, 640, 480, four_thirds);
    EXPECT_EQ(fit.width, 800);
    EXPECT_EQ(fit.height, 600);
    // Both changed: the height by more, so it stays (700 x 4/3 = 933.3).
    fit = fit_window_to_aspect(700, 700, 640, 480, four_thirds);
    EXPECT_EQ(fit.width, 933);
    EXPECT_EQ(fit.height, 700);
    // Both by as much: the height stays.
    fit = fit_window_to_aspect(700, 540, 640, 480, four_thirds);
    EXPECT_EQ(fit.width, 720);
    EXPECT_EQ(fit.height, 540);
    // Neither: the width stays.
    fit = fit_window_to_aspect(900, 500, 900, 500, four_thirds);
    EXPECT_EQ(fit.width, 900);
    EXPECT_EQ(fit.height, 675);
}

TEST(Placement, TextureCoordinatesStayInsideTheEndTexels) {
    // A 640 x 480 frame in a texture padded to 1024 x 512.
    texture_span s = texture_span_of(0, 639, 1024);
    EXPECT_FLOAT_EQ(s.from, 0.01f / 1024.0f);
    EXPECT_FLOAT_EQ(s.to, 639.99f / 1024.0f);
    const texture_span t = texture_span_of(0, 479, 512);
    EXPECT_FLOAT_EQ(t.to, 479.99f / 512.0f);
    // A mirrored span keeps each end at its own texel.
    s = texture_span_of(639, 0, 640);
    EXPECT_FLOAT_EQ(s.from, 639.99f / 640.0f);
    EXPECT_FLOAT_EQ(s.to, 0.01f / 640.0f);
}

TEST(Placement, ThePresenterRecordsThePlacementForTheProgram) {
    environment_2d__screen_width = 640;
    environment_2d__screen_height = 480;
    environment__window_width = 1920;
    environment__window_height = 1080;
    full_screen = SQUARE_PIXELS;
    prepare_environment_2d();
    full_screen = WINDOWED;
    EXPECT_EQ(func__scaledwidth(), 1440);
    EXPECT_EQ(func__scaledheight(), 1080);
    EXPECT_EQ(environment_2d__screen_x1, 240);
    EXPECT_EQ(environment_2d__screen_x2, 1679);
    EXPECT_EQ(environment_2d__letterbox, 1);
    EXPECT_FLOAT_EQ(environment_2d__screen_x_scale, 2.25f);
}

} // namespace
