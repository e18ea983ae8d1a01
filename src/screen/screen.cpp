// SCREEN: selects a screen mode and the pages that are drawn on and shown.
//
// Selecting the mode the screen already has changes nothing. Selecting another one rebuilds the
// screen: every page is released and new pages are made, so the composer must not read the
// display page meanwhile and the rebuild runs under the display lock. Switching pages only moves
// the current-page pointers, each stored whole, and takes no lock.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "libtq.h"
#include "screen/screen_internal.h"

int32_t width8050switch = 0;
int32_t sub_screen_width_in_characters = -1;
int32_t sub_screen_height_in_characters = -1;
int32_t sub_screen_font = -1;
int32_t sub_screen_keep_page0 = 0;
int32_t screen_active_page = 0;

namespace {

constexpr uint32_t TEXT_MEMORY = 0xB8000; // text pages in conventional memory
constexpr uint32_t TEXT_MEMORY_SIZE = 65536;
constexpr uint32_t MODE13_MEMORY = 0xA0000; // the 320 x 200 x 256 page
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
        t.font = t.rows >= 50 ? 8 : t.rows >= 43 ? 14 : 16;
        if (t.columns <= 40) t.font++;
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

void make_current(int32_t index) {
    display_page_index = write_page_index = read_page_index = index;
    write_page = read_page = &img[index];
    display_page.store(&img[index]);
}

// Builds the eight pages of a text screen; as many as fit in the 64 KiB of text memory live
// there, so that programs which write that memory change the screen.
int32_t build_text_screen(const text_layout &t) {
    size_t page_bytes = static_cast<size_t>(t.columns) * static_cast<size_t>(t.rows) * 2;
    // The 25-row grids keep the adapter's page sizes: 2 KiB and 4 KiB, a little more than the cells.
    if (t.rows == 25 && (t.columns == 40 || t.columns == 80)) page_bytes = t.columns == 40 ? 2048 : 4096;
    const size_t in_memory = std::min<size_t>(TEXT_MEMORY_SIZE / page_bytes, TEXT_PAGES);
    if (!ensure_pages(TEXT_PAGES)) return 0;
    for (int32_t p = 0; p < TEXT_PAGES; p++) {
        const size_t n = static_cast<size_t>(p);
        const int32_t index = n < in_memory ? imgframe(cmem + TEXT_MEMORY + page_bytes * n, t.columns, t.rows, 0)
                                            : imgnew(t.columns, t.rows, 0);
        if (!index) return 0;
        selectfont(t.font, &img[index]);
        img[index].flags |= IMG_FLAG_SCREEN_PAGE;
        page[p] = index;
    }
    for (uint32_t i = 0; i < TEXT_MEMORY_SIZE; i += 2) {
        cmem[TEXT_MEMORY + i] = 32;
        cmem[TEXT_MEMORY + i + 1] = 7;
    }
    return page[0];
}

int32_t build_graphics_screen(int32_t mode, grid old) {
    int32_t index = 0;
    switch (mode) {
    case 13:
        index = imgframe(cmem + MODE13_MEMORY, 320, 200, 13);
        std::memset(cmem + MODE13_MEMORY, 0, 64000);
        break;
    case 12:
    case 11:
        index = imgnew(640, 480, mode);
        if (index && old.is(80, 60)) selectfont(8, &img[index]);
        break;
    case 10:
    case 9:
        index = imgnew(640, 350, mode);
        if (index && old.is(80, 43)) selectfont(8, &img[index]);
        break;
    case 8: index = imgnew(640, 200, 8); break;
    case 7: index = imgnew(320, 200, 7); break;
    case 2: index = imgnew(640, 200, 2); break;
    case 1: index = imgnew(320, 200, 1); break;
    default: break;
    }
    return index;
}

void release_screen() {
    if (!page[0]) return;
    for (int32_t p = 1; p < pages; p++)
        if (page[p]) release_image(page[p]);
    if (sub_screen_keep_page0)
        img[page[0]].flags &= ~IMG_FLAG_SCREEN_PAGE;
    else
        release_image(page[0]);
}

void rebuild(int32_t mode, int32_t own_image, const text_layout &text) {
    const grid old = screen_grid();
    release_screen();
    reset_page_table();
    sub_screen_keep_page0 = 0;
    int32_t index;
    if (own_image) {
        index = own_image;
        sub_screen_keep_page0 = 1;
    } else if (mode == 0) {
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
    img[index].flags |= IMG_FLAG_SCREEN_PAGE;
    page[0] = index;
    make_current(index);
    write_page->draw_angle = 0;
    write_page->draw_scale = 1.0;
    screen_active_page = 0;
    key_display_redraw = 1;
    key_update();
}

// The text view after a page switch: the whole page but its last row, and the cursor back on
// the page.
void reset_view_print(img_struct *im) {
    int32_t rows = text_rows(im, im->font);
    im->top_row = 1;
    if (im->cursor_y > rows) im->cursor_y = 1;
    im->bottom_row = static_cast<int16_t>(rows - 1 > 0 ? rows - 1 : 1);
}

void switch_active_page(int32_t number) {
    if (!validatepage(number)) return;
    const int32_t index = page[number];
    if (index != write_page_index || index != read_page_index) {
        write_page_index = read_page_index = index;
        write_page = read_page = &img[index];
        defaultcolors();
        reset_view_print(write_page);
    }
    if (number == screen_active_page) return;
    // The viewport, WINDOW, graphics cursor and DRAW state follow the program to its new page.
    const int32_t previous = screen_active_page < pages ? page[screen_active_page] : 0;
    if (!write_page->text && previous && img[previous].valid && !img[previous].text) {
        constexpr size_t from = offsetof(img_struct, view_x1);
        constexpr size_t to = offsetof(img_struct, draw_scale) + sizeof(double);
        std::memmove(reinterpret_cast<char *>(write_page) + from, reinterpret_cast<char *>(&img[previous]) + from,
                     to - from);
    }
    screen_active_page = number;
}

void switch_visual_page(int32_t number) {
    if (!validatepage(number)) return;
    const int32_t index = page[number];
    if (index == display_page_index) return;
    display_page_index = index;
    display_page.store(&img[index]);
    defaultcolors();
    reset_view_print(write_page);
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
            if ((mode >= 3 && mode <= 6) || mode > 13) {
                error(5);
                return;
            }
            const bool width_pending =
                sub_screen_width_in_characters != -1 || sub_screen_height_in_characters != -1 || sub_screen_font != -1;
            rebuild_due = !page[0] || img[page[0]].mode != mode || width_pending;
            if (rebuild_due && mode == 0) {
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
