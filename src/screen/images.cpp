// The image table and image records: taking and releasing records, building an image over a
// buffer or with its own memory, and the defaults of its mode: depth, font, text view, colours.
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

namespace {

int32_t img_blocks_n = 0; // blocks in the directory, each IMG_TABLE_STEP records

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

// The defaults of a fresh image of the record's `mode`, `width` and `height` (everything from
// the depth to the graphics state; buffer, palette, flags and lifetime record are left alone).
void apply_mode_defaults(img_struct &im) {
    const mode_facts &m = facts_of(im.mode);
    im.text = m.text() ? 1 : 0;
    im.bits_per_pixel = m.bits_per_pixel;
    im.bytes_per_pixel = m.bytes_per_pixel();
    im.mask = im.bits_per_pixel >= 32 ? 0xFFFFFFFFu : (1u << im.bits_per_pixel) - 1;
    set_default_colours(im);
    im.print_mode = 3;
    im.cursor_held = 0;
    if (im.text) {
        // The text cursor: hidden, one scan line high.
        im.cursor_show = 0;
        im.cursor_firstvalue = 4;
        im.cursor_lastvalue = 4;
    }
    selectfont(m.font, &im);
    im.draw_angle = 0;
    im.draw_scale = 1.0;
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
        blank_cells(im.pixels, cells);
    else
        std::memset(im.pixels, 0, cells * im.bytes_per_pixel);
}

} // namespace

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
    if (!find_mode(mode)) return 0;
    if (facts_of(mode).text() && (width > TEXT_IMAGE_GRID_MAX || height > TEXT_IMAGE_GRID_MAX)) return 0;
    int32_t index = newimg();
    if (!index) return 0;
    img_struct &im = img[index];
    im.pixels = buffer;
    im.width = static_cast<uint16_t>(width);
    im.height = static_cast<uint16_t>(height);
    im.mode = static_cast<uint16_t>(mode);
    apply_mode_defaults(im);
    if (im.bits_per_pixel == 32) {
        // 32-bit colours have no palette; what is drawn with an alpha blends through tables.
        if (!init_blend()) {
            freeimg(index);
            return 0;
        }
    } else {
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
    if (im.text) blank_cells(im.pixels, cells);
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

void reset_text_view(img_struct *im) {
    im->top_row = 1;
    const int32_t bottom = text_rows(im, im->font) - 1;
    im->bottom_row = static_cast<int16_t>(bottom > 0 ? bottom : 1);
}

void selectfont(int32_t font, img_struct *image) {
    image->font = font;
    image->cursor_x = 1;
    image->cursor_y = 1;
    reset_text_view(image);
}

void set_default_colours(img_struct &im) {
    const mode_facts &m = facts_of(im.mode);
    im.color = m.color;
    im.background_color = m.background;
    im.draw_color = im.color;
}

int32_t valid_image_handle(int32_t handle) {
    if (handle >= 0) return 0;
    const int64_t index = -static_cast<int64_t>(handle);
    if (index >= nextimg || !img[index].valid) return 0;
    return static_cast<int32_t>(index);
}
