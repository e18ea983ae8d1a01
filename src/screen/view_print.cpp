// VIEW PRINT: the rows of the text view, the part of the page that scrolls.
#include "libtq.h"
#include "screen/screen_internal.h"

void tqg_sub_view_print(int32_t top, int32_t bottom, int32_t passed) {
    if (new_error) return;
    img_struct *im = write_page;
    const int32_t rows = cursor_rows(im);
    if (passed) {
        if (top < 1 || top > bottom || bottom > rows) {
            error(5);
            return;
        }
    } else {
        // The whole page, its last row included.
        top = 1;
        bottom = rows;
    }
    im->top_row = static_cast<int16_t>(top);
    im->bottom_row = static_cast<int16_t>(bottom);
    im->cursor_x = 1;
    im->cursor_y = static_cast<int16_t>(top);
    im->cursor_held = 0;
}
