// Frame composition: the emulated screen, turned into a picture the window can show.
//
// The screen exists only in memory: the display page holds palette indices (one byte per pixel),
// 32-bit colours, or text cells of character and attribute. About thirty times a second the
// housekeeping thread calls display(), which
//   1. grants the display lock to a program thread that waits for it (the program then rebuilds
//      its pages while nothing here reads them),
//   2. claims one of the three frame records,
//   3. compares the display page with what the last frame was made from (the page's bytes, its
//      palette, and for text the blink and cursor phases) and, when nothing visible changed, gives
//      the record back at once,
//   4. otherwise resolves every pixel through the palette (or draws every changed text cell with
//      the built-in glyphs, emulating the blinking attribute and the blinking cursor) into the
//      record's 0xAARRGGBB pixels and marks it ready for the presenter on the window thread.
// In manual display mode (_DISPLAY) the program thread composes instead, only when it asks.
#include <cstdlib>
#include <cstring>
#include <immintrin.h>

#include "display/frames_internal.h"
#include "libtq.h"
#include "platform/platform.h"

namespace {

// What the last frame was made from. Only the composing thread touches these.
uint8_t *pixeldata = nullptr;
int64_t pixeldatasize = 1; // never a real size, so that the first comparison always differs
uint8_t *screen_last = nullptr;
int64_t screen_last_size = 1;
int32_t last_blink_phase = -1, last_cursor_phase = -1;
int32_t last_cursor_column = -1, last_cursor_row = -1;

bool size_frame(display_frame_struct &f) {
    int64_t need = static_cast<int64_t>(x_monitor) * y_monitor * 4;
    if (need > f.bytes) {
        std::free(f.bgra);
        f.bgra = static_cast<uint32_t *>(std::malloc(static_cast<size_t>(need)));
        f.bytes = f.bgra ? static_cast<int32_t>(need) : 0;
        if (!f.bgra) return false;
    }
    f.w = x_monitor;
    f.h = y_monitor;
    return true;
}

// The newest frame the presenter has or will have; the composer never writes to it.
display_frame_struct *newest_composed_frame() {
    display_frame_struct *newest = nullptr;
    for (auto &f : display_frame) {
        int32_t s = f.state.load();
        if ((s == FRAME_READY || s == FRAME_SHOWN) && (!newest || f.order.load() > newest->order.load())) newest = &f;
    }
    return newest;
}

bool replace_block(uint8_t *&block, int64_t &block_size, int64_t size) {
    std::free(block);
    block = static_cast<uint8_t *>(std::malloc(static_cast<size_t>(size ? size : 1)));
    block_size = block ? size : 1;
    return block != nullptr;
}

// ---- indexed pages ----

void convert_scalar(const uint8_t *in, uint8_t *copy, uint32_t *out, int64_t count) {
    for (int64_t i = 0; i < count; i++) {
        const uint8_t index = in[i];
        copy[i] = index;
        out[i] = paldata[index];
    }
}

// Sixteen colours at a time: the 16 palette entries are split into four tables of one byte each
// (blue, green, red, alpha), a byte shuffle looks up 16 pixels in each table at once, and the four
// results are interleaved back into 16 pixels. Pixels of 16 or more (which a 16-colour screen does
// not hold, but memory may) take the plain path.
__attribute__((target("ssse3"))) void convert_16_colours(const uint8_t *in, uint8_t *copy, uint32_t *out,
                                                         int64_t count) {
    alignas(16) uint8_t planes[4][16];
    for (int c = 0; c < 16; c++)
        for (int b = 0; b < 4; b++) planes[b][c] = static_cast<uint8_t>(paldata[c] >> (8 * b));
    const __m128i blue = _mm_load_si128(reinterpret_cast<const __m128i *>(planes[0]));
    const __m128i green = _mm_load_si128(reinterpret_cast<const __m128i *>(planes[1]));
    const __m128i red = _mm_load_si128(reinterpret_cast<const __m128i *>(planes[2]));
    const __m128i alpha = _mm_load_si128(reinterpret_cast<const __m128i *>(planes[3]));
    const __m128i high_nibble = _mm_set1_epi8(static_cast<char>(0xF0));
    int64_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + i));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(copy + i), v);
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(v, high_nibble), _mm_setzero_si128())) != 0xFFFF) {
            for (int64_t k = i; k < i + 16; k++) out[k] = paldata[copy[k]];
            continue;
        }
        const __m128i b = _mm_shuffle_epi8(blue, v), g = _mm_shuffle_epi8(green, v);
        const __m128i r = _mm_shuffle_epi8(red, v), a = _mm_shuffle_epi8(alpha, v);
        const __m128i bg_lo = _mm_unpacklo_epi8(b, g), bg_hi = _mm_unpackhi_epi8(b, g);
        const __m128i ra_lo = _mm_unpacklo_epi8(r, a), ra_hi = _mm_unpackhi_epi8(r, a);
        auto *o = reinterpret_cast<__m128i *>(out + i);
        _mm_storeu_si128(o, _mm_unpacklo_epi16(bg_lo, ra_lo));
        _mm_storeu_si128(o + 1, _mm_unpackhi_epi16(bg_lo, ra_lo));
        _mm_storeu_si128(o + 2, _mm_unpacklo_epi16(bg_hi, ra_hi));
        _mm_storeu_si128(o + 3, _mm_unpackhi_epi16(bg_hi, ra_hi));
    }
    convert_scalar(in + i, copy + i, out + i, count - i);
}

