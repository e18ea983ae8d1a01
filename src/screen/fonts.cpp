// The metrics tables of the built-in bitmap fonts, filled at start-up from each font's cell.
#include "libtq.h"
#include "screen/screen_internal.h"

int32_t fontwidth[FONT_TABLE_SIZE];
int32_t fontheight[FONT_TABLE_SIZE];
int32_t fontflags[FONT_TABLE_SIZE];

void screen_init_fonts() {
    for (int32_t font = 0; font < FONT_TABLE_SIZE; font++) {
        const font_cell cell = builtin_font_cell(font);
        fontwidth[font] = cell.width;
        fontheight[font] = cell.height;
        fontflags[font] = cell.width ? FONT_FLAG_MONOSPACE : 0;
    }
}
