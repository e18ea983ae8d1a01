// POINT: the colour stored at a point of the read page, or where the graphics cursor stands.
#include "libtq.h"
#include "screen/screen_internal.h"

int64_t point(int32_t px, int32_t py) {
    const img_struct *im = read_page;
    if (im->text || px < 0 || py < 0 || px >= im->width || py >= im->height) return -1;
    const size_t at = static_cast<size_t>(py) * im->width + static_cast<size_t>(px);
    if (im->bytes_per_pixel == 1) return im->pixels[at] & im->mask;
    return reinterpret_cast<const uint32_t *>(im->pixels)[at];
}

double func_point(float x, float y, int32_t passed) {
    if (new_error) return 0;
    if (passed & 1) {
        // POINT(x, y): the read page, through its own viewport and mapping.
        const img_struct *im = read_page;
        if (im->text) {
            error(5);
            return 0;
        }
        const int32_t px = map_x(im, x), py = map_y(im, y);
        pixel_rect view;
        if (!viewport_of(im, view) || px < view.left || px > view.right || py < view.top || py > view.bottom) return -1;
        return static_cast<double>(point(px, py));
    }
    // POINT(n): the graphics cursor of the write page.
    const img_struct *im = drawing_page();
    if (!im) return 0;
    const bool mapped = im->clipping_or_scaling == 2;
    switch (round_single(x)) {
    case 0: return round_single(mapped ? im->x * im->scaling_x + im->scaling_offset_x : im->x);
    case 1: return round_single(mapped ? im->y * im->scaling_y + im->scaling_offset_y : im->y);
    case 2: return static_cast<double>(im->x);
    case 3: return static_cast<double>(im->y);
    default: error(5); return 0;
    }
}
