// VIEW: the graphics viewport that clips drawing, with or without its own origin.
#include <algorithm>

#include "libtq.h"
#include "screen/screen_internal.h"

void tqg_sub_view(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t fill, uint32_t border, int32_t passed) {
    if (new_error) return;
    img_struct *im = drawing_page();
    if (!im) return;
    const bool coordinates = passed & 1;
    if (coordinates) {
        if (x1 < 0 || x2 < 0 || y1 < 0 || y2 < 0 || x1 >= im->width || x2 >= im->width || y1 >= im->height ||
            y2 >= im->height) {
            error(5);
            return;
        }
    } else if (passed & (2 | 4 | 8)) {
        error(5);
        return;
    }
    im->draw_angle = 0;
    im->draw_scale = 1.0;
    if (coordinates) {
        im->view_x1 = std::min(x1, x2);
        im->view_x2 = std::max(x1, x2);
        im->view_y1 = std::min(y1, y2);
        im->view_y2 = std::max(y1, y2);
        const bool screen_origin = passed & 2;
        im->view_offset_x = screen_origin ? 0 : im->view_x1;
        im->view_offset_y = screen_origin ? 0 : im->view_y1;
        if (im->clipping_or_scaling == 0) im->clipping_or_scaling = 1;
    } else {
        im->view_x1 = 0;
        im->view_y1 = 0;
        im->view_x2 = im->width - 1;
        im->view_y2 = im->height - 1;
        im->view_offset_x = 0;
        im->view_offset_y = 0;
        if (im->clipping_or_scaling == 1) im->clipping_or_scaling = 0;
    }
    if (im->clipping_or_scaling == 2) {
        // The WINDOW keeps its corners and is spread over the new viewport, as WINDOW itself
        // would spread it: relative to the viewport's origin.
        im->scaling_x = static_cast<float>(im->view_x2 - im->view_x1) / (im->window_x2 - im->window_x1);
        im->scaling_y = static_cast<float>(im->view_y2 - im->view_y1) / (im->window_y2 - im->window_y1);
        im->scaling_offset_x = -im->window_x1 * im->scaling_x;
        im->scaling_offset_y = -im->window_y1 * im->scaling_y;
        if (im->window_y2 < im->window_y1)
            im->scaling_offset_y = -im->window_y2 * im->scaling_y + static_cast<float>(im->view_y2 - im->view_y1);
    }
    if (passed & 4) tq32_boxfill(im->window_x1, im->window_y1, im->window_x2, im->window_y2, fill);
    if (passed & 8) {
        const int32_t left = im->view_x1 - 1, top = im->view_y1 - 1;
        const int32_t right = im->view_x2 + 1, bottom = im->view_y2 + 1;
        auto frame_pixel = [&](int32_t x, int32_t y) {
            if (x >= 0 && y >= 0 && x < im->width && y < im->height) pset_on(im, x, y, border);
        };
        for (int32_t x = left; x <= right; x++) {
            frame_pixel(x, top);
            frame_pixel(x, bottom);
        }
        for (int32_t y = top + 1; y < bottom; y++) {
            frame_pixel(left, y);
            frame_pixel(right, y);
        }
    }
}
