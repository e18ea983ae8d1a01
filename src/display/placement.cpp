// Placement of the frame in the window. Sizes and scales are worked in single-precision floats and
// truncated where they become pixels, which decides which window pixels a frame pixel covers.
#include "display/placement.h"

#include <cmath>
#include <cstdlib>

frame_placement place_frame(int32_t frame_w, int32_t frame_h, int32_t window_w, int32_t window_h, int32_t full_screen,
                            int32_t fullscreen_smooth, int32_t resize_auto) {
    frame_placement p{};
    bool scale_allowed = false, aspect_kept = false;
    if (full_screen > 0) {
        scale_allowed = true;
        aspect_kept = full_screen == 2;
        p.smooth = fullscreen_smooth;
    } else if (resize_auto > 0) {
        scale_allowed = true;
        if (resize_auto == 2) p.smooth = 1;
    }
    pixel_rect &c = p.covered;
    if (frame_w == window_w && frame_h == window_h) {
        c = {0, 0, frame_w - 1, frame_h - 1};
        p.smooth = 0;
    } else {
        const float window_aspect = static_cast<float>(window_w) / static_cast<float>(window_h);
        const float frame_aspect = static_cast<float>(frame_w) / static_cast<float>(frame_h);
        if (!scale_allowed) {
            c = {0, 0, frame_w - 1, frame_h - 1};
        } else if (!aspect_kept || window_aspect == frame_aspect) {
            c = {0, 0, window_w - 1, window_h - 1};
        } else if (window_aspect > frame_aspect) { // the window is relatively wider: bars left and right
            const auto width = static_cast<int32_t>(static_cast<float>(window_h) * frame_aspect);
            c.x1 = window_w / 2 - width / 2;
            c.x2 = c.x1 + width - 1;
            c.y1 = 0;
            c.y2 = window_h - 1;
            p.letterbox = 1;
        } else { // relatively taller: bars above and below
            const auto height = static_cast<int32_t>(static_cast<float>(window_w) / frame_aspect);
            c.y1 = window_h / 2 - height / 2;
            c.y2 = c.y1 + height - 1;
            c.x1 = 0;
            c.x2 = window_w - 1;
            p.letterbox = 2;
        }
    }
    p.scaled_width = c.x2 - c.x1 + 1;
    p.scaled_height = c.y2 - c.y1 + 1;
    p.x_scale = static_cast<float>(p.scaled_width) / static_cast<float>(frame_w ? frame_w : 1);
    p.y_scale = static_cast<float>(p.scaled_height) / static_cast<float>(frame_h ? frame_h : 1);
    return p;
}

pixel_rect frame_rect_to_window(const frame_placement &placement, pixel_rect frame) {
    const float xs = placement.x_scale, ys = placement.y_scale;
    pixel_rect w;
    w.x1 = static_cast<int32_t>(std::nearbyint(static_cast<float>(frame.x1) * xs)) + placement.covered.x1;
    w.y1 = static_cast<int32_t>(std::nearbyint(static_cast<float>(frame.y1) * ys)) + placement.covered.y1;
    // A size that is a whisker short of a whole pixel still covers it.
    const auto width = static_cast<int32_t>(static_cast<float>(std::abs(frame.x2 - frame.x1) + 1) * xs + 0.99f);
    const auto height = static_cast<int32_t>(static_cast<float>(std::abs(frame.y2 - frame.y1) + 1) * ys + 0.99f);
    w.x2 = w.x1 + width - 1;
    w.y2 = w.y1 + height - 1;
    return w;
}

letterbox_bars letterbox_bars_of(const frame_placement &placement, int32_t frame_w, int32_t frame_h, int32_t window_w,
                                 int32_t window_h) {
    if (placement.letterbox == 1) {
        const float xs = placement.x_scale;
        const int32_t x1 = placement.covered.x1;
        const auto left = static_cast<int32_t>(static_cast<float>(-x1) / xs - 1.0f);
        const auto right = static_cast<int32_t>(static_cast<float>(window_w - x1 - 1) / xs + 1.0f);
        return {{left, 0, -1, frame_h - 1}, {frame_w, 0, right, frame_h - 1}};
    }
    const float ys = placement.y_scale;
    const int32_t y1 = placement.covered.y1;
    const auto top = static_cast<int32_t>(static_cast<float>(-y1) / ys - 1.0f);
    const auto bottom = static_cast<int32_t>(static_cast<float>(window_h - y1 - 1) / ys + 1.0f);
    return {{0, top, frame_w - 1, -1}, {0, frame_h, frame_w - 1, bottom}};
}

window_size fit_window_to_aspect(int32_t width, int32_t height, int32_t previous_width, int32_t previous_height,
                                 float aspect) {
    bool keep_height;
    if (height == previous_height)
        keep_height = false;
    else if (width == previous_width)
        keep_height = true;
    else
        keep_height = std::abs(height - previous_height) >= std::abs(width - previous_width);
    if (keep_height) return {static_cast<int32_t>(static_cast<float>(height) * aspect), height};
    return {width, static_cast<int32_t>(static_cast<float>(width) / aspect)};
}

texture_span texture_span_of(int32_t from, int32_t to, int32_t size) {
    const float fsize = static_cast<float>(size);
    if (from <= to) return {(static_cast<float>(from) + 0.01f) / fsize, (static_cast<float>(to) + 0.99f) / fsize};
    return {(static_cast<float>(from) + 0.99f) / fsize, (static_cast<float>(to) + 0.01f) / fsize};
}
