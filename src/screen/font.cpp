// _FONT: the font of the write page or of an image. On a text screen the font only changes the
// size of the cells the composer draws, so every page of the screen takes it at once; on a pixel
// image it changes the text grid, so the cursor and text view start again.
#include "libtq.h"
#include "screen/screen_internal.h"

namespace {

bool is_built_in(int32_t font) { return font >= 0 && font < FONT_TABLE_SIZE && fontwidth[font] != 0; }
// The 16-pixel-wide fonts of 40-column text exist only for text pages.
bool is_double_width(int32_t font) { return font == 9 || font == 15 || font == 17; }

} // namespace

void sub__font(int32_t font, int32_t destination, int32_t passed) {
    if (new_error) return;
    if (!is_built_in(font)) {
        error(258);
        return;
    }
    img_struct *im = write_page;
    if (passed & 1) {
        // A page number names an existing page or a new one; check the font before making it.
        if (destination < 0) {
            const int32_t index = valid_image_handle(destination);
            if (!index) {
                error(258);
                return;
            }
            im = &img[index];
        } else {
            const bool pixel_screen = !img[page[0]].text;
            if (pixel_screen && is_double_width(font)) {
                error(5);
                return;
            }
            const int32_t index = image_of_handle(destination, 258);
            if (!index) return;
            im = &img[index];
        }
    }
    if ((!im->text && is_double_width(font)) || (im->text && !(fontflags[font] & FONT_FLAG_MONOSPACE))) {
        error(5);
        return;
    }
    if (im->text && (im->flags & IMG_FLAG_SCREEN_PAGE)) {
        const bool locked = display_lock_take();
        screen_last_valid.store(0);
        for (int32_t p = 0; p < pages; p++)
            if (page[p]) img[page[p]].font = font;
        if (locked) display_lock_release();
        return;
    }
    selectfont(font, im);
    im->cursor_held = 0; // the cursor starts again at the top; no line break is owed there
}
