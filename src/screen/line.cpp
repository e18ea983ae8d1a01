// LINE: lines, boxes and filled boxes on the write page, with the line clipper and the stepper
// that every line-drawing statement shares.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "libtq.h"
#include "screen/screen_internal.h"

namespace {

inline uint32_t rotate_left(uint32_t v, uint32_t n) {
    n &= 31;
    return n ? (v << n) | (v >> (32 - n)) : v;
}

// A double rounded to a pixel coordinate as the clipper does: through single precision, to
// nearest with ties to even. Only called with values inside the clip rectangle.
template <typename T> T clip_round(double v) { return static_cast<T>(std::nearbyint(static_cast<float>(v))); }

// Moves the end point p of a line towards q onto the rectangle's edge. False when the line
// misses the rectangle.
template <typename T> bool move_onto_rectangle(T px, T py, T qx, T qy, T left, T top, T right, T bottom, T &nx, T &ny) {
    const double dx = static_cast<double>(qx) - static_cast<double>(px);
    const double dy = static_cast<double>(qy) - static_cast<double>(py);
    // Steps along one axis per step of the other; a vertical or horizontal line gives an infinity.
    const double mx = dx / std::fabs(dy);
    const double my = dy / std::fabs(dx);
    if (px > right && mx < 0) {
        const double y = (static_cast<double>(px) - static_cast<double>(right)) * my + static_cast<double>(py);
        if (y >= static_cast<double>(top) && y <= static_cast<double>(bottom)) {
            nx = right;
            ny = clip_round<T>(y);
            return true;
        }
    }
    if (px < left && mx > 0) {
        const double y = (static_cast<double>(left) - static_cast<double>(px)) * my + static_cast<double>(py);
        if (y >= static_cast<double>(top) && y <= static_cast<double>(bottom)) {
            nx = left;
            ny = clip_round<T>(y);
            return true;
        }
    }
    if (py < top && my > 0) {
        const double x = (static_cast<double>(top) - static_cast<double>(py)) * mx + static_cast<double>(px);
        if (x >= static_cast<double>(left) && x <= static_cast<double>(right)) {
            nx = clip_round<T>(x);
            ny = top;
            return true;
        }
    }
    if (py > bottom && my < 0) {
        const double x = (static_cast<double>(py) - static_cast<double>(bottom)) * mx + static_cast<double>(px);
        if (x >= static_cast<double>(left) && x <= static_cast<double>(right)) {
            nx = clip_round<T>(x);
            ny = bottom;
            return true;
        }
    }
    return false;
}

// |a - b| without overflow: the distance between two 64-bit values always fits 64 unsigned bits.
template <typename T> uint64_t abs_difference(T a, T b) {
    const auto ua = static_cast<uint64_t>(static_cast<int64_t>(a)), ub = static_cast<uint64_t>(static_cast<int64_t>(b));
    return a > b ? ua - ub : ub - ua;
}

template <typename T> bool clip_line(T &x1, T &y1, T &x2, T &y2, T left, T top, T right, T bottom, int64_t &cut) {
    cut = 0;
    auto inside = [&](T x, T y) { return x >= left && x <= right && y >= top && y <= bottom; };
    const bool one_point = x1 == x2 && y1 == y2;
    if (!inside(x1, y1)) {
        if (one_point) return false;
        if ((x1 < left && x2 < left) || (x1 > right && x2 > right) || (y1 < top && y2 < top) ||
            (y1 > bottom && y2 > bottom))
            return false;
        T nx, ny;
        if (!move_onto_rectangle(x1, y1, x2, y2, left, top, right, bottom, nx, ny)) return false;
        cut = static_cast<int64_t>(std::max(abs_difference(nx, x1), abs_difference(ny, y1)));
        x1 = nx;
        y1 = ny;
    } else if (one_point) {
        return true;
    }
    if (!inside(x2, y2)) {
        T nx, ny;
        if (!move_onto_rectangle(x2, y2, x1, y1, left, top, right, bottom, nx, ny)) return false;
        x2 = nx;
        y2 = ny;
    }
    return true;
}

// Whether the single-precision position along the minor axis could drift by a quarter pixel
// over `steps` additions with magnitudes up to `largest`: each addition rounds by at most half a
// unit in the last place, and the slope itself is off by at most 2^-24.
bool drift_possible(int32_t steps, int32_t largest) {
    int exponent;
    std::frexp(static_cast<float>(largest) + 1.0f, &exponent);
    const double ulp = std::ldexp(1.0, exponent - 24);
    return static_cast<double>(steps) * (ulp / 2 + std::ldexp(1.0, -24)) >= 0.25;
}

// Steps a line along its major axis a from (a1, b1) to (a2, b2): one pixel per step of a, the
// minor coordinate kept as a single-precision value advanced by the slope and rounded half away
// from zero (every position here is at least 0, so adding one half and truncating does that).
// With Clamp the minor coordinate is held within the ends, where accumulated rounding could
// otherwise carry it past them on a very long line.
template <bool Styled, bool Clamp, typename Plot>
void step_line(int32_t a1, int32_t b1, int32_t a2, int32_t b2, uint32_t pattern, Plot plot) {
    const int32_t da = a2 >= a1 ? a2 - a1 : a1 - a2;
    const int32_t step = a2 >= a1 ? 1 : -1;
    const float slope = da ? static_cast<float>(b2 - b1) / static_cast<float>(da) : 0.0f;
    const int32_t lo = std::min(b1, b2), hi = std::max(b1, b2);
    float t = static_cast<float>(b1);
    int32_t a = a1;
    for (int32_t i = 0; i <= da; i++) {
        int32_t b = static_cast<int32_t>(t + 0.5f);
        if constexpr (Clamp) b = b < lo ? lo : (b > hi ? hi : b);
        if constexpr (Styled) {
            pattern = rotate_left(pattern, 1);
            if (pattern & 1) plot(a, b);
        } else {
            plot(a, b);
        }
        a += step;
        t += slope;
    }
}

template <typename Plot> void step_any(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t pattern, Plot plot) {
    const int32_t dx = x2 >= x1 ? x2 - x1 : x1 - x2;
    const int32_t dy = y2 >= y1 ? y2 - y1 : y1 - y2;
    const bool styled = pattern != 0xFFFFFFFFu;
    if (dx > dy) {
        auto xy = [&](int32_t a, int32_t b) { plot(a, b); };
        const bool clamp = drift_possible(dx, std::max(y1, y2));
        if (styled)
            clamp ? step_line<true, true>(x1, y1, x2, y2, pattern, xy)
                  : step_line<true, false>(x1, y1, x2, y2, pattern, xy);
        else
            clamp ? step_line<false, true>(x1, y1, x2, y2, pattern, xy)
                  : step_line<false, false>(x1, y1, x2, y2, pattern, xy);
    } else {
        auto yx = [&](int32_t a, int32_t b) { plot(b, a); };
        const bool clamp = drift_possible(dy, std::max(x1, x2));
        if (styled)
            clamp ? step_line<true, true>(y1, x1, y2, x2, pattern, yx)
                  : step_line<true, false>(y1, x1, y2, x2, pattern, yx);
        else
            clamp ? step_line<false, true>(y1, x1, y2, x2, pattern, yx)
                  : step_line<false, false>(y1, x1, y2, x2, pattern, yx);
    }
}

// Fills an inclusive rectangle that lies on the page.
void fill_rectangle(img_struct *im, int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour) {
    const size_t width = im->width;
    const size_t columns = static_cast<size_t>(right - left) + 1;
    const size_t rows = static_cast<size_t>(bottom - top) + 1;
    if (im->bytes_per_pixel == 1) {
        const auto value = static_cast<uint8_t>(colour & im->mask);
        uint8_t *at = im->pixels + static_cast<size_t>(top) * width + static_cast<size_t>(left);
        if (columns == width) {
            std::memset(at, value, columns * rows); // whole rows are one block
            return;
        }
        for (size_t row = 0; row < rows; row++, at += width) std::memset(at, value, columns);
        return;
    }
    if (im->bytes_per_pixel != 4) return;
    uint32_t *at = reinterpret_cast<uint32_t *>(im->pixels) + static_cast<size_t>(top) * width + left;
    const uint32_t alpha = colour >> 24;
    if (im->dont_blend || alpha == 255) {
        for (size_t row = 0; row < rows; row++, at += width) std::fill(at, at + columns, colour);
        return;
    }
    if (alpha == 0) return;
    for (size_t row = 0; row < rows; row++, at += width)
        for (size_t c = 0; c < columns; c++) blend_store(im, at + c, colour);
}

// The line clipper on 64-bit end points, for callers whose points may lie far outside the
// 32-bit range. Visible results lie inside the rectangle.
bool lineclip64(int64_t &x1, int64_t &y1, int64_t &x2, int64_t &y2, int64_t left, int64_t top, int64_t right,
                int64_t bottom, int64_t &cut) {
    return clip_line<int64_t>(x1, y1, x2, y2, left, top, right, bottom, cut);
}

// Draws the clipped line (both ends inside the page) on `im`, stepping as LINE does. `pattern`
// is the 32-bit style already advanced for the pixels cut from the start.
void draw_clipped_line(img_struct *im, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour,
                       uint32_t pattern) {
    const size_t width = im->width;
    if (im->bytes_per_pixel == 1) {
        uint8_t *pixels = im->pixels;
        const auto value = static_cast<uint8_t>(colour & im->mask);
        step_any(x1, y1, x2, y2, pattern, [=](int32_t x, int32_t y) {
            pixels[static_cast<size_t>(y) * width + static_cast<size_t>(x)] = value;
        });
        return;
    }
    if (im->bytes_per_pixel != 4) return;
    auto *pixels = reinterpret_cast<uint32_t *>(im->pixels);
    const uint32_t alpha = colour >> 24;
    if (im->dont_blend || alpha == 255) {
        step_any(x1, y1, x2, y2, pattern, [=](int32_t x, int32_t y) {
            pixels[static_cast<size_t>(y) * width + static_cast<size_t>(x)] = colour;
        });
        return;
    }
    if (alpha == 0) return;
    step_any(x1, y1, x2, y2, pattern, [=](int32_t x, int32_t y) {
        blend_store(im, pixels + static_cast<size_t>(y) * width + static_cast<size_t>(x), colour);
    });
}

} // namespace

