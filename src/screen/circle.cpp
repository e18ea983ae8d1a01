// CIRCLE: circles, ellipses and arcs, with optional lines from the centre to the ends of the arc.
//
// The outline is traced by turning a unit vector in equal steps through a quarter turn and
// plotting the four mirror points of each step. A step's points are only drawn once the newest
// point has moved two pixels away from the last one drawn, which keeps the outline one pixel wide
// without leaving gaps.
#include <cmath>

#include "libtq.h"
#include "screen/screen_internal.h"

namespace {

constexpr double TWO_PI = 6.283185307179586;
constexpr double HALF_PI = TWO_PI / 4;

// A quarter of the outline is traced in one step per pixel of its length. A radius with more
// steps than this (some 667,000 pixels) is drawn as a chain of lines through this many points:
// the chain cannot be told apart from the traced outline at that size, and the trace would take
// seconds.
constexpr double MAX_TRACED_STEPS = 1 << 20;
constexpr double CHAINED_STEPS = 1 << 16;
// Beyond this, pixel positions are no longer exact in double precision; such a shape is not
// drawn.
constexpr double LARGEST_COORDINATE = 4503599627370496.0; // 2^52

// A double rounded half away from zero, for callers that already know it is finite and within
// the 64-bit range.
int64_t round_half_away(double v) { return static_cast<int64_t>(v >= 0 ? v + 0.5 : v - 0.5); }

struct arc {
    double start, end;
    bool inverted;
    bool passes(double t) const { return inverted ? (t <= start || t >= end) : (t >= start && t <= end); }
};

// Offsets of a point of the outline from the centre; y grows downwards on the page.
struct offsets {
    int64_t x, y;
};

// The four angles of a step's mirror points: right-top, left-top, left-bottom, right-bottom.
struct angles {
    double a1 = 0, a2 = TWO_PI / 2, a3 = TWO_PI / 2, a4 = TWO_PI;
    void advance(double theta) {
        a1 += theta;
        a2 -= theta;
        a3 += theta;
        a4 -= theta;
    }
};

struct outline {
    img_struct *im;
    int64_t cx, cy;
    double rx, ry;
    uint32_t colour;
    arc range;

    offsets at(double ux, double uy) const {
        return {static_cast<int64_t>(ux * rx + 0.5), static_cast<int64_t>(uy * ry - 0.5)};
    }

    void plot(offsets q, const angles &a) const {
        if (range.passes(a.a1)) pset_and_clip64(im, cx + q.x, cy + q.y, colour);
        if (range.passes(a.a2)) pset_and_clip64(im, cx - q.x, cy + q.y, colour);
        if (range.passes(a.a3)) pset_and_clip64(im, cx - q.x, cy - q.y, colour);
        if (range.passes(a.a4)) pset_and_clip64(im, cx + q.x, cy - q.y, colour);
    }

    void trace(int64_t n) const {
        const double theta = HALF_PI / static_cast<double>(n);
        const double s = std::sin(theta), c = std::cos(theta);
        double ux = 1, uy = 0;
        angles a;
        offsets q{}, d{};
        for (int64_t k = 0;; k++) {
            const offsets nw = at(ux, uy);
            if (k == 0) {
                plot(nw, a);
                d = nw;
            } else if (std::llabs(nw.x - d.x) >= 2 || std::llabs(nw.y - d.y) >= 2) {
                plot(q, a); // the pair of the step before, tested with this step's angles
                d = q;
            }
            q = nw;
            if (k == n) {
                plot(q, a);
                return;
            }
            const double nux = ux * c + uy * s;
            uy = uy * c - ux * s;
            ux = nux;
            a.advance(theta);
        }
    }