void convert_indexed(const uint8_t *in, uint8_t *copy, uint32_t *out, int64_t count, int32_t colours) {
    static const bool has_byte_shuffle = __builtin_cpu_supports("ssse3");
    if (colours == 16 && has_byte_shuffle)
        convert_16_colours(in, copy, out, count);
    else
        convert_scalar(in, copy, out, count);
}

// The first `n` colours the page's pixel values stand for. Screen mode 10 is a monochrome screen
// whose four pixel values each show one of nine black, grey and white pairs that alternate every
// 512 ms: entries 4 to 7 of its palette name the pair of values 0 to 3, and the colours of the
// current half of the period are put together here, in the composer's own copy. The page's palette
// is the program's and is never written from this thread.
const uint32_t *colours_of_page(const img_struct *source, int32_t n, uint32_t (&mode10)[256]) {
    if (source->mode != 10) return source->pal;
    const int32_t phase = (GetTicks() & 512) ? 1 : 0;
    std::memcpy(mode10, source->pal, static_cast<size_t>(n) * 4);
    for (int k = 0; k < 4 && k < n; k++) {
        const uint32_t pair = source->pal[4 + k];
        mode10[k] = pal_mode10[phase][pair < 9 ? pair : 0];
    }
    return mode10;
}

bool compose_indexed(img_struct *source, display_frame_struct &f) {
    const int64_t size = static_cast<int64_t>(source->width) * source->height;
    int32_t bits = source->bits_per_pixel;
    const int32_t n = bits >= 8 ? 256 : 1 << bits;
    uint32_t mode10[256];
    const uint32_t *colours = colours_of_page(source, n, mode10);
    bool produce;
    if (size != pixeldatasize) {
        if (!replace_block(pixeldata, pixeldatasize, size)) return false;
        produce = true;
    } else if (force_display_update.load()) {
        produce = true;
    } else if (displayorder_screen.load() == 0) {
        produce = false;
    } else {
        produce = !screen_last_valid.load() || std::memcmp(colours, paldata, static_cast<size_t>(n) * 4) != 0 ||
                  std::memcmp(source->pixels, pixeldata, static_cast<size_t>(size)) != 0;
    }
    if (!produce || !size_frame(f)) return false;
    // The frame is made from one copy of the page, never from the live page that the program
    // thread may be drawing on: every byte is read once, stored as the copy and converted.
    std::memcpy(paldata, colours, static_cast<size_t>(n) * 4);
    convert_indexed(source->pixels, pixeldata, f.bgra, size, n);
    return true;
}

// ---- 32-bit pages ----

bool compose_32bit(img_struct *source, display_frame_struct &f) {
    display_frame_struct *newest = newest_composed_frame();
    const int64_t count = static_cast<int64_t>(source->width) * source->height;
    bool produce;
    if (force_display_update.load() || !newest || !screen_last_valid.load() ||
        static_cast<int64_t>(newest->w) * newest->h != count)
        produce = true;
    else if (displayorder_screen.load() == 0)
        produce = false;
    else
        produce = std::memcmp(source->pixels, newest->bgra, static_cast<size_t>(count) * 4) != 0;
    if (!produce || !size_frame(f)) return false;
    std::memcpy(f.bgra, source->pixels, static_cast<size_t>(count) * 4);
    return true;
}

// ---- text pages ----

} // namespace

