// Cost of the drawing statements on the demo's 640 x 480 mode 12 page, each against a baseline
// measured in the same run:
//   - a frame of the demo: 24 LINE statements, a cube's old edges in colour 0 and new in 15;
//   - long lines by LINE against a plain integer Bresenham loop over the same end points, both
//     reported per pixel;
//   - CIRCLE with radius 200;
//   - a whole-page filled box (LINE ... , BF) against memset of the page.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "libtq.h"

namespace {

struct point2 {
    float x, y;
};

// The eight corners of a turning cube, projected as the demo projects them; some fall off the page.
void cube_corners(float angle, point2 out[8]) {
    for (int i = 0; i < 8; i++) {
        const float x = (i & 1) ? 1.0f : -1.0f, y = (i & 2) ? 1.0f : -1.0f, z = (i & 4) ? 1.0f : -1.0f;
        const float c = std::cos(angle), s = std::sin(angle);
        const float x1 = x * c - z * s, z1 = x * s + z * c;
        const float y1 = y * std::cos(angle * 0.7f) - z1 * std::sin(angle * 0.7f);
        const float z2 = y * std::sin(angle * 0.7f) + z1 * std::cos(angle * 0.7f);
        const float depth = 3.2f + z2;
        out[i] = {320 + 600 * x1 / depth, 240 + 600 * y1 / depth};
    }
}

constexpr int edges[12][2] = {{0, 1}, {1, 3}, {3, 2}, {2, 0}, {4, 5}, {5, 7},
                              {7, 6}, {6, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};

void select_mode_12() {
    tqg_screen(12, 0, 0, 0, 0, 1);
    std::memset(write_page->pixels, 0, 640 * 480);
}

void BM_DemoFrame(benchmark::State &state) {
    select_mode_12();
    point2 frames[64][8];
    for (int f = 0; f < 64; f++) cube_corners(0.13f * static_cast<float>(f), frames[f]);
    int f = 1;
    for (auto _ : state) {
        const point2 *old_corners = frames[(f - 1) & 63], *corners = frames[f & 63];
        for (const auto &e : edges)
            sub_line(old_corners[e[0]].x, old_corners[e[0]].y, old_corners[e[1]].x, old_corners[e[1]].y, 0, 0, 0, 9);
        for (const auto &e : edges)
            sub_line(corners[e[0]].x, corners[e[0]].y, corners[e[1]].x, corners[e[1]].y, 15, 0, 0, 9);
        f++;
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 24);
}

// Long lines across the page in every direction and slope.
struct segment {
    int x1, y1, x2, y2;
};
std::vector<segment> long_lines() {
    std::vector<segment> lines;
    for (int i = 0; i < 16; i++) {
        const int y = i * 30;
        lines.push_back({0, y, 639, 479 - y});
        lines.push_back({639, y, 0, (y * 7) % 480});
        const int x = i * 40;
        lines.push_back({x, 0, 639 - x, 479});
        lines.push_back({(x * 3) % 640, 479, x, 0});
    }
    return lines;
}

int64_t pixels_of(const std::vector<segment> &lines) {
    int64_t n = 0;
    for (const auto &l : lines) n += std::max(std::abs(l.x2 - l.x1), std::abs(l.y2 - l.y1)) + 1;
    return n;
}

void BM_LongLines(benchmark::State &state) {
    select_mode_12();
    const auto lines = long_lines();
    uint32_t colour = 1;
    for (auto _ : state) {
        for (const auto &l : lines)
            sub_line(static_cast<float>(l.x1), static_cast<float>(l.y1), static_cast<float>(l.x2),
                     static_cast<float>(l.y2), colour, 0, 0, 9);
        colour = (colour + 1) & 15;
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * pixels_of(lines));
}

// The textbook integer line: the major axis steps every pixel, an error term steps the other.
void bresenham(uint8_t *pixels, int width, int x1, int y1, int x2, int y2, uint8_t colour) {
    int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
    const int sx = x2 >= x1 ? 1 : -1, sy = y2 >= y1 ? 1 : -1;
    if (dx >= dy) {
        int error = 2 * dy - dx;
        for (int i = 0; i <= dx; i++) {
            pixels[y1 * width + x1] = colour;
            if (error > 0) {
                y1 += sy;
                error -= 2 * dx;
            }
            error += 2 * dy;
            x1 += sx;
        }
    } else {
        int error = 2 * dx - dy;
        for (int i = 0; i <= dy; i++) {
            pixels[y1 * width + x1] = colour;
            if (error > 0) {
                x1 += sx;
                error -= 2 * dy;
            }
            error += 2 * dx;
            y1 += sy;
        }
    }
}

void BM_LongLinesBresenhamBaseline(benchmark::State &state) {
    select_mode_12();
    const auto lines = long_lines();
    uint8_t colour = 1;
    for (auto _ : state) {
        for (const auto &l : lines) bresenham(write_page->pixels, 640, l.x1, l.y1, l.x2, l.y2, colour);
        colour = (colour + 1) & 15;
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * pixels_of(lines));
}

void BM_Circle200(benchmark::State &state) {
    select_mode_12();
    uint32_t colour = 1;
    for (auto _ : state) {
        sub_circle(320, 240, 200, colour, 0, 0, 0, 2);
        colour = (colour + 1) & 15;
        benchmark::ClobberMemory();
    }
}

void BM_FullPageBoxFill(benchmark::State &state) {
    select_mode_12();
    uint32_t colour = 1;
    for (auto _ : state) {
        sub_line(0, 0, 639, 479, colour, 2, 0, 9);
        colour = (colour + 1) & 15;
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 640 * 480);
}

void BM_FullPageMemsetBaseline(benchmark::State &state) {
    select_mode_12();
    uint8_t colour = 1;
    for (auto _ : state) {
        std::memset(write_page->pixels, colour, 640 * 480);
        colour = (colour + 1) & 15;
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 640 * 480);
}

BENCHMARK(BM_DemoFrame);
BENCHMARK(BM_LongLines);
BENCHMARK(BM_LongLinesBresenhamBaseline);
BENCHMARK(BM_Circle200);
BENCHMARK(BM_FullPageBoxFill);
BENCHMARK(BM_FullPageMemsetBaseline);

} // namespace
