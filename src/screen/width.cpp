// WIDTH: the text grid of the screen, the size of a 32-bit or 256-colour image, and the printer's
// line width.
//
// A text screen changes its grid by being rebuilt with the new columns, rows and font. A pixel
// screen keeps its size and changes its font when the rows asked for fit its height in 8-, 14- or
// 16-pixel glyphs; rows that fit no font turn it into a text screen with that grid. A 32-bit or
// 256-colour image is resized to hold the grid asked for in its font.
#include <cstdlib>
#include <cstring>

#include "libtq.h"
#include "screen/screen_internal.h"

namespace {

// The largest text grid of a text screen: the adapter's BIOS keeps columns and rows in a byte.
constexpr int32_t TEXT_GRID_LIMIT = 255;

// The image a screen WIDTH works on: page 0 for a screen page (the other pages go), else the
// write page itself.
int32_t width_target() { return (write_page->flags & IMG_FLAG_SCREEN_PAGE) ? page[0] : write_page_index; }

void text_screen_width(bool columns_given, int32_t columns, bool rows_given, int32_t rows) {
    const img_struct *im = write_page;
    // Only the screen is rebuilt; an off-screen text image has no grid of its own to change to.
    if (!(im->flags & IMG_FLAG_SCREEN_PAGE)) {
        error(5);
        return;
    }
    if (!columns_given) columns = im->width;
    if (!rows_given) rows = im->height;
    if (columns > TEXT_GRID_LIMIT || rows > TEXT_GRID_LIMIT) {
        error(5);
        return;
    }
    const int32_t font = text_screen_font(columns, rows);
    if (font == im->font && columns == im->width && rows == im->height) return;
    sub_screen_width_in_characters = columns;
    sub_screen_height_in_characters = rows;
    sub_screen_font = font;
    tqg_screen(0, 0, 0, 0, 0, 1);
}

void resize_image(bool columns_given, int32_t columns, bool rows_given, int32_t rows) {
    const bool screen = write_page->flags & IMG_FLAG_SCREEN_PAGE;
    const int32_t index = width_target();
    img_struct *im = &img[index];
    const int64_t gw = font_width_of(im->font) > 0 ? font_width_of(im->font) : 1;
    const int64_t gh = font_height_of(im->font) > 0 ? font_height_of(im->font) : 1;
    const int64_t width = columns_given ? columns * gw : im->width;
    const int64_t height = rows_given ? rows * gh : im->height;
    if (width > 65535 || height > 65535) { // the record keeps its size in 16 bits
        error(5);
        return;
    }
    if (width == im->width && height == im->height) return;
    const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * im->bytes_per_pixel;
    uint8_t *buffer = nullptr;
    if (im->flags & IMG_FLAG_OWNS_PIXELS) {
        buffer = static_cast<uint8_t *>(std::calloc(bytes, 1));
        if (!buffer) {
            error(7);
            return;
        }
    } else if (bytes > static_cast<size_t>(im->width) * im->height * im->bytes_per_pixel) {
        // Somebody else's memory cannot grow under the image.
        error(5);
        return;
    }
    const bool locked = screen && display_lock_take();
    if (screen) release_pages_but_first();
    const uint32_t color = im->color, background = im->background_color;
    const int32_t font = im->font;
    if (buffer) {
        std::free(im->pixels);
        im->pixels = buffer;
    } else {
        std::memset(im->pixels, 0, bytes);
    }
    im->width = static_cast<uint16_t>(width);
    im->height = static_cast<uint16_t>(height);
    imgrevert(index);
    im->color = color;
    im->background_color = background;
    selectfont(font, im);
    if (screen) screen_last_valid.store(0);
    if (locked) display_lock_release();
}

// The font a pixel screen takes for the rows and columns asked for, or 0 when they fit none of
// its fonts. Every pixel screen has the 8x8 font; the EGA's and VGA's screens also their own
// taller one (8x14, 8x16). On its own 350-line screen the EGA gives 43 rows of the 8x8 font.
int32_t pixel_screen_font(const img_struct *im, bool columns_given, int32_t columns, bool rows_given, int32_t rows) {
    const mode_facts &m = facts_of(im->mode);
    if (columns_given && static_cast<int64_t>(columns) * 8 != im->width) return 0;
    if (!rows_given) return im->font == 8 ? 8 : m.font;
    const int64_t n = rows;
    if (n * 8 == im->height || (im->height == m.height && n == m.height / 8)) return 8;
    if (n * builtin_font_cell(m.font).height == im->height) return m.font;
    return 0;
}

void pixel_screen_width(bool columns_given, int32_t columns, bool rows_given, int32_t rows) {
    img_struct *im = write_page;
    const int32_t font = pixel_screen_font(im, columns_given, columns, rows_given, rows);
    if (!font) {
        // A grid no font of this screen gives: the screen becomes a text screen with it.
        if (!(im->flags & IMG_FLAG_SCREEN_PAGE) || (rows_given && rows != 25 && rows != 43 && rows != 50) ||
            (columns_given && columns != 40 && columns != 80)) {
            error(5);
            return;
        }
        sub_screen_width_in_characters = columns_given ? columns : -1;
        sub_screen_height_in_characters = rows_given ? rows : -1;
        sub_screen_font = -1;
        tqg_screen(0, 0, 0, 0, 0, 1);
        return;
    }
    if (font == im->font) return;
    const uint32_t color = im->color, background = im->background_color;
    if (facts_of(im->mode).font != 8) {
        // An EGA or VGA screen between its two fonts: the WINDOW survives the new grid, the
        // viewport does not.
        const float x1 = im->window_x1, y1 = im->window_y1, x2 = im->window_x2, y2 = im->window_y2;
        imgrevert(write_page_index);
        tqg_sub_window(x1, y1, x2, y2, 1 | 2);
        im->clipping_or_scaling = 0;
    } else {
        // An older screen back to its 8x8 font from another one: its other pages go.
        if (im->flags & IMG_FLAG_SCREEN_PAGE) {
            release_pages_but_first();
            im = write_page;
        }
        imgrevert(write_page_index);
    }
    im->color = color;
    im->background_color = background;
    selectfont(font, im);
}

} // namespace

void tqsub_width(int32_t device, int32_t columns, int32_t rows, int32_t console_columns, int32_t console_rows,
                 int32_t passed) {
    (void)console_columns; // the console window's size belongs to the console image
    (void)console_rows;
    if (new_error) return;
    if (device == 2) {
        if (passed != 1 || columns < 1 || columns > 255) {
            error(5);
            return;
        }
        return; // nothing is printed, so the printer's line width is checked and not kept
    }
    if (device != 0) {
        error(5);
        return;
    }
    width8050switch = 0;
    const bool columns_given = passed & 1, rows_given = passed & 2;
    if ((!columns_given && !rows_given) || (columns_given && columns < 1) || (rows_given && rows < 1)) {
        error(5);
        return;
    }
    const img_struct *im = write_page;
    if (im->text)
        text_screen_width(columns_given, columns, rows_given, rows);
    else if (!facts_of(im->mode).screen())
        resize_image(columns_given, columns, rows_given, rows);
    else
        pixel_screen_width(columns_given, columns, rows_given, rows);
}
