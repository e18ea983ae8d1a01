// The image table and image records: taking and releasing records, building an image over a
// buffer or with its own memory, the per-mode defaults, fonts, colours and screen pages.
#include <cstdlib>
#include <cstring>

#include "libtq.h"
#include "screen/screen_internal.h"

img_table img = {nullptr};
int32_t nimg = 0;
int32_t nextimg = 0;
int32_t *fimg = nullptr;
int32_t lastfimg = -1;
int32_t nfimg = 0;

int32_t *page = nullptr;
int32_t pages = 0;

int32_t display_page_index = 0;
int32_t write_page_index = 0;
int32_t read_page_index = 0;
std::atomic<img_struct *> display_page{nullptr};
img_struct *write_page = nullptr;
img_struct *read_page = nullptr;

namespace {

int32_t img_blocks_n = 0; // blocks in the directory, each IMG_TABLE_STEP records
int32_t page_capacity = 0;

// A page number is a 32-bit value, but each number up to it costs an entry of the page table;
// beyond this many the table is not grown and the page cannot be made.
constexpr int32_t PAGE_TABLE_LIMIT = 1 << 20;

// Adds one block of zeroed records. The blocks already there stay where they are.
bool grow_image_table() {
    if (img_blocks_n >= INT32_MAX / IMG_TABLE_STEP) return false;
    auto *block = static_cast<img_struct *>(std::calloc(IMG_TABLE_STEP, sizeof(img_struct)));
    if (!block) return false;
    auto *blocks = static_cast<img_struct **>(std::realloc(img.blocks, sizeof(img_struct *) * (img_blocks_n + 1)));
    if (!blocks) {
        std::free(block);
        return false;
    }
    blocks[img_blocks_n++] = block;
    img.blocks = blocks;
    nimg = img_blocks_n * IMG_TABLE_STEP;
    return true;
}

bool is_known_mode(int32_t mode) {
    switch (mode) {
    case 0:
    case 1:
    case 2:
    case 7:
    case 8:
    case 9:
    case 10:
    case 11:
    case 12:
    case 13:
    case 32:
    case 256: return true;
    default: return false;
    }
}

void fill_blank_cells(uint8_t *cells, size_t count) {
    for (size_t i = 0; i < count; i++) {
        cells[i * 2] = 32;
        cells[i * 2 + 1] = 7;
    }
}

// The defaults of a fresh image of the record's `mode`, `width` and `height` (everything from
// the depth to the graphics state; buffer, palette, flags and lifetime record are left alone).
void apply_mode_defaults(img_struct &im) {
    im.bytes_per_pixel = 1;
    im.font = 16;
    im.color = 15;
    im.background_color = 0;
    im.text = 0;
    im.print_mode = 3;
    im.cursor_held = 0;
    im.draw_angle = 0;
    im.draw_scale = 1.0;
    switch (im.mode) {
    case 0:
        im.bits_per_pixel = 16;
        im.bytes_per_pixel = 2;
        im.color = 7;
        im.text = 1;
        im.cursor_show = 0;
        im.cursor_firstvalue = 4;
        im.cursor_lastvalue = 4;
        break;
    case 1:
        im.bits_per_pixel = 2;
        im.font = 8;
        im.color = 3;
        break;
    case 2:
        im.bits_per_pixel = 1;
        im.font = 8;
        im.color = 1;
        break;
    case 7:
    case 8:
        im.bits_per_pixel = 4;
        im.font = 8;
        break;
    case 9:
        im.bits_per_pixel = 4;
        im.font = 14;
        break;
    case 10:
        im.bits_per_pixel = 2;
        im.font = 14;
        im.color = 3;
        break;
    case 11:
        im.bits_per_pixel = 1;
        im.color = 1;
        break;
    case 12: im.bits_per_pixel = 4; break;
    case 13:
        im.bits_per_pixel = 8;
        im.font = 8;
        break;
    case 32:
        im.bits_per_pixel = 32;
        im.bytes_per_pixel = 4;
        im.color = 0xFFFFFFFFu;
        im.background_color = 0xFF000000u;
        break;
    default: // 256
        im.bits_per_pixel = 8;
        break;
    }
    im.draw_color = im.color;
    im.mask = im.bits_per_pixel >= 32 ? 0xFFFFFFFFu : (1u << im.bits_per_pixel) - 1;
    im.cursor_x = 1;
    im.cursor_y = 1;
    im.top_row = 1;
    int32_t bottom = text_rows(&im, im.font) - 1;
    im.bottom_row = static_cast<int16_t>(bottom > 0 ? bottom : 1);
    if (!im.text) {
        im.x = static_cast<float>(im.width) * 0.5f;
        im.y = static_cast<float>(im.height) / 2;
        im.view_x2 = im.width - 1;
        im.view_y2 = im.height - 1;
        im.scaling_x = 1;
        im.scaling_y = 1;
        im.window_x2 = static_cast<float>(im.view_x2);
        im.window_y2 = static_cast<float>(im.view_y2);
    }
}

void clear_contents(img_struct &im) {
    size_t cells = static_cast<size_t>(im.width) * im.height;
    if (!im.pixels) return;
    if (im.text)
        fill_blank_cells(im.pixels, cells);
    else
        std::memset(im.pixels, 0, cells * im.bytes_per_pixel);
}

bool grow_page_table(int32_t entries) {
    if (entries <= page_capacity) {
        for (int32_t i = pages; i < entries; i++) page[i] = 0;
        if (entries > pages) pages = entries;
        return true;
    }
    if (entries > PAGE_TABLE_LIMIT) return false;
    auto *grown = static_cast<int32_t *>(std::realloc(page, sizeof(int32_t) * static_cast<size_t>(entries)));
    if (!grown) return false;
    page = grown;
    page_capacity = entries;
    for (int32_t i = pages; i < entries; i++) page[i] = 0;
    pages = entries;
    return true;
}

} // namespace

