// COLOR: the foreground and background colours of the write page. On the old adapters' modes
// whose background is a palette register rather than a colour number, the background changes
// palette register 0 (mode 10's pseudo-colour of entry 4) instead, as PALETTE 0 would.
#include "libtq.h"
#include "screen/screen_internal.h"

void tqg_sub_color(uint32_t foreground, uint32_t background, uint32_t border, int32_t passed) {
    (void)border; // only the text screen takes a border, and it has no visible border
    if (new_error || !passed) return;
    img_struct *im = write_page;
    const mode_facts &m = facts_of(im->mode);
    const bool fg = passed & 1, bg = passed & 2, border_given = passed & 4;
    if (m.color_sets == color_rule::refused || (border_given && !m.text()) || (fg && foreground > m.color_max) ||
        (bg && background > m.background_max)) {
        error(5);
        return;
    }
    uint32_t *pal = im->pal;
    switch (m.color_sets) {
    case color_rule::colours:
        if (fg) im->color = foreground;
        if (bg) im->background_color = background;
        break;
    case color_rule::text:
        if (fg) im->color = foreground;
        if (bg) im->background_color = background & 7;
        break;
    case color_rule::register0:
        if (fg) im->color = foreground;
        if (bg) pal[palette_first_entry(m)] = palette_entry_value(m, background);
        break;
    case color_rule::cga_sets:
        // The foreground number picks the background colour; the background number picks one of
        // the two fixed sets of the other three entries.
        if (fg) pal[0] = palette_entry_value(m, foreground);
        if (bg) {
            const bool odd = background & 1;
            pal[1] = palette_256[odd ? 3 : 2];
            pal[2] = palette_256[odd ? 5 : 4];
            pal[3] = palette_256[odd ? 7 : 6];
        }
        break;
    case color_rule::refused: break;
    }
}
