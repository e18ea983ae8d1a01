// The screen's pages and the three current images.
//
// A screen has one or more pages, each an image of the screen's size and mode; they share page
// 0's palette, as the pages of an adapter share its palette registers. The program draws on one
// page (the write page, which is also the read page unless _SOURCE says otherwise) while the
// window shows another (the display page). Pages are made when a program first names them and
// live until the screen is rebuilt.
#include "screen/pages.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "screen/screen_internal.h"

int32_t display_page_index = 0;
int32_t write_page_index = 0;
int32_t read_page_index = 0;
std::atomic<img_struct *> display_page{nullptr};
img_struct *write_page = nullptr;
img_struct *read_page = nullptr;

namespace {

// The page table starts as this one entry, 0: there is no screen until start-up selects one.
// Growing moves it to the heap.
int32_t first_page_entry[1] = {0};
int32_t page_capacity = 1;

// The page number SCREEN last made the active page; its graphics state follows the program to
// the next active page. A new screen starts on page 0.
int32_t screen_active_page = 0;

// The text view after a page switch: the whole page but its last row, and the cursor back on
// the page.
void reset_view_print(img_struct *im) {
    reset_text_view(im);
    if (im->cursor_y > text_rows(im, im->font)) im->cursor_y = 1;
}

} // namespace

int32_t *page = first_page_entry;
int32_t pages = 1;

bool ensure_pages(int32_t entries) {
    if (entries > PAGE_TABLE_LIMIT) return false;
    if (entries > page_capacity) {
        const bool on_heap = page != first_page_entry;
        auto *grown = static_cast<int32_t *>(
            std::realloc(on_heap ? page : nullptr, sizeof(int32_t) * static_cast<size_t>(entries)));
        if (!grown) return false;
        if (!on_heap) std::memcpy(grown, page, sizeof(int32_t) * static_cast<size_t>(pages));
        page = grown;
        page_capacity = entries;
    }
    for (int32_t i = pages; i < entries; i++) page[i] = 0;
    if (entries > pages) pages = entries;
    return true;
}

void set_write_page(int32_t index) {
    write_page_index = index;
    write_page = &img[index];
}

void set_read_page(int32_t index) {
    read_page_index = index;
    read_page = &img[index];
}

void set_display_page(int32_t index) {
    display_page_index = index;
    display_page.store(&img[index]);
}

void set_current_pages(int32_t index) {
    set_write_page(index);
    set_read_page(index);
    set_display_page(index);
}

void set_screen_page(int32_t number, int32_t index) {
    img[index].flags |= IMG_FLAG_SCREEN_PAGE;
    page[number] = index;
}

void release_screen(bool keep_page0) {
    if (page[0]) {
        for (int32_t p = 1; p < pages; p++)
            if (page[p]) release_image(page[p]);
        if (keep_page0)
            img[page[0]].flags &= ~IMG_FLAG_SCREEN_PAGE;
        else
            release_image(page[0]);
    }
    pages = 1;
    page[0] = 0;
    screen_active_page = 0;
}

void release_pages_but_first() {
    const int32_t first = page[0];
    for (int32_t p = 1; p < pages; p++) {
        const int32_t index = page[p];
        if (!index || index == first) continue;
        if (display_page_index == index) set_display_page(first);
        if (write_page_index == index) set_write_page(first);
        if (read_page_index == index) set_read_page(first);
        release_image(index);
        page[p] = 0;
    }
    pages = 1;
    screen_active_page = 0;
}

bool validatepage(int32_t page_number) {
    if (page_number < 0) return false;
    if (page_number >= PAGE_TABLE_LIMIT || (page_number >= pages && !ensure_pages(page_number + 1))) {
        error(7);
        return false;
    }
    if (page[page_number]) return true;
    const img_struct &first = img[page[0]];
    const int32_t index = imgnew(first.width, first.height, first.mode);
    if (!index) {
        error(7);
        return false;
    }
    img_struct &im = img[index];
    if (im.bits_per_pixel != 32) {
        std::free(im.pal);
        im.flags &= ~IMG_FLAG_OWNS_PALETTE;
        im.pal = first.pal;
    }
    selectfont(first.font, &im);
    set_screen_page(page_number, index);
    return true;
}

void defaultcolors() { set_default_colours(*write_page); }

void switch_active_page(int32_t number) {
    if (!validatepage(number)) return;
    const int32_t index = page[number];
    if (index != write_page_index || index != read_page_index) {
        set_write_page(index);
        set_read_page(index);
        defaultcolors();
        reset_view_print(write_page);
    }
    if (number == screen_active_page) return;
    // The viewport, WINDOW, graphics cursor and DRAW state follow the program to its new page.
    const int32_t previous = screen_active_page < pages ? page[screen_active_page] : 0;
    if (!write_page->text && previous && img[previous].valid && !img[previous].text) {
        constexpr size_t from = offsetof(img_struct, view_x1);
        constexpr size_t to = offsetof(img_struct, draw_scale) + sizeof(double);
        std::memmove(reinterpret_cast<char *>(write_page) + from, reinterpret_cast<char *>(&img[previous]) + from,
                     to - from);
    }
    screen_active_page = number;
}

void switch_visual_page(int32_t number) {
    if (!validatepage(number)) return;
    const int32_t index = page[number];
    if (index == display_page_index) return;
    set_display_page(index);
    defaultcolors();
    reset_view_print(write_page);
}

const img_struct *image_of_handle_unmade(int32_t handle) {
    if (handle < 0) {
        const int32_t index = valid_image_handle(handle);
        return index ? &img[index] : nullptr;
    }
    if (handle >= PAGE_TABLE_LIMIT) return nullptr;
    return &img[handle < pages && page[handle] ? page[handle] : page[0]];
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