bool ensure_pages(int32_t entries) { return entries <= PAGE_TABLE_LIMIT && grow_page_table(entries); }

void reset_page_table() {
    pages = 1;
    page[0] = 0;
}

void release_image(int32_t index) {
    img_struct &im = img[index];
    if (im.flags & IMG_FLAG_OWNS_PIXELS) std::free(im.pixels);
    if (im.flags & IMG_FLAG_OWNS_PALETTE) std::free(im.pal);
    freeimg(index);
}

void screen_init_images() {
    if (!img.blocks && !grow_image_table()) error(502);
    for (int32_t b = 0; b < img_blocks_n; b++) std::memset(img.blocks[b], 0, sizeof(img_struct) * IMG_TABLE_STEP);
    if (!fimg) {
        fimg = static_cast<int32_t *>(std::malloc(sizeof(int32_t) * IMG_TABLE_STEP));
        if (!fimg) error(503);
        nfimg = IMG_TABLE_STEP;
    }
    lastfimg = -1;
    nextimg = 2; // indices 0 and 1 are never images
    if (!page) grow_page_table(1);
    reset_page_table();
}

int32_t newimg() {
    int32_t index;
    if (lastfimg >= 0) {
        index = fimg[lastfimg--];
    } else {
        if (nextimg >= nimg && !grow_image_table()) {
            error(502);
            return 0;
        }
        index = nextimg++;
    }
    img[index].valid = 1;
    return index;
}

int32_t freeimg(int32_t index) {
    if (index < 0 || index >= nextimg || !img[index].valid) return 0;
    img_struct &im = img[index];
    if (im.lock_id && im.lock) free_mem_lock(im.lock);
    if (lastfimg + 1 >= nfimg) {
        auto *grown =
            static_cast<int32_t *>(std::realloc(fimg, sizeof(int32_t) * (static_cast<size_t>(nfimg) + IMG_TABLE_STEP)));
        if (!grown) {
            error(503);
            return 0;
        }
        fimg = grown;
        nfimg += IMG_TABLE_STEP;
    }
    std::memset(&im, 0, sizeof im);
    fimg[++lastfimg] = index;
    return 1;
}

