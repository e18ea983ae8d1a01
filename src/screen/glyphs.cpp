// The byte-per-pixel glyph tables of the built-in fonts. The program carries the glyphs as bit
// rows; start-up spreads every bit into a byte, so that drawing a glyph and composing a text page
// read one byte per pixel and never test bits.
#include "libtq.h"
#include "screen/charset_data.h"
#include "screen/screen_internal.h"

uint8_t charset8x8[256 * 8 * 8];
uint8_t charset8x16[256 * 16 * 8];

namespace {

void spread_rows(const uint8_t *rows, int32_t row_count, uint8_t *out) {
    for (int32_t r = 0; r < row_count; r++)
        for (int32_t x = 0; x < 8; x++) out[r * 8 + x] = (rows[r] & (0x80 >> x)) ? 255 : 0;
}

} // namespace

void screen_init_glyphs() {
    spread_rows(charset8x8_rows, 256 * 8, charset8x8);
    spread_rows(charset8x16_rows, 256 * 16, charset8x16);
}

const uint8_t *glyph_of(int32_t font, uint32_t code) {
    code &= 255;
    switch (font) {
    case 8:
    case 9: return charset8x8 + code * 64;
    case 14:
    case 15: return charset8x16 + code * 128 + 8; // the 8x16 glyph without its top and bottom rows
    case 16:
    case 17: return charset8x16 + code * 128;
    default: return nullptr;
    }
}
