// PCOPY: copies one page's contents onto another of the same size and kind.
#include <cstring>

#include "libtq.h"
#include "screen/screen_internal.h"

void sub_pcopy(int32_t source_page, int32_t destination_page) {
    if (new_error) return;
    // Both handles are checked before a page is made for either.
    if ((source_page < 0 && !valid_image_handle(source_page)) ||
        (destination_page < 0 && !valid_image_handle(destination_page))) {
        error(5);
        return;
    }
    const int32_t from = image_of_handle(source_page, 5);
    if (!from) return;
    const int32_t to = image_of_handle(destination_page, 5);
    if (!to || from == to) return;
    const img_struct &source = img[from];
    img_struct &destination = img[to];
    if (source.bytes_per_pixel != destination.bytes_per_pixel || source.width != destination.width ||
        source.height != destination.height || (source.bytes_per_pixel == 1 && destination.mask < source.mask)) {
        error(5);
        return;
    }
    std::memcpy(destination.pixels, source.pixels,
                static_cast<size_t>(source.width) * source.height * source.bytes_per_pixel);
}
