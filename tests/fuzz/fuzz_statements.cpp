// Sequences of graphics, text, page and image-handle statements with any arguments: screen
// modes, text grids, viewports, WINDOW mappings, freed and made-up handles, coordinates that are
// not numbers, infinite or far off the page. After each statement the screen's rules must hold,
// and no statement may touch memory outside a page.
#include <cmath>
#include <cstring>

#include "fuzz_screen.h"
#include "screen/screen_internal.h"

namespace {

// What one input may allocate for pixels; the fuzzer allows a process 2 GiB.
constexpr size_t PIXEL_BUDGET = size_t{256} << 20;
constexpr int MAX_STATEMENTS = 200;

// Handles the input has seen: made by _NEWIMAGE (freed ones stay), reported by _DEST and _SOURCE.
std::vector<int32_t> handles;

int32_t handle(fuzz_args &a) {
    switch (a.in_range(0, 3)) {
    case 0:
        if (!handles.empty()) return a.pick(handles);
        [[fallthrough]];
    case 1: return a.in_range(-12, 9); // pages, and indices of images near the start of the table
    default: return a.integer();
    }
}

int32_t mode(fuzz_args &a) {
    static const std::vector<int32_t> modes = {0, 1, 2, 7, 8, 9, 10, 11, 12, 13, 32, 256, 3, 4, 6, 14, -1};
    return a.flag() ? a.pick(modes) : (a.flag() ? handle(a) : a.integer());
}

// A size the fuzzer's memory allows: (w x h) pixels of up to 4 bytes within the budget.
bool affordable(int64_t w, int64_t h) {
    if (w <= 0 || h <= 0 || w > 65535 || h > 65535) return true; // refused before any allocation
    return static_cast<size_t>(w * h * 4) <= PIXEL_BUDGET - image_bytes_in_use() && image_bytes_in_use() < PIXEL_BUDGET;
}

// WIDTH resizes a 32-bit or 256-colour image (page 0 for a screen page) to its grid in glyphs.
bool affordable_width(int32_t columns, int32_t rows, int32_t passed) {
    const img_struct *im = write_page;
    if (im->text || facts_of(im->mode).screen()) return true;
    if (im->flags & IMG_FLAG_SCREEN_PAGE) im = &img[page[0]];
    const int64_t gw = std::max(font_width_of(im->font), 1), gh = std::max(font_height_of(im->font), 1);
    return affordable((passed & 1) ? columns * gw : im->width, (passed & 2) ? rows * gh : im->height);
}

// Statements that may make pages or images wait while the input holds its budget.
bool room_for_pages() { return image_bytes_in_use() < PIXEL_BUDGET; }

// Runs one statement; returns its name, or null when the budget skipped it.
const char *statement(fuzz_args &a) {
    switch (a.in_range(0, 23)) {
    case 0: {
        const int32_t m = mode(a), color_switch = a.integer(), active = handle(a), visual = handle(a);
        const int32_t passed = a.passed(5);
        if ((passed & 12) && !room_for_pages()) return nullptr;
        unguard_video_memory(); // a new screen rewrites the whole video memory
        tqg_screen(m, color_switch, active, visual, a.integer(), passed);
        return "SCREEN";
    }
    case 1: {
        const int32_t device = a.flag() ? 0 : a.pick(std::vector<int32_t>{2, 1, -1}), columns = a.integer(),
                      rows = a.integer(), passed = a.passed(2);
        if (!affordable_width(columns, rows, passed)) return nullptr;
        unguard_video_memory(); // a text screen is rebuilt with its new grid
        tqsub_width(device, columns, rows, a.integer(), a.integer(), passed);
        return "WIDTH";
    }
    case 2: {
        const int32_t x1 = a.integer(), y1 = a.integer(), x2 = a.integer(), y2 = a.integer();
        tqg_sub_view(x1, y1, x2, y2, a.colour(), a.colour(), a.passed(4));
        return "VIEW";
    }
    case 3: {
        const float x1 = a.coordinate(), y1 = a.coordinate(), x2 = a.coordinate(), y2 = a.coordinate();
        tqg_sub_window(x1, y1, x2, y2, a.passed(2));
        return "WINDOW";
    }
    case 4: {
        const int32_t top = a.integer(), bottom = a.integer();
        tqg_sub_view_print(top, bottom, a.passed(1));
        return "VIEW PRINT";
    }
    case 5: {
        const int32_t row = a.integer(), column = a.integer(), cursor = a.integer(), start = a.integer();
        const int32_t stop = a.integer(), passed = a.passed(5);
        unguard_video_memory(); // the first LOCATE past row 25 widens the start-up screen
        tqg_sub_locate(row, column, cursor, start, stop, passed);
        return "LOCATE";
    }
    case 6: {
        const float x1 = a.coordinate(), y1 = a.coordinate(), x2 = a.coordinate(), y2 = a.coordinate();
        const uint32_t colour = a.colour();
        const int32_t box = a.flag() ? a.in_range(0, 2) : a.integer(), style = a.integer();
        sub_line(x1, y1, x2, y2, colour, box, style, a.passed(5));
        return "LINE";
    }
    case 7: {
        const double x = a.real(), y = a.real(), radius = a.real();
        const uint32_t colour = a.colour();
        const double start = a.real(), end = a.real(), aspect = a.real();
        sub_circle(x, y, radius, colour, start, end, aspect, a.passed(5));
        return "CIRCLE";
    }
    case 8: {
        const float x = a.coordinate(), y = a.coordinate();
        const uint32_t colour = a.colour();
        if (a.flag()) {
            sub_pset(x, y, colour, a.passed(2));
            return "PSET";
        }
        sub_preset(x, y, colour, a.passed(2));
        return "PRESET";
    }
    case 9: {
        const int32_t from = handle(a), to = handle(a);
        if (!room_for_pages()) return nullptr;
        sub_pcopy(from, to);
        return "PCOPY";
    }
    case 10: {
        const int32_t method = a.flag() ? a.in_range(-1, 3) : a.integer();
        const uint32_t fill = a.colour();
        if (a.flag()) {
            sub_cls(method, fill, a.passed(2));
            return "CLS";
        }
        const int32_t destination = handle(a);
        if (!room_for_pages()) return nullptr;
        sub_clsDest(method, fill, destination, a.passed(3));
        return "CLS (destination)";
    }
    case 11: {
        const int32_t attribute = a.integer(), colour = a.flag() ? a.in_range(0, 64) : static_cast<int32_t>(a.colour());
        tqg_palette(attribute, colour, a.passed(2));
        return "PALETTE";
    }
    case 12: {
        const int32_t w = a.integer(), h = a.integer(), m = mode(a), passed = a.passed(1);
        if (!affordable(w, h)) return nullptr;
        const int32_t made = func__newimage(w, h, m, passed);
        FUZZ_CHECK(made <= 0, "_NEWIMAGE gave handle %d", made);
        if (made < -1) handles.push_back(made);
        return "_NEWIMAGE";
    }
    case 13: {
        const int32_t h = handle(a);
        sub__freeimage(h, a.passed(1));
        return "_FREEIMAGE";
    }
    case 14:
    case 15: {
        const int32_t h = handle(a);
        if (!room_for_pages()) return nullptr;
        const bool destination = a.flag();
        (destination ? sub__dest : sub__source)(h);
        handles.push_back(destination ? func__dest() : func__source());
        return destination ? "_DEST" : "_SOURCE";
    }
    case 16: {
        const uint32_t fg = a.colour(), bg = a.colour(), border = a.colour();
        tqg_sub_color(fg, bg, border, a.passed(3));
        return "COLOR";
    }
    case 17: {
        const std::vector<uint8_t> text = a.bytes(100);
        const int32_t length = static_cast<int32_t>(text.size());
        if (a.flag()) makefit_length(length);
        print_bytes(text.data(), length, a.flag());
        return "PRINT";
    }
    case 18: tab(); return "PRINT ,";
    case 19: {
        static const std::vector<int32_t> fonts = {8, 9, 14, 15, 16, 17, 0, 7, 32, 63, 64, -1};
        const int32_t font = a.flag() ? a.pick(fonts) : a.integer(), destination = handle(a);
        if (!room_for_pages()) return nullptr;
        sub__font(font, destination, a.passed(1));
        return "_FONT";
    }
    case 20: {
        const float x = a.coordinate(), y = a.coordinate();
        const double value = func_point(x, y, a.passed(1));
        (void)value;
        return "POINT";
    }
    case 21: {
        const int32_t destination = handle(a), passed = a.passed(1);
        const std::vector<uint8_t> text = a.bytes(20);
        tqs *s = tqs_new_txt_len(reinterpret_cast<const char *>(text.data()), static_cast<int32_t>(text.size()));
        const int64_t width = func__printwidth(s, destination, passed);
        FUZZ_CHECK(width >= 0, "_PRINTWIDTH gave %lld", static_cast<long long>(width));
        return "_PRINTWIDTH";
    }
    case 22: sub__controlchr(a.flag() ? 2 : a.integer()); return "_CONTROLCHR";
    default: {
        const int32_t column = func_pos(0);
        FUZZ_CHECK(column >= 1 && column <= cursor_columns(write_page), "POS(0) gave %d", column);
        return "POS";
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz_prepare();
    screen_reset();
    handles.clear();
    FuzzedDataProvider in(data, size);
    fuzz_args a(in);
    const ptrszint base = tqs_tmp_list_nexti;
    guard_video_memory();
    screen_snapshot before;
    for (int n = 0; n < MAX_STATEMENTS && !a.done(); n++) {
        before.take();
        const char *name = statement(a);
        a.end_of_statement(name, new_error);
        if (!name) continue;
        tqs_release_tmp(base, 0);
        if (new_error) before.check_unchanged(name);
        fuzz_settle_error(name);
        check_screen_rules(name);
        guard_video_memory();
    }
    // What the input made is freed again, so that the fuzzer sees no memory kept between inputs.
    screen_reset();
    return 0;
}