int32_t imgframe(uint8_t *buffer, int32_t width, int32_t height, int32_t mode) {
    // The record keeps its size in 16 bits: a larger image would not match its own buffer.
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535) return 0;
    if (!is_known_mode(mode)) return 0;
    int32_t index = newimg();
    if (!index) return 0;
    img_struct &im = img[index];
    im.pixels = buffer;
    im.width = static_cast<uint16_t>(width);
    im.height = static_cast<uint16_t>(height);
    im.mode = static_cast<uint16_t>(mode);
    apply_mode_defaults(im);
    if (mode == 32 && !init_blend()) {
        freeimg(index);
        return 0;
    }
    if (mode != 32) {
        im.pal = static_cast<uint32_t *>(std::calloc(256, sizeof(uint32_t)));
        if (!im.pal) {
            freeimg(index);
            return 0;
        }
        im.flags |= IMG_FLAG_OWNS_PALETTE;
        restorepalette(&im);
        im.transparent_color = -1;
    }
    return index;
}

int32_t imgnew(int32_t width, int32_t height, int32_t mode) {
    int32_t index = imgframe(nullptr, width, height, mode);
    if (!index) return 0;
    img_struct &im = img[index];
    size_t cells = static_cast<size_t>(im.width) * im.height;
    im.pixels = static_cast<uint8_t *>(std::calloc(cells, im.bytes_per_pixel));
    if (!im.pixels) {
        std::free(im.pal);
        freeimg(index);
        return 0;
    }
    im.flags |= IMG_FLAG_OWNS_PIXELS;
    if (im.text) fill_blank_cells(im.pixels, cells);
    return index;
}

void imgrevert(int32_t index) {
    if (index < 0 || index >= nextimg || !img[index].valid) return;
    img_struct &im = img[index];
    // What a revert keeps: the viewport's top-left corner and origin, the kind of mapping, and
    // the WINDOW's first corner and offsets.
    const int32_t view_x1 = im.view_x1, view_y1 = im.view_y1;
    const int32_t view_offset_x = im.view_offset_x, view_offset_y = im.view_offset_y;
    const uint8_t clipping_or_scaling = im.clipping_or_scaling;
    const float scaling_offset_x = im.scaling_offset_x, scaling_offset_y = im.scaling_offset_y;
    const float window_x1 = im.window_x1, window_y1 = im.window_y1;
    apply_mode_defaults(im);
    im.view_x1 = view_x1;
    im.view_y1 = view_y1;
    im.view_offset_x = view_offset_x;
    im.view_offset_y = view_offset_y;
    im.clipping_or_scaling = clipping_or_scaling;
    im.scaling_offset_x = scaling_offset_x;
    im.scaling_offset_y = scaling_offset_y;
    im.window_x1 = window_x1;
    im.window_y1 = window_y1;
    if (im.pal && (im.flags & IMG_FLAG_OWNS_PALETTE)) restorepalette(&im);
    clear_contents(im);
}

void selectfont(int32_t font, img_struct *image) {
    image->font = font;
    image->cursor_x = 1;
    image->cursor_y = 1;
    image->top_row = 1;
    int32_t bottom = text_rows(image, font) - 1;
    image->bottom_row = static_cast<int16_t>(bottom > 0 ? bottom : 1);
}

void defaultcolors() {
    img_struct *im = write_page;
    im->color = 15;
    im->background_color = 0;
    switch (im->mode) {
    case 0: im->color = 7; break;
    case 1:
    case 10: im->color = 3; break;
    case 2:
    case 11: im->color = 1; break;
    case 32:
        im->color = 0xFFFFFFFFu;
        im->background_color = 0xFF000000u;
        break;
    default: break;
    }
    im->draw_color = im->color;
}

bool validatepage(int32_t page_number) {
    if (page_number < 0) return false;
    if (page_number >= PAGE_TABLE_LIMIT || (page_number >= pages && !grow_page_table(page_number + 1))) {
        error(7);
        return false;
    }
    if (page[page_number]) return true;
    const img_struct &first = img[page[0]];
    int32_t index = imgnew(first.width, first.height, first.mode);
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
    im.flags |= IMG_FLAG_SCREEN_PAGE;
    selectfont(first.font, &im);
    page[page_number] = index;
    return true;
}
