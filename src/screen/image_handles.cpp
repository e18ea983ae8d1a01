// Image handles: _NEWIMAGE, _FREEIMAGE, _DEST and _SOURCE. An off-screen image is named by the
// negative of its index in the image table; 0 and above name screen pages.
#include <cstdlib>
#include <cstring>

#include "libtq.h"
#include "screen/screen_internal.h"

int32_t valid_image_handle(int32_t handle) {
    if (handle >= 0) return 0;
    const int64_t index = -static_cast<int64_t>(handle);
    if (index >= nextimg || !img[index].valid) return 0;
    return static_cast<int32_t>(index);
}

int32_t image_of_handle(int32_t handle, int32_t bad_handle_error) {
    if (handle < 0) {
        const int32_t index = valid_image_handle(handle);
        if (!index) error(bad_handle_error);
        return index;
    }
    if (!validatepage(handle)) return 0;
    return page[handle];
}

namespace {

bool is_image_mode(int32_t mode) {
    return (mode >= 0 && mode <= 2) || (mode >= 7 && mode <= 13) || mode == 32 || mode == 256;
}

} // namespace

int32_t func__newimage(int32_t width, int32_t height, int32_t mode, int32_t passed) {
    if (new_error) return 0;
    if (width <= 0 || height <= 0 || ((passed & 1) && !is_image_mode(mode))) {
        error(5);
        return 0;
    }
    const img_struct *like = write_page;
    const int32_t index = imgnew(width, height, (passed & 1) ? mode : like->mode);
    if (!index) return -1;
    if (!(passed & 1)) {
        // An image in the write page's mode looks like the write page: palette, font, colours.
        img_struct *im = &img[index];
        if (im->pal && like->pal) std::memcpy(im->pal, like->pal, 256 * sizeof(uint32_t));
        apply_font(im, like->font);
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
    if (index == write_page_index) {
        write_page_index = display_page_index;
        write_page = &img[display_page_index];
    }
    if (index == read_page_index) {
        read_page_index = display_page_index;
        read_page = &img[display_page_index];
    }
    release_image(index);
}

void sub__dest(int32_t handle) {
    if (new_error) return;
    const int32_t index = image_of_handle(handle, 258);
    if (!index) return;
    write_page_index = index;
    write_page = &img[index];
}

int32_t func__dest() { return -write_page_index; }

void sub__source(int32_t handle) {
    if (new_error) return;
    const int32_t index = image_of_handle(handle, 258);
    if (!index) return;
    read_page_index = index;
    read_page = &img[index];
}

int32_t func__source() { return -read_page_index; }
