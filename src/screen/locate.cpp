// LOCATE: places the text cursor and sets its visibility and shape. A row must lie in the text
// view or be the page's last row (the row of the function-key line, which never scrolls).
//
// The start-up text screen has 25 rows, but programs written for a 50-row text screen LOCATE
// past row 25 before they set the screen up. The first such LOCATE widens the start-up screen to
// 80 x 50 once, keeping what is already printed, instead of failing.
#include <cstring>

#include "libtq.h"
#include "screen/screen_internal.h"

namespace {

constexpr size_t START_UP_TEXT_BYTES = 80 * 25 * 2;

// Widens the start-up 80 x 25 text screen to 80 x 50 with its text and colours.
bool widen_start_up_screen() {
    uint8_t *text_memory = cmem + facts_of(0).video_memory;
    uint8_t kept[START_UP_TEXT_BYTES];
    std::memcpy(kept, text_memory, sizeof kept);
    const uint32_t color = write_page->color, background = write_page->background_color;
    tqsub_width(0, 80, 50, 0, 0, 3);
    if (new_error) return false;
    std::memcpy(text_memory, kept, sizeof kept);
    write_page->color = color;
    write_page->background_color = background;
    return true;
}

} // namespace

void tqg_sub_locate(int32_t row, int32_t column, int32_t cursor, int32_t start, int32_t stop, int32_t passed) {
    if (new_error) return;
    img_struct *im = write_page;
    const bool row_given = passed & 1, column_given = passed & 2;
    int32_t columns = cursor_columns(im);
    const int32_t rows = cursor_rows(im);
    if (((passed & 4) && cursor != 0 && cursor != 1) || ((passed & 8) && (start < 0 || start > 31)) ||
        ((passed & 16) && (stop < 0 || stop > 31))) {
        error(5);
        return;
    }
    bool widen = false;
    if (row_given) {
        if (row < im->top_row) {
            error(5);
            return;
        }
        if (row != rows && row > im->bottom_row) {
            // Only the start-up text screen itself is widened, and only once.
            const bool start_up_screen = width8050switch && im->text && (im->flags & IMG_FLAG_SCREEN_PAGE);
            if (!start_up_screen) {
                error(5);
                return;
            }
            width8050switch = 0;
            columns = 80;
            if (row > 50) {
                error(5);
                return;
            }
            widen = true;
        }
    }
    if (column_given && (column < 1 || column > columns)) {
        error(5);
        return;
    }
    if (widen) {
        if (!widen_start_up_screen()) return;
        im = write_page;
    }

    if (row_given) {
        im->cursor_y = static_cast<int16_t>(row);
        im->cursor_held = 0;
    }
    if (column_given) {
        im->cursor_x = static_cast<int16_t>(column);
        im->cursor_held = 0;
    }
    if (!row_given && !column_given && im->cursor_held) im->cursor_held = 2;

    // The cursor's look belongs to the screen: every page of it changes together.
    auto for_each_page = [&](auto change) {
        change(im);
        if (!(im->flags & IMG_FLAG_SCREEN_PAGE)) return;
        for (int32_t p = 0; p < pages; p++)
            if (page[p]) change(&img[page[p]]);
    };
    if (passed & 4) for_each_page([&](img_struct *p) { p->cursor_show = cursor ? 1 : 0; });
    if (passed & (8 | 16)) {
        const uint8_t first = (passed & 8) ? static_cast<uint8_t>(start) : im->cursor_firstvalue;
        const uint8_t last = (passed & 16) ? static_cast<uint8_t>(stop) : im->cursor_lastvalue;
        for_each_page([&](img_struct *p) {
            p->cursor_firstvalue = first;
            p->cursor_lastvalue = last;
        });
    }
}
