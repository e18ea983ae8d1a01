// PALETTE: sets one palette entry of the write page, or restores the mode's default palette.
// What an entry takes depends on the adapter the mode emulates: the VGA modes take an 18-bit
// colour (6 bits a channel), the EGA modes a number of the 64-colour table, the CGA-era modes a
// number of the 16-colour set.
#include "libtq.h"
#include "screen/screen_internal.h"

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
    // PALETTE takes both numbers or none: compiled code passes the pair as one optional part, so
    // any bit of `passed` means both were given.
    if (attribute < 0 || colour < 0) {
        error(5);
        return;
    }
    const auto a = static_cast<uint32_t>(attribute), c = static_cast<uint32_t>(colour);
    const mode_facts &m = facts_of(im->mode);
    if (m.palette_takes == palette_colour::refused || a >= m.palette_attributes || !palette_colour_fits(m, c)) {
        error(5);
        return;
    }
    im->pal[palette_first_entry(m) + a] = palette_entry_value(m, c);
}
