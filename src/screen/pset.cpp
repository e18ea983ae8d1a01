// The raw pixel store, and the PSET and PRESET statements.
#include "libtq.h"
#include "screen/screen_internal.h"

void pset_on(img_struct *im, int32_t px, int32_t py, uint32_t colour) {
    const size_t at = static_cast<size_t>(py) * im->width + static_cast<size_t>(px);
    if (im->bytes_per_pixel == 1)
        im->pixels[at] = static_cast<uint8_t>(colour & im->mask);
    else if (im->bytes_per_pixel == 4)
        blend_store(im, reinterpret_cast<uint32_t *>(im->pixels) + at, colour);
}

void pset(int32_t px, int32_t py, uint32_t colour) { pset_on(write_page, px, py, colour); }

void pset_and_clip64(img_struct *im, int64_t px, int64_t py, uint32_t colour) {
    pixel_rect view;
    if (!viewport_of(im, view)) return;
    if (px < view.left || px > view.right || py < view.top || py > view.bottom) return;
    pset_on(im, static_cast<int32_t>(px), static_cast<int32_t>(py), colour);
}

void pset_and_clip(int32_t px, int32_t py, uint32_t colour) { pset_and_clip64(write_page, px, py, colour); }

namespace {

void point_statement(float x, float y, uint32_t colour, int32_t passed, bool background) {
    if (new_error) return;
    img_struct *im = drawing_page();
    if (!im) return;
    if (passed & 1) {
        x += im->x;
        y += im->y;
    }
    im->x = x;
    im->y = y;
    if (!(passed & 2)) colour = background ? im->background_color : im->color;
    im->draw_color = colour;
    const int32_t px = map_x(im, x), py = map_y(im, y);
    if (im->clipping_or_scaling == 0) {
        if (px < 0 || py < 0 || px >= im->width || py >= im->height) return;
        pset(px, py, colour);
        return;
    }
    pset_and_clip(px, py, colour);
}

} // namespace

void sub_pset(float x, float y, uint32_t colour, int32_t passed) { point_statement(x, y, colour, passed, false); }
void sub_preset(float x, float y, uint32_t colour, int32_t passed) { point_statement(x, y, colour, passed, true); }
