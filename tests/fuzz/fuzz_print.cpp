// PRINT of any bytes on every screen mode, text grid and font, and on off-screen images of any
// size, from any cursor position and text view, with control characters acting or shown as
// glyphs. Every glyph and cell must land on the page and the cursor must stay on it.
#include "fuzz_screen.h"
#include "screen/screen_internal.h"

namespace {

// The text grids a text screen takes (WIDTH's own choices and some it must refuse).
struct grid {
    int32_t columns, rows;
};
const std::vector<grid> text_grids = {{80, 25}, {40, 25}, {80, 43},   {40, 43},  {80, 50},  {40, 50},
                                      {80, 60}, {1, 1},   {255, 255}, {132, 60}, {256, 25}, {2, 255}};

// The page the input prints on: a screen in any mode and grid, or an off-screen image of any
// size. False when the set-up itself failed (an impossible grid), which ends the input.
bool choose_page(fuzz_args &a) {
    static const std::vector<int32_t> screens = {0, 1, 2, 7, 8, 9, 10, 11, 12, 13};
    switch (a.in_range(0, 2)) {
    case 0: {
        const grid g = a.pick(text_grids);
        unguard_video_memory();
        tqsub_width(0, g.columns, g.rows, 0, 0, 3);
        return fuzz_settle_error("WIDTH") == 0;
    }
    case 1: {
        const int32_t mode = a.pick(screens);
        unguard_video_memory();
        tqg_screen(mode, 0, 0, 0, 0, 1);
        if (a.flag()) tqsub_width(0, 80, a.pick(std::vector<int32_t>{25, 30, 43, 50, 60}), 0, 0, 2);
        fuzz_settle_error("SCREEN");
        return true;
    }
    default: {
        static const std::vector<int32_t> modes = {256, 32, 0, 1, 2, 7, 8, 9, 10, 11, 12, 13};
        const int32_t mode = a.pick(modes);
        // Sizes around a glyph's: smaller than one, a glyph and a pixel more, a few screens' worth.
        const int32_t w = a.flag() ? a.in_range(1, 40) : a.in_range(1, 1000);
        const int32_t h = a.flag() ? a.in_range(1, 40) : a.in_range(1, mode == 0 ? 32767 / w + 1 : 600);
        const int32_t handle = func__newimage(w, h, mode, 1);
        if (fuzz_settle_error("_NEWIMAGE") || handle >= -1) return false;
        sub__dest(handle);
        return true;
    }
    }
}

void set_up_text(fuzz_args &a) {
    static const std::vector<int32_t> fonts = {8, 9, 14, 15, 16, 17};
    if (a.flag()) sub__font(a.pick(fonts), 0, 0);
    fuzz_settle_error("_FONT");
    if (a.flag()) tqg_sub_view_print(a.in_range(0, 60), a.in_range(0, 60), a.flag());
    fuzz_settle_error("VIEW PRINT");
    if (a.flag()) tqg_sub_color(a.colour(), a.colour(), 0, a.passed(2));
    fuzz_settle_error("COLOR");
    sub__controlchr(a.flag() ? 2 : 0);
    write_page->print_mode = static_cast<uint8_t>(a.in_range(1, 3)); // as _PRINTMODE sets it
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz_prepare();
    screen_reset();
    FuzzedDataProvider in(data, size);
    fuzz_args a(in);
    if (!choose_page(a)) {
        screen_reset();
        return 0;
    }
    set_up_text(a);
    check_screen_rules("the set-up");
    guard_video_memory();
    while (!a.done()) {
        const char *name;
        switch (a.in_range(0, 7)) {
        case 0:
            unguard_video_memory(); // the first LOCATE past row 25 widens the start-up screen
            tqg_sub_locate(a.in_range(0, 70), a.in_range(0, 260), 0, 0, 0, a.passed(2));
            name = "LOCATE";
            break;
        case 1:
            tab();
            name = "PRINT ,";
            break;
        default: {
            const std::vector<uint8_t> text = a.bytes(300);
            const auto length = static_cast<int32_t>(text.size());
            if (a.flag()) makefit_length(length);
            print_bytes(text.data(), length, a.flag());
            name = "PRINT";
            break;
        }
        }
        fuzz_settle_error(name);
        check_screen_rules(name);
        guard_video_memory();
    }
    // What the input made is freed again, so that the fuzzer sees no memory kept between inputs.
    screen_reset();
    return 0;
}
