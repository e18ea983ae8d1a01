// The code page 437 glyphs of the built-in 8x8 and 8x16 fonts, as one byte per glyph row with the
// leftmost pixel in bit 7. Start-up expands them into the byte-per-pixel glyph tables.
#pragma once

#include <cstdint>

extern const uint8_t charset8x8_rows[256 * 8];
extern const uint8_t charset8x16_rows[256 * 16];