bool lineclip(int32_t &x1, int32_t &y1, int32_t &x2, int32_t &y2, int32_t left, int32_t top, int32_t right,
              int32_t bottom, int64_t &cut) {
    return clip_line<int32_t>(x1, y1, x2, y2, left, top, right, bottom, cut);
}

// One styled line on the write page, of any depth: 1-byte and 32-bit pixels alike.
void tq32_line(float x1, float y1, float x2, float y2, uint32_t colour, uint32_t style) {
    img_struct *im = write_page;
    int32_t px1 = map_x(im, x1), py1 = map_y(im, y1);
    int32_t px2 = map_x(im, x2), py2 = map_y(im, y2);
    pixel_rect view;
    if (!viewport_of(im, view)) return;
    int64_t cut;
    if (!lineclip(px1, py1, px2, py2, view.left, view.top, view.right, view.bottom, cut)) return;
    style &= 0xFFFF;
    // A clipped line keeps its dashes where they would have been.
    const uint32_t pattern = rotate_left(style | style << 16, static_cast<uint32_t>(cut % 16));
    draw_clipped_line(im, px1, py1, px2, py2, colour, pattern);
}

void fast_line64(img_struct *im, int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint32_t colour) {
    pixel_rect view;
    if (!viewport_of(im, view)) return;
    int64_t cut;
    if (!lineclip64(x1, y1, x2, y2, view.left, view.top, view.right, view.bottom, cut)) return;
    draw_clipped_line(im, static_cast<int32_t>(x1), static_cast<int32_t>(y1), static_cast<int32_t>(x2),
                      static_cast<int32_t>(y2), colour, 0xFFFFFFFFu);
}

