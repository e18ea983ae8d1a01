// Helpers for the text output tests: PRINT statements as compiled programs make them, and the
// expected look of a glyph cell on a pixel page, drawn from the glyphs' bit rows.
#pragma once

#include <cstring>
#include <string>

#include "screen/charset_data.h"
#include "screen_test_support.h"

// One PRINT item as compiled code prints it: make it fit, then print it without a line break.
inline void print_item(const std::string &text) {
    makefit_length(static_cast<int64_t>(text.size()));
    print_bytes(reinterpret_cast<const uint8_t *>(text.data()), static_cast<int32_t>(text.size()), 0);
}
// The end of a PRINT statement that does not end in ; or ,.
inline void print_end() { print_bytes(nullptr, 0, 1); }
// PRINT text (one item and the line break).
inline void print_line(const std::string &text) {
    print_item(text);
    print_end();
}
// PRINT text; (no line break).
inline void print_semicolon(const std::string &text) { print_item(text); }

inline void locate(int32_t row, int32_t column) { tqg_sub_locate(row, column, 0, 0, 0, 3); }

// Is pixel (x, y) of an 8 x 16 glyph of `code` a foreground pixel?
inline bool glyph16_bit(uint8_t code, int32_t x, int32_t y) { return charset8x16_rows[code * 16 + y] & (0x80 >> x); }
inline bool glyph8_bit(uint8_t code, int32_t x, int32_t y) { return charset8x8_rows[code * 8 + y] & (0x80 >> x); }

// Checks the 8 x 16 cell at text `row`, `column` (1-based) of a 1-byte page: glyph `code` in
// `fg` on `bg`. Returns the number of wrong pixels.
inline int wrong_cell_pixels(const img_struct *im, int32_t row, int32_t column, uint8_t code, uint8_t fg, uint8_t bg) {
    int wrong = 0;
    for (int32_t y = 0; y < 16; y++)
        for (int32_t x = 0; x < 8; x++) {
            const uint8_t expected = glyph16_bit(code, x, y) ? fg : bg;
            const size_t at =
                static_cast<size_t>((row - 1) * 16 + y) * im->width + static_cast<size_t>((column - 1) * 8 + x);
            wrong += im->pixels[at] != expected;
        }
    return wrong;
}

// The cell at text `row`, `column` of a text page: character code and attribute.
inline uint8_t cell_code(const img_struct *im, int32_t row, int32_t column) {
    return im->pixels[(static_cast<size_t>(row - 1) * im->width + static_cast<size_t>(column - 1)) * 2];
}
inline uint8_t cell_attribute(const img_struct *im, int32_t row, int32_t column) {
    return im->pixels[(static_cast<size_t>(row - 1) * im->width + static_cast<size_t>(column - 1)) * 2 + 1];
}
