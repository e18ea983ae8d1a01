// PCOPY: copies one page's contents onto another of the same size and kind.
#include <cstring>

#include "libtq.h"
#include "screen/screen_internal.h"

void sub_pcopy(int32_t source_page, int32_t destination_page) {
    if (new_error) return;
    // Both handles and the two images' likeness are checked before a page is made for either: a
    // page not made yet is checked as the copy of page 0 it would be made as.
    if ((source_page < 0 && !valid_image_handle(source_page)) ||
        (destination_page < 0 && !valid_image_handle(destination_page))) {
        error(5);
        return;
    }
    const img_struct *source = image_of_handle_unmade(source_page);
    const img_struct *destination = image_of_handle_unmade(destination_page);
    if (!source || !destination) { // a page number the page table cannot reach
        error(7);
        return;
    }
    if (source->bytes_per_pixel != destination->bytes_per_pixel || source->width != destination->width ||
        source->height != destination->height || (source->bytes_per_pixel == 1 && destination->mask < source->mask)) {
        error(5);
        return;
    }
    const int32_t from = image_of_handle(source_page, 5);
    if (!from) return;
    const int32_t to = image_of_handle(destination_page, 5);
    if (!to || from == to) return;
    std::memcpy(img[to].pixels, img[from].pixels,
                static_cast<size_t>(img[from].width) * img[from].height * img[from].bytes_per_pixel);
}
