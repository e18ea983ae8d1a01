// SCREEN: selects a screen mode and the pages that are drawn on and shown.
//
// Selecting the mode the screen already has changes nothing. Selecting another one rebuilds the
// screen: every page is released and new pages are made, so the composer must not read the
// display page meanwhile and the rebuild runs under the display lock. Switching pages only moves
// the current-page pointers, each stored whole, and takes no lock.
#include <algorithm>
#include <cstring>

#include "libtq.h"
#include "screen/screen_internal.h"

int32_t width8050switch = 0;
int32_t sub_screen_width_in_characters = -1;
int32_t sub_screen_height_in_characters = -1;
int32_t sub_screen_font = -1;
int32_t sub_screen_keep_page0 = 0;

namespace {

constexpr uint32_t TEXT_MEMORY_SIZE = 65536; // the text adapter's memory from B800:0000
constexpr int32_t TEXT_PAGES = 8;

struct grid {
    int32_t columns, rows;
    bool is(int32_t c, int32_t r) const { return columns == c && rows == r; }
};

// The text grid of the current screen: 0 x 0 when there is none.
grid screen_grid() {
    if (!page[0]) return {0, 0};
    const img_struct *s = &img[page[0]];
    return {text_columns(s, s->font), text_rows(s, s->font)};
}

struct text_layout {
    int32_t columns, rows, font;
};

// Columns, rows and font of a new text screen: a pending WIDTH request, else the grid of the
// screen it replaces.
text_layout choose_text_layout(grid old) {
    const bool columns_pending = sub_screen_width_in_characters != -1;
    const bool rows_pending = sub_screen_height_in_characters != -1;
    const bool font_pending = sub_screen_font != -1;
    text_layout t{80, 25, 16};
    if (columns_pending && rows_pending && font_pending) {
        t = {sub_screen_width_in_characters, sub_screen_height_in_characters, sub_screen_font};
    } else if (columns_pending && !rows_pending) {
        t.columns = sub_screen_width_in_characters;
        if (old.rows == 43) {
            t.rows = 43;
            t.font = 14;
        } else if (old.rows == 50) {
            t.rows = 50;
            t.font = 8;
        }
        if (t.columns == 40) t.font++;
    } else if (rows_pending && !columns_pending) {
        t.rows = sub_screen_height_in_characters;
        t.font = t.rows == 43 ? 14 : t.rows == 50 ? 8 : 16;
        if (old.columns == 40) {
            t.columns = 40;
            t.font++;
        }
    } else if (columns_pending && rows_pending) {
        // Both sizes without a font: the font WIDTH itself would choose for them.
        t.columns = sub_screen_width_in_characters;
        t.rows = sub_screen_height_in_characters;
        t.font = text_screen_font(t.columns, t.rows);
    } else if (old.is(80, 50) || old.is(80, 43)) {
        t = {80, old.rows, 8};
    } else if (old.is(40, 50) || old.is(40, 43)) {
        t = {40, old.rows, 9};
    } else if (old.is(40, 25)) {
        t = {40, 25, 17};
    }
    if (t.columns == 40 && t.rows == 25) t.font = 17;
    if (t.columns == 80 && t.rows == 25) t.font = 16;
    return t;
}

// Builds the eight pages of a text screen; as many as fit in the 64 KiB of text memory live
// there, so that programs which write that memory change the screen.
int32_t build_text_screen(const text_layout &t) {
    size_t page_bytes = static_cast<size_t>(t.columns) * static_cast<size_t>(t.rows) * 2;
    // The 25-row grids keep the adapter's page sizes: 2 KiB and 4 KiB, a little more than the cells.
    if (t.rows == 25 && (t.columns == 40 || t.columns == 80)) page_bytes = t.columns == 40 ? 2048 : 4096;
    const size_t in_memory = std::min<size_t>(TEXT_MEMORY_SIZE / page_bytes, TEXT_PAGES);
    if (!ensure_pages(TEXT_PAGES)) return 0;
    uint8_t *text_memory = cmem + facts_of(0).video_memory;
    for (int32_t p = 0; p < TEXT_PAGES; p++) {
        const size_t n = static_cast<size_t>(p);
        const int32_t index =
            n < in_memory ? imgframe(text_memory + page_bytes * n, t.columns, t.rows, 0) : imgnew(t.columns, t.rows, 0);
        if (!index) return 0;
        selectfont(t.font, &img[index]);
        set_screen_page(p, index);
    }
    blank_cells(text_memory, TEXT_MEMORY_SIZE / 2);
    return page[0];
}

// A pixel screen's page 0: in conventional memory where the adapter keeps it (mode 13), else in
// memory of its own. An EGA or VGA screen that replaces one whose text grid was the grid the 8x8
// font gives on it (80 x 43, 80 x 60) takes that font too, so the program's text keeps its rows.
int32_t build_graphics_screen(int32_t mode, grid old) {
    const mode_facts &m = facts_of(mode);
    int32_t index;
    if (m.video_memory) {
        index = imgframe(cmem + m.video_memory, m.width, m.height, mode);
        std::memset(cmem + m.video_memory, 0, static_cast<size_t>(m.width) * m.height * m.bytes_per_pixel());
    } else {
        index = imgnew(m.width, m.height, mode);
    }
    if (index && m.font != 8 && old.is(m.width / 8, m.height / 8)) selectfont(8, &img[index]);
    return index;
}

void rebuild(int32_t mode, int32_t own_image, const text_layout &text) {
    const grid old = screen_grid();
    release_screen(sub_screen_keep_page0);
    sub_screen_keep_page0 = 0;
    int32_t index;
    if (own_image) {
        index = own_image;
        sub_screen_keep_page0 = 1;
    } else if (facts_of(mode).text()) {
        sub_screen_width_in_characters = sub_screen_height_in_characters = sub_screen_font = -1;
        index = build_text_screen(text);
    } else {
        index = build_graphics_screen(mode, old);
    }
    // The old screen is gone; without memory for the new one there is nothing to draw on.
    if (!index) {
        error(257);
        return;
    }
    set_screen_page(0, index);
    set_current_pages(index);
    write_page->draw_angle = 0;
    write_page->draw_scale = 1.0;
    key_display_redraw = 1;
    key_update();
}

} // namespace

