// COLOR: the foreground and background colours of the write page. On the old adapters' modes
// whose background is a palette register rather than a colour number, the background changes
// palette entry 0 (or the mode-10 pseudo-colour of entry 4) instead.
#include "libtq.h"
#include "screen/screen_internal.h"

void tqg_sub_color(uint32_t foreground, uint32_t background, uint32_t border, int32_t passed) {
    (void)border; // only the text screen takes a border, and it has no visible border
    if (new_error || !passed) return;
    img_struct *im = write_page;
    const bool fg = passed & 1, bg = passed & 2, border_given = passed & 4;
    // Largest foreground and background each mode takes; 0xFFFFFFFF for any value.
    uint32_t fg_max, bg_max;
    switch (im->mode) {
    case 32: fg_max = bg_max = 0xFFFFFFFFu; break;
    case 256:
    case 13: fg_max = bg_max = 255; break;
    case 12:
    case 8:
    case 7: fg_max = bg_max = 15; break;
    case 11: fg_max = bg_max = 1; break;
    case 10:
        fg_max = 3;
        bg_max = 8;
        break;
    case 9:
        fg_max = 15;
        bg_max = 63;
        break;
    case 2:
        fg_max = 1;
        bg_max = 15;
        break;
    case 1:
        fg_max = 15;
        bg_max = 0xFFFFFFFFu;
        break;
    case 0:
        fg_max = 31;
        bg_max = 15;
        break;
    default: error(5); return;
    }
    if ((border_given && im->mode != 0) || (fg && foreground > fg_max) || (bg && background > bg_max)) {
        error(5);
        return;
    }
    uint32_t *pal = im->pal;
    switch (im->mode) {
    case 32:
    case 256:
    case 13:
    case 12:
    case 11:
        if (fg) im->color = foreground;
        if (bg) im->background_color = background;
        break;
    case 10:
        if (fg) im->color = foreground;
        if (bg) pal[4] = background;
        break;
    case 9:
        if (fg) im->color = foreground;
        if (bg) pal[0] = palette_64[background];
        break;
    case 8:
    case 7:
    case 2:
        if (fg) im->color = foreground;
        if (bg) pal[0] = palette_256[background];
        break;
    case 1:
        // The foreground number picks the background colour; the background number picks one of
        // the two fixed sets of the other three entries.
        if (fg) pal[0] = palette_256[foreground];
        if (bg) {
            const bool odd = background & 1;
            pal[1] = palette_256[odd ? 3 : 2];
            pal[2] = palette_256[odd ? 5 : 4];
            pal[3] = palette_256[odd ? 7 : 6];
        }
        break;
    default: // 0
        if (fg) im->color = foreground;
        if (bg) im->background_color = background & 7;
        break;
    }
}
