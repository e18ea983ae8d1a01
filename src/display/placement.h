// Where a frame lies in the window: the arithmetic of scaling, letterboxing and mapping frame
// pixels to window pixels, on sizes alone. The presenter (window thread) applies it; nothing here
// keeps state or draws.
#pragma once

#include <cstdint>

// A rectangle of pixels, inclusive at both ends.
struct pixel_rect {
    int32_t x1, y1, x2, y2;
};

// How a frame is drawn into a window.
struct frame_placement {
    pixel_rect covered;                  // the window pixels the frame covers
    int32_t scaled_width, scaled_height; // the frame's size on the window
    float x_scale, y_scale;              // window pixels per frame pixel
    int32_t smooth;                      // 1: drawn with linear filtering
    int32_t letterbox;                   // 0 no bars; 1 bars left and right; 2 above and below
};

// The placement of a `frame_w` x `frame_h` frame in a `window_w` x `window_h` window. A frame of
// the window's size fills it as it is. Otherwise the frame is scaled only in full screen
// (`full_screen` 1 stretched, 2 with square pixels, its aspect kept between black bars) or while
// the user may resize the window with scaling (`resize_auto` 1, or 2 smoothed); else it is drawn
// unscaled at the top-left corner, cut where the window ends. `fullscreen_smooth` smooths full
// screen.
frame_placement place_frame(int32_t frame_w, int32_t frame_h, int32_t window_w, int32_t window_h, int32_t full_screen,
                            int32_t fullscreen_smooth, int32_t resize_auto);

// The window pixels covered by a rectangle of frame pixels, from its top-left corner.
pixel_rect frame_rect_to_window(const frame_placement &placement, pixel_rect frame);

// The two black bars beside a letterboxed frame, in frame coordinates: they lie outside the frame
// and are drawn with its scale, reaching a pixel past each window edge. Left then right, or top
// then bottom.
struct letterbox_bars {
    pixel_rect first, second;
};
letterbox_bars letterbox_bars_of(const frame_placement &placement, int32_t frame_w, int32_t frame_h, int32_t window_w,
                                 int32_t window_h);

// The window size that gives a window the user has just resized the frame's aspect `aspect` again
// (width over height). The dimension the user changed is kept: the width when the height stayed,
// also when neither changed; the height when the width stayed; else the one that changed more, the
// height on a tie.
struct window_size {
    int32_t width, height;
};
window_size fit_window_to_aspect(int32_t width, int32_t height, int32_t previous_width, int32_t previous_height,
                                 float aspect);

// The texture coordinates of the ends of a span of texels `from` to `to` (either order) in a
// texture `size` texels across: each end maps to a point just inside its texel, so that every
// texel of the span is drawn and none beside it.
struct texture_span {
    float from, to;
};
texture_span texture_span_of(int32_t from, int32_t to, int32_t size);
