// Image handles: _NEWIMAGE, _FREEIMAGE, _DEST and _SOURCE. An off-screen image is named by the
// negative of its index in the image table; 0 and above name screen pages.
#include <cstring>

#include "libtq.h"
#include "screen/screen_internal.h"

int32_t func__newimage(int32_t width, int32_t height, int32_t mode, int32_t passed) {
    if (new_error) return 0;
    if (width <= 0 || height <= 0 || ((passed & 1) && !find_mode(mode))) {
        error(5);
        return 0;
    }
    const img_struct *like = write_page;
    if (!(passed & 1)) mode = like->mode;
    if (facts_of(mode).text() && (width > TEXT_IMAGE_GRID_MAX || height > TEXT_IMAGE_GRID_MAX)) {
        error(5);
        return 0;
    }
    const int32_t index = imgnew(width, height, mode);
    if (!index) return -1;
    if (!(passed & 1)) {
        // An image in the write page's mode looks like the write page: palette, font, colours.
        img_struct *im = &img[index];
        if (im->pal && like->pal) std::memcpy(im->pal, like->pal, 256 * sizeof(uint32_t));
        selectfont(like->font, im);
        im->color = like->color;
        im->background_color = like->background_color;
        im->draw_color = im->color;
        im->transparent_color = like->transparent_color;
        im->dont_blend = like->dont_blend;
        im->print_mode = like->print_mode;
    }
    return -index;
}

void sub__freeimage(int32_t handle, int32_t passed) {
    if (new_error) return;
    int32_t index = write_page_index;
    if (passed & 1) {
        if (handle >= 0) {
            error(5);
            return;
        }
        index = valid_image_handle(handle);
        if (!index) {
            error(258);
            return;
        }
    }
    if (img[index].flags & IMG_FLAG_SCREEN_PAGE) {
        error(5);
        return;
    }
    // Output and point reads that went to the image go to the visible page from now on.
    if (index == write_page_index) set_write_page(display_page_index);
    if (index == read_page_index) set_read_page(display_page_index);
    release_image(index);
}

void sub__dest(int32_t handle) {
    if (new_error) return;
    const int32_t index = image_of_handle(handle, 258);
    if (index) set_write_page(index);
}

int32_t func__dest() { return -write_page_index; }

void sub__source(int32_t handle) {
    if (new_error) return;
    const int32_t index = image_of_handle(handle, 258);
    if (index) set_read_page(index);
}

int32_t func__source() { return -read_page_index; }
