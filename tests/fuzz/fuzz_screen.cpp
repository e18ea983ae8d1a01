#include "fuzz_screen.h"

#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "screen/screen_internal.h"

namespace {

// The adapters' video memory: the 256-colour page at A000:0000 up to the end of the text pages.
constexpr uint32_t VIDEO_FIRST = 0xA0000, VIDEO_END = 0xB8000 + 0x10000;

size_t image_bytes(const img_struct &im) { return static_cast<size_t>(im.width) * im.height * im.bytes_per_pixel; }

template <typename F> void for_each_image(F f) {
    for (int32_t i = 2; i < nextimg; i++)
        if (img[i].valid) f(i, img[i]);
}

bool is_builtin_font(int32_t font, bool text) {
    switch (font) {
    case 8:
    case 14:
    case 16: return true;
    case 9:
    case 15:
    case 17: return text; // the double-width glyphs of 40-column text
    default: return false;
    }
}

void check_image(int32_t index, const img_struct &im, const char *statement) {
    const mode_facts *m = find_mode(im.mode);
    FUZZ_CHECK(m, "after %s image %d has mode %d", statement, index, im.mode);
    FUZZ_CHECK(im.width >= 1 && im.height >= 1 && im.pixels, "after %s image %d is %d x %d at %p", statement, index,
               im.width, im.height, static_cast<void *>(im.pixels));
    FUZZ_CHECK(im.text == m->text() && im.bytes_per_pixel == m->bytes_per_pixel() &&
                   im.bits_per_pixel == m->bits_per_pixel,
               "after %s image %d of mode %d has depth %d", statement, index, im.mode, im.bits_per_pixel);
    FUZZ_CHECK((im.pal == nullptr) == (im.bits_per_pixel == 32), "after %s image %d has palette %p", statement, index,
               static_cast<void *>(im.pal));
    FUZZ_CHECK(is_builtin_font(im.font, im.text), "after %s image %d (text %d) has font %d", statement, index, im.text,
               im.font);
    const int32_t columns = cursor_columns(&im), rows = cursor_rows(&im);
    FUZZ_CHECK(im.cursor_x >= 1 && im.cursor_x <= columns && im.cursor_y >= 1 && im.cursor_y <= rows,
               "after %s image %d has its cursor at row %d, column %d of %d x %d", statement, index, im.cursor_y,
               im.cursor_x, rows, columns);
    FUZZ_CHECK(im.top_row >= 1 && im.top_row <= im.bottom_row && im.bottom_row <= rows,
               "after %s image %d has text view rows %d to %d of %d", statement, index, im.top_row, im.bottom_row,
               rows);
    FUZZ_CHECK(im.cursor_held <= 2 && im.print_mode >= 1 && im.print_mode <= 3,
               "after %s image %d has cursor_held %d, print_mode %d", statement, index, im.cursor_held, im.print_mode);
    if (im.text) return;
    FUZZ_CHECK(im.view_x1 >= 0 && im.view_x1 <= im.view_x2 && im.view_x2 < im.width && im.view_y1 >= 0 &&
                   im.view_y1 <= im.view_y2 && im.view_y2 < im.height,
               "after %s image %d (%d x %d) has viewport (%d, %d)-(%d, %d)", statement, index, im.width, im.height,
               im.view_x1, im.view_y1, im.view_x2, im.view_y2);
    FUZZ_CHECK(im.clipping_or_scaling <= 2, "after %s image %d has clipping_or_scaling %d", statement, index,
               im.clipping_or_scaling);
}

bool poisoned = false;

} // namespace

void check_screen_rules(const char *statement) {
    for_each_image([&](int32_t index, const img_struct &im) { check_image(index, im, statement); });
    for (int32_t index : {write_page_index, read_page_index, display_page_index})
        FUZZ_CHECK(index >= 2 && index < nextimg && img[index].valid, "after %s a current image (%d) is not in use",
                   statement, index);
    FUZZ_CHECK(write_page == &img[write_page_index] && read_page == &img[read_page_index] &&
                   display_page.load() == &img[display_page_index],
               "after %s a current image's pointer and index disagree", statement);
    FUZZ_CHECK(pages >= 1 && page[0], "after %s the screen has no page 0", statement);
    const img_struct &first = img[page[0]];
    for (int32_t p = 0; p < pages; p++) {
        if (!page[p]) continue;
        const img_struct &im = img[page[p]];
        FUZZ_CHECK(im.valid && (im.flags & IMG_FLAG_SCREEN_PAGE), "after %s page %d (image %d) is not a screen page",
                   statement, p, page[p]);
        FUZZ_CHECK(im.width == first.width && im.height == first.height && im.mode == first.mode,
                   "after %s page %d is %d x %d mode %d, page 0 %d x %d mode %d", statement, p, im.width, im.height,
                   im.mode, first.width, first.height, first.mode);
    }
}