bool text_cursor_rows(int32_t first, int32_t last, int32_t fh, int32_t &from, int32_t &to) {
    const int32_t bottom = fh == 16 ? 14 : fh - 1; // runs at the bottom leave a 16-row cell's last row clear
    auto at_bottom = [&](int32_t rows) {
        from = bottom - rows + 1;
        to = bottom;
    };
    if (last == 0 && first == 0) {
        from = to = 0;
    } else if (last == 0) {
        return false;
    } else if (last < first) {
        from = last;
        to = fh - 1;
    } else if (first == last) {
        if (first <= 3)
            from = to = first;
        else
            at_bottom(1);
    } else if (first >= 3 && last == first + 1) {
        at_bottom(2);
    } else if (first >= 3 && last == first + 2) {
        at_bottom(3);
    } else if (first >= 3) {
        from = fh - fh / 2;
        to = fh - 1;
    } else if (first <= 1) {
        from = first;
        to = last <= 3 ? last : fh - 1;
    } else if (last == 3) { // first is 2 here
        from = 2;
        to = 3;
    } else if (last == 4) {
        at_bottom(3);
    } else {
        from = 2;
        to = fh - 1;
    }
    if (from >= fh) return false;
    if (to >= fh) to = fh - 1;
    if (from < 0) from = 0;
    return from <= to;
}

namespace {

struct text_cell_painter {
    uint32_t *frame;
    int32_t frame_width;
    int32_t font, fw, fh;
    int32_t blink_phase, cursor_phase;
    bool cursor_show;
    int32_t cursor_first, cursor_last;

    void paint(int32_t column, int32_t row, uint8_t character, uint8_t attribute, bool cursor_here) const {
        uint32_t fg_index = attribute & 15u, bg_index;
        const uint32_t cursor_colour = paldata[fg_index];
        if (H3C0_blink_enable.load()) {
            bg_index = (attribute >> 4) & 7u;
            if ((attribute & 0x80) && blink_phase) fg_index = bg_index;
        } else {
            bg_index = attribute >> 4;
        }
        const uint32_t fg = paldata[fg_index], bg = paldata[bg_index];
        const uint8_t *glyph = nullptr; // 8 bytes per glyph row
        bool wide = false;
        switch (font) {
        case 8:
        case 9:
            glyph = &charset8x8[character * 64];
            wide = font == 9;
            break;
        case 14:
        case 15:
            glyph = &charset8x16[character * 128 + 8];
            wide = font == 15;
            break;
        case 16:
        case 17:
            glyph = &charset8x16[character * 128];
            wide = font == 17;
            break;
        default: break; // a loaded font: no glyphs here, the cell shows its background
        }
        uint32_t *origin = frame + static_cast<int64_t>(row) * fh * frame_width + static_cast<int64_t>(column) * fw;
        for (int32_t y = 0; y < fh; y++) {
            uint32_t *out = origin + static_cast<int64_t>(y) * frame_width;
            if (!glyph) {
                for (int32_t x = 0; x < fw; x++) out[x] = bg;
                continue;
            }
            const uint8_t *bits = glyph + y * 8;
            if (wide) {
                for (int32_t x = 0; x < 8 && 2 * x + 1 < fw; x++) out[2 * x] = out[2 * x + 1] = bits[x] ? fg : bg;
            } else {
                for (int32_t x = 0; x < 8 && x < fw; x++) out[x] = bits[x] ? fg : bg;
            }
        }
        int32_t from, to;
        if (cursor_here && cursor_show && cursor_phase == 1 &&
            text_cursor_rows(cursor_first, cursor_last, fh, from, to)) {
            for (int32_t y = from; y <= to; y++) {
                uint32_t *out = origin + static_cast<int64_t>(y) * frame_width;
                for (int32_t x = 0; x < fw; x++) out[x] = cursor_colour;
            }
        }
    }
};

bool compose_text(img_struct *source, display_frame_struct &f) {
    const int32_t columns = source->width, rows = source->height;
    const int64_t size = static_cast<int64_t>(columns) * rows * 2;
    const int32_t fw = font_width_of(source->font), fh = font_height_of(source->font);
    if (fw <= 0 || fh <= 0) return false;
    // Only the cells that changed since the last text frame are drawn, on a copy of that frame, while
    // the cells it was made from, its palette and its size are known.
    bool redraw_changes_only = screen_last_valid.load() != 0;
    if (size != screen_last_size) {
        if (!replace_block(screen_last, screen_last_size, size)) return false;
        redraw_changes_only = false;
    }
    if (displayorder_screen.load() == 0 && redraw_changes_only) return false;
    if (!redraw_changes_only) {
        std::memcpy(paldata, source->pal, sizeof paldata);
    } else if (std::memcmp(source->pal, paldata, sizeof paldata) != 0) {
        std::memcpy(paldata, source->pal, sizeof paldata);
        redraw_changes_only = false;
    }
    const uint8_t *cells = source->pixels;
    bool changed = !redraw_changes_only || std::memcmp(cells, screen_last, static_cast<size_t>(size)) != 0;
    const int32_t phase = (frame.load() & 8) ? 1 : 0;
    int32_t cursor_column = source->cursor_x - 1, cursor_row = source->cursor_y - 1;
    if (source->cursor_held == 2 && cursor_row != rows - 1) {
        cursor_column = 0;
        cursor_row++;
    }
    const bool cursor_moved = cursor_column != last_cursor_column || cursor_row != last_cursor_row;
    if (redraw_changes_only && (phase != last_blink_phase || phase != last_cursor_phase || cursor_moved))
        changed = true;
    if (!changed) return false;
    if (!size_frame(f)) return false;
    if (redraw_changes_only) {
        display_frame_struct *newest = newest_composed_frame();
        if (!newest || newest->w != f.w || newest->h != f.h || !newest->bgra) {
            gui_alert("Text Screen Update: Failed to locate previous frame's data for comparison", "Alert", "ok");
            redraw_changes_only = false;
        } else {
            std::memcpy(f.bgra, newest->bgra, static_cast<size_t>(f.w) * static_cast<size_t>(f.h) * 4);
        }
    }
    const text_cell_painter painter{f.bgra,
                                    f.w,
                                    source->font,
                                    fw,
                                    fh,
                                    phase,
                                    phase,
                                    source->cursor_show != 0,
                                    source->cursor_firstvalue,
                                    source->cursor_lastvalue};
    const bool blink_changed = phase != last_blink_phase;
    const bool cursor_phase_changed = phase != last_cursor_phase;
    for (int32_t row = 0; row < rows; row++) {
        for (int32_t column = 0; column < columns; column++) {
            const int64_t at = (static_cast<int64_t>(row) * columns + column) * 2;
            const uint8_t character = cells[at], attribute = cells[at + 1];
            const bool is_cursor = column == cursor_column && row == cursor_row;
            if (redraw_changes_only && screen_last[at] == character && screen_last[at + 1] == attribute) {
                const bool left_by_cursor = cursor_moved && column == last_cursor_column && row == last_cursor_row;
                if (!((attribute & 0x80) && blink_changed) && !(is_cursor && cursor_phase_changed) && !left_by_cursor)
                    continue;
            }
            screen_last[at] = character;
            screen_last[at + 1] = attribute;
            painter.paint(column, row, character, attribute, is_cursor);
        }
    }
    last_blink_phase = phase;
    last_cursor_phase = phase;
    last_cursor_column = cursor_column;
    last_cursor_row = cursor_row;
    return true;
}

void grant_display_lock() {
    int32_t expected = 1;
    if (lock_display.compare_exchange_strong(expected, 2)) plat::sleep_ms(0);
}

} // namespace