void fast_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    fast_line64(write_page, x1, y1, x2, y2, colour);
}

void fast_boxfill(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    img_struct *im = write_page;
    // Callers clip; the page bounds are kept here as well, so that no caller can write past them.
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, im->width - 1);
    y2 = std::min(y2, im->height - 1);
    if (x1 > x2 || y1 > y2) return;
    fill_rectangle(im, x1, y1, x2, y2, colour);
}

void tq32_boxfill(float x1, float y1, float x2, float y2, uint32_t colour) {
    img_struct *im = write_page;
    int32_t left = map_x(im, x1), top = map_y(im, y1);
    int32_t right = map_x(im, x2), bottom = map_y(im, y2);
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    pixel_rect view;
    if (!viewport_of(im, view)) return;
    if (right < view.left || left > view.right || bottom < view.top || top > view.bottom) return;
    fill_rectangle(im, std::max(left, view.left), std::max(top, view.top), std::min(right, view.right),
                   std::min(bottom, view.bottom), colour);
}

void sub_line(float x1, float y1, float x2, float y2, uint32_t colour, int32_t box, int32_t style, int32_t passed) {
    if (new_error) return;
    img_struct *im = drawing_page();
    if (!im) return;
    if (passed & 1) {
        if (passed & 4) {
            x1 += im->x;
            y1 += im->y;
        }
        im->x = x1;
        im->y = y1;
    } else {
        x1 = im->x;
        y1 = im->y;
    }
    if (passed & 2) {
        x2 += im->x;
        y2 += im->y;
    }
    im->x = x2;
    im->y = y2;
    const uint32_t pattern = (passed & 16) ? static_cast<uint32_t>(style) & 0xFFFF : 0xFFFF;
    if (!(passed & 8)) colour = im->color;
    im->draw_color = colour;
    switch (box) {
    case 0: tq32_line(x1, y1, x2, y2, colour, pattern); break;
    case 1:
        tq32_line(x1, y1, x2, y1, colour, pattern);
        tq32_line(x2, y1, x2, y2, colour, pattern);
        tq32_line(x2, y2, x1, y2, colour, pattern);
        tq32_line(x1, y2, x1, y1, colour, pattern);
        break;
    case 2: tq32_boxfill(x1, y1, x2, y2, colour); break;
    default: break;
    }
}
