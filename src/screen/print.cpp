// PRINT: text output at the cursor of the write page. A character is a cell of character code and
// attribute on a text page and a glyph of the built-in fonts on a pixel page. The cursor moves
// right, wraps at the right edge and scrolls the text view (top_row to bottom_row) when it leaves
// its bottom. A character that fills the last column at the end of a PRINT ending in ; leaves the
// line break owed (cursor_held) until the next output pays it, so that a full row does not scroll
// the screen before anything else is printed.
#include <cstring>

#include "libtq.h"
#include "screen/screen_internal.h"

int32_t no_control_characters = 0;
int32_t no_control_characters2 = 0;

namespace {

constexpr uint8_t SPACE = 32;

int32_t glyph_width(const img_struct *im) {
    const int32_t w = font_width_of(im->font);
    return w > 0 ? w : 1;
}
int32_t glyph_height(const img_struct *im) {
    const int32_t h = font_height_of(im->font);
    return h > 0 ? h : 1;
}

// One glyph, 8 pixels wide and `rows` high, with its top-left pixel at (x0, y0) of a pixel page.
// Text positions keep glyphs on the page; a page smaller than one glyph is cut at its edges.
inline void draw_glyph(img_struct *im, const uint8_t *glyph, int64_t x0, int64_t y0, int32_t rows) {
    if (x0 < 0 || y0 < 0 || x0 >= im->width || y0 >= im->height) return;
    const int32_t columns = static_cast<int32_t>(im->width - x0 < 8 ? im->width - x0 : 8);
    if (im->height - y0 < rows) rows = static_cast<int32_t>(im->height - y0);
    const uint8_t mode = im->print_mode;
    if (im->bytes_per_pixel == 1) {
        const uint64_t fg = 0x0101010101010101ull * (im->color & im->mask & 0xFF);
        const uint64_t bg = 0x0101010101010101ull * (im->background_color & im->mask & 0xFF);
        const size_t pitch = im->width;
        uint8_t *out = im->pixels + static_cast<size_t>(y0) * pitch + static_cast<size_t>(x0);
        if (columns == 8) {
            // Glyph bytes are 0 or 255, so a whole row of 8 is a mask of its foreground pixels.
            uint64_t bits, old;
            if (mode == 1) {
                for (int32_t r = 0; r < rows; r++, out += pitch) {
                    std::memcpy(&bits, glyph + r * 8, 8);
                    std::memcpy(&old, out, 8);
                    old = old ^ ((old ^ fg) & bits);
                    std::memcpy(out, &old, 8);
                }
            } else if (mode == 2) {
                for (int32_t r = 0; r < rows; r++, out += pitch) {
                    std::memcpy(&bits, glyph + r * 8, 8);
                    std::memcpy(&old, out, 8);
                    old = bg ^ ((old ^ bg) & bits);
                    std::memcpy(out, &old, 8);
                }
            } else {
                const uint64_t difference = fg ^ bg;
                for (int32_t r = 0; r < rows; r++, out += pitch) {
                    std::memcpy(&bits, glyph + r * 8, 8);
                    const uint64_t row = bg ^ (bits & difference);
                    std::memcpy(out, &row, 8);
                }
            }
            return;
        }
        for (int32_t r = 0; r < rows; r++, out += pitch) {
            const uint8_t *g = glyph + r * 8;
            for (int32_t x = 0; x < columns; x++) {
                if (g[x] ? mode != 2 : mode != 1) out[x] = static_cast<uint8_t>(g[x] ? fg : bg);
            }
        }
        return;
    }
    if (im->bytes_per_pixel != 4) return;
    for (int32_t r = 0; r < rows; r++) {
        uint32_t *out = reinterpret_cast<uint32_t *>(im->pixels) + (static_cast<size_t>(y0) + r) * im->width +
                        static_cast<size_t>(x0);
        const uint8_t *g = glyph + r * 8;
        for (int32_t x = 0; x < columns; x++) {
            if (g[x]) {
                if (mode != 2) blend_store(im, out + x, im->color);
            } else if (mode != 1) {
                blend_store(im, out + x, im->background_color);
            }
        }
    }
}

// One character at the cursor of `im`: a cell of a text page, a glyph on a pixel page.
inline void draw_character(img_struct *im, uint32_t code) {
    const int64_t column = im->cursor_x - 1, row = im->cursor_y - 1;
    if (im->text) {
        if (column < 0 || row < 0 || column >= im->width || row >= im->height) return;
        uint8_t *cell = im->pixels + (static_cast<size_t>(row) * im->width + static_cast<size_t>(column)) * 2;
        cell[0] = static_cast<uint8_t>(code);
        cell[1] = text_attribute(im->color, im->background_color);
        return;
    }
    const uint8_t *glyph = glyph_of(im->font, code);
    if (!glyph) return;
    draw_glyph(im, glyph, glyph_width(im) * column, glyph_height(im) * row, font_height_of(im->font));
}

// Moves the rows of the text view up by one text row and clears its last row.
void scroll_text_view(img_struct *im) {
    const int64_t top = im->top_row > 1 ? im->top_row : 1;
    if (im->text) {
        const int64_t bottom = im->bottom_row < im->height ? im->bottom_row : im->height;
        if (top > bottom) return;
        const size_t row_bytes = static_cast<size_t>(im->width) * 2;
        uint8_t *first = im->pixels + static_cast<size_t>(top - 1) * row_bytes;
        std::memmove(first, first + row_bytes, static_cast<size_t>(bottom - top) * row_bytes);
        uint8_t *last = im->pixels + static_cast<size_t>(bottom - 1) * row_bytes;
        blank_cells(last, im->width, text_attribute(im->color, im->background_color));
        return;
    }
    // In pixel rows: the view runs from `start` to `end` (exclusive), cut at the page's bottom.
    const int64_t gh = glyph_height(im);
    const int64_t start = (top - 1) * gh;
    int64_t end = static_cast<int64_t>(im->bottom_row) * gh;
    if (end > im->height) end = im->height;
    if (start >= end) return;
    const size_t row_bytes = static_cast<size_t>(im->width) * im->bytes_per_pixel;
    uint8_t *band = im->pixels + static_cast<size_t>(start) * row_bytes;
    if (end - start > gh) std::memmove(band, band + gh * row_bytes, static_cast<size_t>(end - start - gh) * row_bytes);
    const int64_t clear_from = end - gh > start ? end - gh : start;
    uint8_t *clear = im->pixels + static_cast<size_t>(clear_from) * row_bytes;
    const size_t clear_bytes = static_cast<size_t>(end - clear_from) * row_bytes;
    if (im->bytes_per_pixel == 4) {
        auto *pixels = reinterpret_cast<uint32_t *>(clear);
        for (size_t i = 0; i < clear_bytes / 4; i++) pixels[i] = im->background_color;
    } else {
        std::memset(clear, static_cast<uint8_t>(im->background_color), clear_bytes);
    }
}

// Prints one character and advances; returns true when the cursor wrapped to a new line. At the
// right edge the last character of a text that ends without a line break leaves the break owed.
// `columns` is the page's cursor_columns.
inline bool put_character(img_struct *im, uint8_t code, int32_t columns, bool last, bool line_break) {
    draw_character(im, code);
    const int32_t next = im->cursor_x + 1;
    if (next <= columns) {
        im->cursor_x = static_cast<int16_t>(next);
        return false;
    }
    if (line_break || !last) {
        newline();
        return true;
    }
    im->cursor_x = static_cast<int16_t>(columns);
    im->cursor_held = 1;
    return false;
}

// Width in pixels of `length` characters on `image` (cells on a text page).
int64_t printwidth_of(const img_struct *image, int64_t length) {
    if (length <= 0) return 0;
    if (image->text) return length;
    return static_cast<int64_t>(font_width_of(image->font)) * length;
}

} // namespace

