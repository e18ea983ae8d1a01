// CLS: clears the write page, or part of it, and puts the text cursor at the top of the text view
// and the graphics cursor at the centre of the viewport. Method 0 clears the whole page, method 1
// the graphics viewport, method 2 the text view; without a method, a text page clears its text
// view and its last row, a pixel page its viewport.
#include <cstring>

#include "libtq.h"
#include "screen/screen_internal.h"

namespace {

void fill_cells(img_struct *im, int64_t first_row, int64_t last_row, uint8_t attribute) {
    if (first_row < 1) first_row = 1;
    if (last_row > im->height) last_row = im->height;
    for (int64_t row = first_row; row <= last_row; row++)
        blank_cells(im->pixels + static_cast<size_t>(row - 1) * im->width * 2, im->width, attribute);
}

// Stores `fill` into whole pixel rows first..end-1 as it is, without blending.
void fill_pixel_rows(img_struct *im, int64_t first, int64_t end, uint32_t fill) {
    if (first < 0) first = 0;
    if (end > im->height) end = im->height;
    if (first >= end) return;
    const size_t count = static_cast<size_t>(end - first) * im->width;
    if (im->bytes_per_pixel == 4) {
        uint32_t *p = reinterpret_cast<uint32_t *>(im->pixels) + static_cast<size_t>(first) * im->width;
        for (size_t i = 0; i < count; i++) p[i] = fill;
    } else {
        std::memset(im->pixels + static_cast<size_t>(first) * im->width, static_cast<uint8_t>(fill), count);
    }
}

void redraw_key_line() {
    key_display_redraw = 1;
    key_update();
}

// A fill colour the image cannot hold, or a method other than 0, 1 or 2.
bool cls_refused(const img_struct &im, int32_t method, uint32_t fill_colour, int32_t passed) {
    return ((passed & 2) && im.bits_per_pixel != 32 && fill_colour > im.mask) ||
           ((passed & 1) && (method < 0 || method > 2));
}

} // namespace

void sub_cls(int32_t method, uint32_t fill_colour, int32_t passed) {
    if (new_error) return;
    img_struct *im = write_page;
    const bool method_given = passed & 1;
    if (!(passed & 2)) fill_colour = im->background_color;
    if (cls_refused(*im, method, fill_colour, passed)) {
        error(5);
        return;
    }
    im->cursor_x = 1;
    im->cursor_y = im->top_row;
    im->cursor_held = 0; // the cursor is placed anew; no line break is owed there
    im->draw_angle = 0;
    im->draw_scale = 1.0;
    const uint8_t attribute = text_attribute(im->color, fill_colour & 7);

    if (!method_given) {
        if (im->text) {
            fill_cells(im, im->top_row, im->bottom_row, attribute);
            fill_cells(im, im->height, im->height, attribute);
            redraw_key_line();
            return;
        }
        method = 1;
    }
    switch (method) {
    case 0:
        if (im->text) {
            fill_cells(im, 1, im->height, attribute);
            redraw_key_line();
            return;
        }
        fill_pixel_rows(im, 0, im->height, fill_colour);
        break;
    case 1:
        if (im->text) break;
        if (im->clipping_or_scaling)
            tq32_boxfill(im->window_x1, im->window_y1, im->window_x2, im->window_y2, fill_colour);
        else
            fill_pixel_rows(im, 0, im->height, fill_colour);
        break;
    default: // 2
        if (im->text) {
            fill_cells(im, im->top_row, im->bottom_row, attribute);
            return;
        }
        {
            const int64_t gh = font_height_of(im->font) > 0 ? font_height_of(im->font) : 1;
            fill_pixel_rows(im, (im->top_row - 1) * gh, im->bottom_row * gh, fill_colour);
        }
        return;
    }
    // The graphics cursor goes to the centre of the viewport, in the program's coordinates.
    const float half_width = static_cast<float>(im->view_x2 - im->view_x1 + 1) / 2;
    const float half_height = static_cast<float>(im->view_y2 - im->view_y1 + 1) / 2;
    if (im->clipping_or_scaling == 2) {
        im->x = (half_width - im->scaling_offset_x) / im->scaling_x;
        im->y = (half_height - im->scaling_offset_y) / im->scaling_y;
    } else {
        im->x = half_width;
        im->y = half_height;
    }
    redraw_key_line();
}

void sub_clsDest(int32_t method, uint32_t fill_colour, int32_t destination, int32_t passed) {
    if (new_error) return;
    if (!(passed & 4)) {
        sub_cls(method, fill_colour, passed & 3);
        return;
    }
    // The arguments are checked against the image before a missing page is made for it.
    const img_struct *target = image_of_handle_unmade(destination);
    if (target && cls_refused(*target, method, fill_colour, passed & 3)) {
        error(5);
        return;
    }
    const int32_t index = image_of_handle(destination, 258);
    if (!index) return;
    const int32_t saved_index = write_page_index;
    set_write_page(index);
    sub_cls(method, fill_colour, passed & 3);
    set_write_page(saved_index);
}
