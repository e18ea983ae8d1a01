// Lines, boxes, points and circles with any coordinates stay on the page: the drawing page sits
// in a larger buffer whose margins must come through untouched (and AddressSanitizer watches
// every byte when the tests run under it).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "screen_test_support.h"

namespace {

float any_coordinate(std::mt19937 &random) {
    constexpr float inf = std::numeric_limits<float>::infinity();
    constexpr float nan = std::numeric_limits<float>::quiet_NaN(), big = std::numeric_limits<float>::max();
    static const float special[] = {0,       -1,    1,      0.5f,  -0.5f, 31,    32,
                                    23,      24,    1e9f,   -1e9f, 3e9f,  -3e9f, 2147483520.0f,
                                    -2.1e9f, 1e30f, -1e30f, big,   inf,   -inf,  nan};
    switch (random() % 3) {
    case 0: return special[random() % std::size(special)];
    case 1: return std::uniform_real_distribution<float>(-100, 100)(random);
    default: return static_cast<float>(static_cast<int>(random() % 80) - 24);
    }
}

// A random viewport and WINDOW, or none.
void any_mapping(std::mt19937 &random, int32_t width, int32_t height) {
    tqg_sub_view(0, 0, 0, 0, 0, 0, 0);
    tqg_sub_window(0, 0, 0, 0, 0);
    if (random() % 2) {
        const int32_t x1 = static_cast<int32_t>(random() % width), x2 = static_cast<int32_t>(random() % width);
        const int32_t y1 = static_cast<int32_t>(random() % height), y2 = static_cast<int32_t>(random() % height);
        tqg_sub_view(x1, y1, x2, y2, 0, 0, 1 | (random() % 2 ? 2 : 0));
    }
    if (random() % 3 == 0) {
        tqg_sub_window(any_coordinate(random), any_coordinate(random), any_coordinate(random), any_coordinate(random),
                       1 | (random() % 2 ? 2 : 0));
    }
    reset_error_state();
}

void draw_everything(int32_t mode, uint32_t seed) {
    constexpr int32_t W = 32, H = 24;
    drawing_image im(W, H, mode);
    std::mt19937 random(seed);
    for (int round = 0; round < 400; round++) {
        if (round % 20 == 0) any_mapping(random, W, H);
        const float x1 = any_coordinate(random), y1 = any_coordinate(random);
        const float x2 = any_coordinate(random), y2 = any_coordinate(random);
        const auto colour = static_cast<uint32_t>(random());
        const int32_t style = static_cast<int32_t>(random() & 0xFFFF);
        switch (random() % 6) {
        case 0: sub_line(x1, y1, x2, y2, colour, 0, style, 1 | 8 | 16); break;
        case 1: sub_line(x1, y1, x2, y2, colour, static_cast<int32_t>(random() % 3), 0, 1 | 8); break;
        case 2: sub_line(x1, y1, x2, y2, colour, 0, 0, 2 | 4 | 8); break;
        case 3: sub_pset(x1, y1, colour, static_cast<int32_t>(random() % 4)); break;
        case 4: sub_circle(x1, y1, x2, colour, 0, 0, 0, 2); break;
        default: {
            const double start = std::fmod(static_cast<double>(y2), 6.28),
                         end = std::fmod(static_cast<double>(x2), 6.28);
            sub_circle(x1, y1, static_cast<double>(any_coordinate(random)), colour, start, end,
                       static_cast<double>(any_coordinate(random)), 2 | 4 | 8 | 16);
            break;
        }
        }
        fast_line(static_cast<int32_t>(random()), static_cast<int32_t>(random()), static_cast<int32_t>(random()),
                  static_cast<int32_t>(random()), colour);
        fast_boxfill(static_cast<int32_t>(random() % 100) - 50, static_cast<int32_t>(random() % 100) - 50,
                     static_cast<int32_t>(random() % 100) - 50, static_cast<int32_t>(random() % 100) - 50, colour);
        reset_error_state();
        ASSERT_TRUE(im.margins_intact()) << "round " << round;
    }
}

TEST(DrawingFuzz, PalettePagesKeepEveryWriteOnThePage) {
    for (uint32_t seed = 1; seed <= 8; seed++) draw_everything(12, seed);
}

TEST(DrawingFuzz, ThirtyTwoBitPagesKeepEveryWriteOnThePage) {
    for (uint32_t seed = 11; seed <= 18; seed++) draw_everything(32, seed);
}

TEST(DrawingFuzz, ClippedLinesEndInsideTheRectangle) {
    std::mt19937 random(7);
    for (int i = 0; i < 200000; i++) {
        auto any = [&] {
            switch (random() % 3) {
            case 0: return static_cast<int32_t>(random());
            case 1: return static_cast<int32_t>(random() % 200) - 100;
            default: return static_cast<int32_t>(random() % 3) - 1 + (random() % 2 ? 0 : 31);
            }
        };
        int32_t x1 = any(), y1 = any(), x2 = any(), y2 = any();
        int64_t cut;
        if (lineclip(x1, y1, x2, y2, 3, 2, 31, 23, cut)) {
            ASSERT_TRUE(x1 >= 3 && x1 <= 31 && x2 >= 3 && x2 <= 31 && y1 >= 2 && y1 <= 23 && y2 >= 2 && y2 <= 23);
            ASSERT_GE(cut, 0);
        }
    }
}

} // namespace