void printchr(uint32_t code) { draw_character(write_page, code); }

void newline() {
    img_struct *im = write_page;
    const int32_t next = im->cursor_y + 1;
    im->cursor_x = 1;
    if (next <= im->bottom_row) {
        im->cursor_y = static_cast<int16_t>(next);
        return;
    }
    scroll_text_view(im);
    im->cursor_y = im->bottom_row;
}

void print_bytes(const uint8_t *bytes, int32_t length, int32_t newline_after) {
    if (new_error) return;
    img_struct *im = write_page;
    const bool line_break = newline_after != 0;
    if (im->cursor_held) {
        if (length > 0) {
            im->cursor_held = 0;
            newline();
        } else if (line_break) {
            im->cursor_held = 0;
        }
    }
    // Nothing a character does changes the page's font, so its grid holds for the whole text.
    const int32_t columns = cursor_columns(im);
    bool wrapped = false;
    for (int32_t i = 0; i < length; i++) {
        const uint8_t code = bytes[i];
        const bool last = i == length - 1;
        wrapped = false;
        if (code < 32 && !no_control_characters && !no_control_characters2) {
            const int32_t x = im->cursor_x, y = im->cursor_y;
            switch (code) {
            case 28: // right; from the last column onto the next row, never past the view's last cell
                if (y < im->bottom_row || x < columns) {
                    if (x + 1 > columns) {
                        im->cursor_x = 1;
                        im->cursor_y = static_cast<int16_t>(y + 1);
                    } else {
                        im->cursor_x = static_cast<int16_t>(x + 1);
                    }
                }
                continue;
            case 29: // left; from column 1 onto the end of the previous row, never above the view
                if ((y > im->top_row && y <= im->bottom_row) || x != 1) {
                    if (x - 1 < 1) {
                        im->cursor_x = static_cast<int16_t>(columns);
                        im->cursor_y = static_cast<int16_t>(y - 1);
                    } else {
                        im->cursor_x = static_cast<int16_t>(x - 1);
                    }
                }
                continue;
            case 30: // up, within the view
                if (im->top_row < y && y <= im->bottom_row) im->cursor_y = static_cast<int16_t>(y - 1);
                continue;
            case 31: // down, within the view
                if (im->top_row <= y && y < im->bottom_row) im->cursor_y = static_cast<int16_t>(y + 1);
                continue;
            case 12: sub_cls(0, 0, 0); continue;
            case 11:
                im->cursor_x = 1;
                im->cursor_y = im->top_row;
                continue;
            case 9: {
                // Spaces up to the next column of the form 8k + 1, at least one. The right edge ends
                // the tab: on the next row's column 1 (itself such a column), or on the last column
                // with the break owed, where the cursor cannot move further.
                int32_t before;
                do {
                    before = im->cursor_x;
                    wrapped = put_character(im, SPACE, columns, last, line_break);
                } while (before % 8 != 0 && !im->cursor_held && !wrapped);
                continue;
            }
            case 7: continue; // the bell sounds; nothing is printed
            case 10:
            case 13: newline(); continue;
            default: break;
            }
        }
        wrapped = put_character(im, code, columns, last, line_break);
    }
    if (line_break && !wrapped) newline();
}