    // Very large outlines: lines between the points of `n` equal steps, each drawn when both of
    // its ends pass the arc test.
    void chain(int64_t n) const {
        const double theta = HALF_PI / static_cast<double>(n);
        angles previous;
        offsets p = at(1, 0);
        for (int64_t k = 1; k <= n; k++) {
            const double turned = theta * static_cast<double>(k);
            const offsets q = at(std::cos(turned), -std::sin(turned));
            angles now = previous;
            now.advance(theta);
            if (range.passes(previous.a1) && range.passes(now.a1))
                fast_line64(im, cx + p.x, cy + p.y, cx + q.x, cy + q.y, colour);
            if (range.passes(previous.a2) && range.passes(now.a2))
                fast_line64(im, cx - p.x, cy + p.y, cx - q.x, cy + q.y, colour);
            if (range.passes(previous.a3) && range.passes(now.a3))
                fast_line64(im, cx - p.x, cy - p.y, cx - q.x, cy - q.y, colour);
            if (range.passes(previous.a4) && range.passes(now.a4))
                fast_line64(im, cx + p.x, cy - p.y, cx + q.x, cy - q.y, colour);
            p = q;
            previous = now;
        }
    }

    void radius_line(double angle) const {
        const auto dx = static_cast<int64_t>(std::cos(angle) * rx + 0.5);
        const auto dy = static_cast<int64_t>(std::sin(angle) * ry - 0.5);
        fast_line64(im, cx, cy, cx + dx, cy - dy, colour);
    }
};

} // namespace

void sub_circle(double x, double y, double radius, uint32_t colour, double start, double end, double aspect,
                int32_t passed) {
    if (new_error) return;
    img_struct *im = drawing_page();
    if (!im) return;
    double from = (passed & 4) ? start : 0;
    double to = (passed & 8) ? end : TWO_PI;
    bool from_line = false, to_line = false;
    if (from < 0) {
        from_line = true;
        from = -from;
    }
    if (to < 0) {
        to_line = true;
        to = -to;
    }
    // An angle that is not a number is no more an angle than one past a full turn.
    if (!(from <= TWO_PI) || !(to <= TWO_PI)) {
        error(5);
        return;
    }
    bool inverted = false;
    if (from > to) {
        std::swap(from, to);
        std::swap(from_line, to_line);
        inverted = true;
    }
    if (passed & 1) {
        x += static_cast<double>(im->x);
        y += static_cast<double>(im->y);
    }
    im->x = static_cast<float>(x);
    im->y = static_cast<float>(y);

    double cx = x, cy = y, r1 = x + radius;
    if (im->clipping_or_scaling == 2) {
        const auto sx = static_cast<double>(im->scaling_x), sy = static_cast<double>(im->scaling_y);
        const auto ox = static_cast<double>(im->scaling_offset_x), oy = static_cast<double>(im->scaling_offset_y);
        cx = x * sx + ox + im->view_offset_x;
        cy = y * sy + oy + im->view_offset_y;
        r1 = r1 * sx + ox + im->view_offset_x;
    } else if (im->clipping_or_scaling == 1) {
        cx += im->view_offset_x;
        cy += im->view_offset_y;
        r1 += im->view_offset_x;
    }
    const double radius_px = std::fabs(r1 - cx);
    double rx = radius_px, ry = radius_px;
    const double a = (passed & 16) ? aspect : facts_of(im->mode).aspect;
    if (a >= 0) {
        if (a < 1) ry = a * ry;
        if (a > 1) rx = rx / a;
    } else if (a > -1) {
        ry = (1 + a) * ry;
    }
    if (im->view_x1 > cx + rx + 0.5 || im->view_y1 > cy + ry + 0.5 || cx - rx - 0.5 > im->view_x2 ||
        cy - ry - 0.5 > im->view_y2)
        return;
    if (!(std::fabs(cx) <= LARGEST_COORDINATE && std::fabs(cy) <= LARGEST_COORDINATE &&
          radius_px <= LARGEST_COORDINATE && rx <= LARGEST_COORDINATE && ry <= LARGEST_COORDINATE))
        return;
    im->draw_color = colour = (passed & 2) ? colour : im->color;

    const outline shape{im, round_half_away(cx), round_half_away(cy), rx, ry, colour, arc{from, to, inverted}};
    const double steps = std::trunc(radius_px * TWO_PI / 4 + 0.5);
    if (from_line) shape.radius_line(from);
    if (steps <= MAX_TRACED_STEPS)
        shape.trace(static_cast<int64_t>(steps));
    else
        shape.chain(static_cast<int64_t>(CHAINED_STEPS));
    if (to_line) shape.radius_line(to);
}
