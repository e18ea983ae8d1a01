// PALETTE: sets one palette entry of the write page, or restores the mode's default palette.
// What an entry takes depends on the adapter the mode emulates: the VGA modes take an 18-bit
// colour (6 bits a channel), the EGA modes a number of the 64-colour table, the CGA-era modes a
// number of the 16-colour set.
#include <cmath>

#include "libtq.h"
#include "screen/screen_internal.h"

namespace {

// A 6-bit channel spread over 0..255, rounded to nearest.
uint32_t channel_8bit(uint32_t c) {
    return static_cast<uint32_t>(std::nearbyint(static_cast<double>(c) * 4.0634918 - 0.4999999));
}

} // namespace

void tqg_palette(int32_t attribute, int32_t colour, int32_t passed) {
    if (new_error) return;
    img_struct *im = write_page;
    if (im->bits_per_pixel == 32 || !im->pal) {
        error(5);
        return;
    }
    if (!passed) {
        restorepalette(im);
        return;
    }
    // PALETTE takes both numbers or none.
    if ((passed & 3) != 3 || attribute < 0 || colour < 0) {
        error(5);
        return;
    }
    const auto a = static_cast<uint32_t>(attribute), c = static_cast<uint32_t>(colour);
    uint32_t *pal = im->pal;
    bool ok = false;
    switch (im->mode) {
    case 13:
    case 256:
    case 12:
    case 11: {
        const uint32_t entries = im->mode == 11 ? 2 : im->mode == 12 ? 16 : 256;
        if (a >= entries || (c & ~0x3F3F3Fu)) break;
        pal[a] = channel_8bit(c & 63) << 16 | channel_8bit((c >> 8) & 63) << 8 | channel_8bit((c >> 16) & 63);
        ok = true;
        break;
    }
    case 10:
        if (a > 3 || c > 8) break;
        pal[4 + a] = c;
        ok = true;
        break;
    case 9:
    case 0:
        if (a > 15 || c > 63) break;
        pal[a] = palette_64[c];
        ok = true;
        break;
    case 8:
    case 7:
    case 1:
        if (a > 15 || c > 15) break;
        pal[a] = palette_256[c];
        ok = true;
        break;
    case 2:
        if (a > 1 || c > 15) break;
        pal[a] = palette_256[c];
        ok = true;
        break;
    default: break;
    }
    if (!ok) error(5);
}