void makefit_length(int64_t length) {
    img_struct *im = write_page;
    if (im->cursor_held || im->cursor_x == 1) return;
    int64_t end;
    if (im->text)
        end = im->cursor_x + length - 1;
    else
        end = printwidth_of(im, length) + static_cast<int64_t>(glyph_width(im)) * (im->cursor_x - 1);
    if (end > im->width) newline();
}

void tab() {
    if (new_error) return;
    img_struct *im = write_page;
    if (im->cursor_held) {
        newline();
        im->cursor_held = 0;
        return;
    }
    // Print zones start every 14 columns; a zone needs 14 columns of room to be used.
    const int32_t columns = cursor_columns(im);
    do {
        print_bytes(&SPACE, 1, 0);
    } while (im->cursor_x != 1 && !((im->cursor_x - 1) % 14 == 0 && im->cursor_x <= columns - 13) &&
             im->cursor_x < columns);
}

void tqs_print(tqs *text, int32_t newline_after) {
    if (!text) return;
    print_bytes(text->data, text->length > 0 ? text->length : 0, newline_after);
}

void makefit(tqs *text) {
    if (!text) return;
    makefit_length(text->length > 0 ? text->length : 0);
}

int64_t func__printwidth(tqs *text, int32_t destination, int32_t passed) {
    if (new_error) return 0;
    const img_struct *im = write_page;
    if (passed & 1) {
        // A query makes no page: only an image or an existing page is measured.
        int32_t index = 0;
        if (destination < 0)
            index = valid_image_handle(destination);
        else if (destination < pages)
            index = page[destination];
        if (!index) {
            error(258);
            return 0;
        }
        im = &img[index];
    }
    return text ? printwidth_of(im, text->length) : 0;
}

int32_t chrwidth(uint32_t code) {
    (void)code; // the built-in fonts are fixed-width
    return font_width_of(write_page->font);
}

int32_t func_pos(int32_t unused) {
    (void)unused;
    if (new_error) return 0;
    return write_page->cursor_held ? 1 : write_page->cursor_x;
}

void sub__controlchr(int32_t value) {
    if (new_error) return;
    no_control_characters2 = value == 2 ? 1 : 0;
}

int32_t func__controlchr() { return -no_control_characters2; }
