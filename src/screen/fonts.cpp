// Metrics of the built-in bitmap fonts. Fonts 8, 14 and 16 are the 8-pixel-wide glyphs of 8, 14
// and 16 rows; 9, 15 and 17 are the same glyphs drawn at double width for 40-column text.
#include "libtq.h"
#include "screen/screen_internal.h"

int32_t fontwidth[FONT_TABLE_SIZE];
int32_t fontheight[FONT_TABLE_SIZE];
int32_t fontflags[FONT_TABLE_SIZE];

namespace {
constexpr int32_t FONT_FLAG_MONOSPACE = 16;
}

void screen_init_fonts() {
    static constexpr int32_t rows[3] = {8, 14, 16};
    for (int32_t h : rows) {
        int32_t narrow = h, wide = h + 1; // font numbers: 8/9, 14/15, 16/17
        fontwidth[narrow] = 8;
        fontwidth[wide] = 16;
        fontheight[narrow] = fontheight[wide] = h;
        fontflags[narrow] = fontflags[wide] = FONT_FLAG_MONOSPACE;
    }
}
