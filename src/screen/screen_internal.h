// Helpers shared by the screen statements.
#pragma once

#include <cmath>
#include <cstdint>

#include "libtq.h"
#include "screen/pages.h"
#include "screen/screen_modes.h"

// ---- start-up steps ----
void screen_init_fonts();    // built-in font metrics
void screen_init_images();   // the image table, indices 0 and 1 taken and not valid
void screen_init_palettes(); // default palettes and the mode-10 pseudo-colours
void screen_init_glyphs();   // the byte-per-pixel glyph tables from the program's bit rows

// ---- image records ----

// Frees an image's own pixels and palette, then its record.
void release_image(int32_t index);
// The index a negative handle names when it is valid, else 0 (no error raised).
int32_t valid_image_handle(int32_t handle);
// The text view an image's font gives it: rows 1 to the last row but one (at least row 1).
void reset_text_view(img_struct *im);
// The default foreground and background of the image's mode; drawing takes the foreground.
void set_default_colours(img_struct &im);

// ---- palettes ----

// Whether `colour` is a colour number the mode's palette registers take, and the palette entry
// it makes.
bool palette_colour_fits(const mode_facts &m, uint32_t colour);
uint32_t palette_entry_value(const mode_facts &m, uint32_t colour);

// ---- numbers ----

// Round to nearest, ties to even, as the processor converts a single to an integer: a value
// outside the 32-bit range (or not a number) gives -2,147,483,648.
inline int32_t round_single(float v) {
    const float rounded = std::nearbyint(v);
    if (!(rounded >= -2147483648.0f && rounded < 2147483648.0f)) return INT32_MIN;
    return static_cast<int32_t>(rounded);
}

// ---- pages and viewports ----

// Rows of text an image holds with `font`: its height for a text surface, else its pixel height
// divided by the glyph height (a height of 0 counting as 1).
inline int32_t text_rows(const img_struct *im, int32_t font) {
    if (im->text) return im->height;
    int32_t h = font_height_of(font);
    return im->height / (h > 0 ? h : 1);
}
inline int32_t text_columns(const img_struct *im, int32_t font) {
    if (im->text) return im->width;
    int32_t w = font_width_of(font);
    return im->width / (w > 0 ? w : 1);
}

struct pixel_rect {
    int32_t left, top, right, bottom;
};

// The image's viewport, kept within the page whatever the fields say. False when it holds no
// pixel at all.
inline bool viewport_of(const img_struct *im, pixel_rect &view) {
    view.left = im->view_x1 > 0 ? im->view_x1 : 0;
    view.top = im->view_y1 > 0 ? im->view_y1 : 0;
    view.right = im->view_x2 < im->width - 1 ? im->view_x2 : im->width - 1;
    view.bottom = im->view_y2 < im->height - 1 ? im->view_y2 : im->height - 1;
    return view.left <= view.right && view.top <= view.bottom;
}

// Program coordinates to pixels through the image's viewport origin and WINDOW mapping.
inline int32_t map_x(const img_struct *im, float x) {
    if (im->clipping_or_scaling == 0) return round_single(x);
    if (im->clipping_or_scaling == 2) x = x * im->scaling_x + im->scaling_offset_x;
    return static_cast<int32_t>(static_cast<uint32_t>(round_single(x)) + static_cast<uint32_t>(im->view_offset_x));
}
inline int32_t map_y(const img_struct *im, float y) {
    if (im->clipping_or_scaling == 0) return round_single(y);
    if (im->clipping_or_scaling == 2) y = y * im->scaling_y + im->scaling_offset_y;
    return static_cast<int32_t>(static_cast<uint32_t>(round_single(y)) + static_cast<uint32_t>(im->view_offset_y));
}

// ---- pixels ----

// The write page of a drawing statement. A text page has cells, not pixels: error 5, and null.
inline img_struct *drawing_page() {
    img_struct *im = write_page;
    if (!im->text) return im;
    error(5);
    return nullptr;
}

// The raw store of one pixel of `im` (no checks); text cells are left alone.
void pset_on(img_struct *im, int32_t px, int32_t py, uint32_t colour);

// Stores one colour into a 32-bit pixel with the image's blending rules.
void blend_store(const img_struct *im, uint32_t *at, uint32_t colour);

// The store of one pixel when the point is inside the image's viewport.
void pset_and_clip64(img_struct *im, int64_t px, int64_t py, uint32_t colour);
// An unstyled line between pixels, clipped to the image's viewport.
void fast_line64(img_struct *im, int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint32_t colour);

// ---- text ----

// The first byte-per-pixel row of a character's glyph in a built-in font (8 bytes a row, as many
// rows as the font is high), or null for a font without built-in glyphs. The code is cut to 8 bits.
const uint8_t *glyph_of(int32_t font, uint32_t code);

// Fills `count` text cells with spaces in `attribute` (7, grey on black, is a blank screen's).
inline void blank_cells(uint8_t *cells, size_t count, uint8_t attribute = 7) {
    for (size_t i = 0; i < count; i++) {
        cells[i * 2] = 32;
        cells[i * 2 + 1] = attribute;
    }
}

// The attribute byte of a text cell: background in bits 4-6, foreground in bits 0-3, and
// foreground values 16-31 set the blink bit.
inline uint8_t text_attribute(uint32_t foreground, uint32_t background) {
    return static_cast<uint8_t>((background << 4) | ((foreground & 15) + (foreground & 16) * 8));
}

// The largest grid of a text image: its cursor and text view are 16-bit columns and rows.
constexpr int32_t TEXT_IMAGE_GRID_MAX = INT16_MAX;

// The columns and rows the text cursor can address on `im` with its font: at least 1 each (a
// page smaller than one glyph still has a cursor cell) and at most what the 16-bit cursor fields
// hold.
inline int32_t cursor_columns(const img_struct *im) {
    const int32_t c = text_columns(im, im->font);
    return c < 1 ? 1 : c > INT16_MAX ? INT16_MAX : c;
}
inline int32_t cursor_rows(const img_struct *im) {
    const int32_t n = text_rows(im, im->font);
    return n < 1 ? 1 : n > INT16_MAX ? INT16_MAX : n;
}