void tqg_screen(int32_t mode, int32_t color_switch, int32_t active_page, int32_t visual_page, int32_t refresh,
                int32_t passed) {
    (void)color_switch;
    (void)refresh;
    if (new_error) return;
    const bool mode_given = passed & 1;
    if ((passed & 4) && !(passed & 8)) {
        visual_page = active_page;
        passed |= 8;
    }
    bool rebuild_due = false;
    int32_t own_image = 0;
    text_layout text{};
    if (mode_given) {
        if (mode < 0) {
            const int64_t index = -static_cast<int64_t>(mode);
            if (index >= nextimg || !img[index].valid) {
                error(258);
                return;
            }
            // Another page of this screen shares page 0's palette and is released with it.
            if ((img[index].flags & IMG_FLAG_SCREEN_PAGE) && index != page[0]) {
                error(5);
                return;
            }
            own_image = static_cast<int32_t>(index);
            rebuild_due = own_image != page[0];
        } else {
            if (!facts_of(mode).screen()) {
                error(5);
                return;
            }
            const bool width_pending =
                sub_screen_width_in_characters != -1 || sub_screen_height_in_characters != -1 || sub_screen_font != -1;
            rebuild_due = !page[0] || img[page[0]].mode != mode || width_pending;
            if (rebuild_due && facts_of(mode).text()) {
                text = choose_text_layout(screen_grid());
                // The cursor of a text page is a 16-bit position.
                if (text.columns < 1 || text.rows < 1 || text.columns > INT16_MAX || text.rows > INT16_MAX ||
                    font_height_of(text.font) == 0) {
                    error(5);
                    return;
                }
            }
        }
    }
    if (((passed & 4) && active_page < 0) || ((passed & 8) && visual_page < 0)) {
        error(5);
        return;
    }
    // A page that can never be made is refused before the screen is rebuilt for it.
    if (((passed & 4) && active_page >= PAGE_TABLE_LIMIT) || ((passed & 8) && visual_page >= PAGE_TABLE_LIMIT)) {
        error(7);
        return;
    }
    if (!(mode_given && mode == 0 && passed == 1)) width8050switch = 0;

    bool switch_due = false;
    if ((passed & 4) && !rebuild_due) {
        if (!validatepage(active_page)) return;
        const int32_t index = page[active_page];
        switch_due = index != write_page_index || index != read_page_index;
    }
    if ((passed & 8) && !rebuild_due) {
        if (!validatepage(visual_page)) return;
        switch_due = switch_due || page[visual_page] != display_page_index;
    }
    if (!rebuild_due && !switch_due) return;

    const bool locked = rebuild_due && display_lock_take();
    screen_last_valid.store(0);
    if (rebuild_due) rebuild(mode, own_image, text);
    if (passed & 4) switch_active_page(active_page);
    if (passed & 8) switch_visual_page(visual_page);
    if (locked) display_lock_release();
}