void guard_video_memory() {
    unguard_video_memory();
    uint8_t *const first = cmem + VIDEO_FIRST, *const end = cmem + VIDEO_END;
    std::vector<std::pair<uint8_t *, uint8_t *>> live;
    for_each_image([&](int32_t, const img_struct &im) {
        if (im.pixels >= first && im.pixels < end) live.emplace_back(im.pixels, im.pixels + image_bytes(im));
    });
    std::sort(live.begin(), live.end());
    uint8_t *from = first;
    for (const auto &[start, stop] : live) {
        FUZZ_CHECK(stop <= end, "a page in video memory runs %td bytes past its end", stop - end);
        if (start > from) ASAN_POISON_MEMORY_REGION(from, static_cast<size_t>(start - from));
        from = std::max(from, stop);
    }
    if (end > from) ASAN_POISON_MEMORY_REGION(from, static_cast<size_t>(end - from));
    poisoned = true;
}

void unguard_video_memory() {
    if (!poisoned) return;
    ASAN_UNPOISON_MEMORY_REGION(cmem + VIDEO_FIRST, VIDEO_END - VIDEO_FIRST);
    poisoned = false;
}

void screen_snapshot::take() {
    images_.clear();
    palettes_.clear();
    for_each_image([&](int32_t index, const img_struct &im) {
        images_.emplace_back(index, im);
        palettes_.emplace_back(im.pal ? std::vector<uint32_t>(im.pal, im.pal + 256) : std::vector<uint32_t>());
    });
    pages_.assign(page, page + pages);
    current_[0] = write_page_index, current_[1] = read_page_index, current_[2] = display_page_index;
    width_request_[0] = sub_screen_width_in_characters, width_request_[1] = sub_screen_height_in_characters;
    width_request_[2] = sub_screen_font;
}

void screen_snapshot::check_unchanged(const char *statement) const {
    const uint32_t error = new_error;
    size_t n = 0;
    for_each_image([&](int32_t index, const img_struct &im) {
        FUZZ_CHECK(n < images_.size() && images_[n].first == index, "%s raised error %u and made image %d", statement,
                   error, index);
        FUZZ_CHECK(std::memcmp(&images_[n].second, &im, sizeof im) == 0, "%s raised error %u and changed image %d",
                   statement, error, index);
        FUZZ_CHECK(!im.pal || std::memcmp(palettes_[n].data(), im.pal, 256 * sizeof(uint32_t)) == 0,
                   "%s raised error %u and changed the palette of image %d", statement, error, index);
        n++;
    });
    FUZZ_CHECK(n == images_.size(), "%s raised error %u and released an image", statement, error);
    FUZZ_CHECK(pages_.size() == static_cast<size_t>(pages) && std::equal(pages_.begin(), pages_.end(), page),
               "%s raised error %u and changed the page table", statement, error);
    FUZZ_CHECK(current_[0] == write_page_index && current_[1] == read_page_index && current_[2] == display_page_index,
               "%s raised error %u and changed the current images", statement, error);
    FUZZ_CHECK(width_request_[0] == sub_screen_width_in_characters &&
                   width_request_[1] == sub_screen_height_in_characters && width_request_[2] == sub_screen_font,
               "%s raised error %u and left a WIDTH request", statement, error);
}

void screen_reset() {
    unguard_video_memory();
    fuzz_settle_error("the previous input");
    no_control_characters2 = 0;
    // A pending WIDTH request makes SCREEN 0 build the screen anew even when it is one already.
    sub_screen_width_in_characters = 80;
    sub_screen_height_in_characters = 25;
    sub_screen_font = 16;
    tqg_screen(0, 0, 0, 0, 0, 1);
    FUZZ_CHECK(new_error == 0, "the start-up screen could not be built again: error %u", new_error);
    for_each_image([](int32_t index, const img_struct &im) {
        if (!(im.flags & IMG_FLAG_SCREEN_PAGE)) release_image(index);
    });
    width8050switch = 1;
}

size_t image_bytes_in_use() {
    size_t total = 0;
    for_each_image([&](int32_t, const img_struct &im) {
        if (im.flags & IMG_FLAG_OWNS_PIXELS) total += image_bytes(im);
    });
    return total;
}