void display() {
    grant_display_lock();
    if (screen_hide.load()) {
        display_called = 1;
        return;
    }
    if (lock_display.load() == 0) {
        display_frame_struct *f = composer_claim_frame();
        if (!f) {
            gui_alert("Software frame buffer: Failed to find available frame", "Alert", "ok");
            return;
        }
        f->order = display_frame_order_next.fetch_add(1);
        img_struct *shown = display_page.load();
        bool produced = false;
        if (shown && shown->pixels) {
            x_monitor = shown->width;
            y_monitor = shown->height;
            if (shown->text) {
                x_monitor *= font_width_of(shown->font);
                y_monitor *= font_height_of(shown->font);
                produced = compose_text(shown, *f);
            } else if (shown->bits_per_pixel == 32) {
                produced = compose_32bit(shown, *f);
            } else {
                produced = compose_indexed(shown, *f);
            }
        }
        if (produced) {
            force_display_update = 0;
            screen_last_valid = 1;
            last_hardware_display_frame_order = f->order.load();
            f->state = FRAME_READY;
            plat::wake_window_thread(); // shown at once, not at the presenter's next look
        } else {
            last_hardware_display_frame_order = f->order.load();
            f->state = FRAME_FREE;
        }
    }
    grant_display_lock();
    int32_t expected = -1;
    autodisplay.compare_exchange_strong(expected, 0);
    display_called = 1;
}

void sub__display() {
    if (screen_hide.load()) return;
    if (autodisplay.load() != 0) {
        autodisplay = -1;
        while (autodisplay.load() != 0) {
            if (stop_program.load()) end();
            plat::sleep_ms(1);
        }
        return;
    }
    display();
}

void sub__autodisplay() { autodisplay = 1; }

int32_t func__autodisplay() { return autodisplay.load() != 0 ? -1 : 0; }

void display_now() {
    if (autodisplay.load() != 0) {
        display_called = 0;
        while (display_called.load() != 1) {
            if (stop_program.load()) end();
            plat::sleep_ms(1);
        }
        return;
    }
    display();
}
