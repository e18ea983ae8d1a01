// Helpers for the screen tests: a known screen to start from, and off-screen images to draw on.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "libtq.h"
#include "screen/screen_internal.h"
#include "test_support.h"

// Rebuilds the start-up 80 x 25 text screen, whatever the screen was, then selects `mode`.
inline void fresh_screen(int32_t mode) {
    reset_error_state();
    sub_screen_width_in_characters = 80;
    sub_screen_height_in_characters = 25;
    sub_screen_font = 16;
    tqg_screen(0, 0, 0, 0, 0, 1);
    if (mode != 0) tqg_screen(mode, 0, 0, 0, 0, 1);
    ASSERT_EQ(new_error, 0u);
}

// An off-screen image that is the write and read page for the life of the object. Its pixels
// lie inside a larger buffer whose margins are checked for stray writes.
class drawing_image {
  public:
    static constexpr size_t MARGIN = 256;
    drawing_image(int32_t width, int32_t height, int32_t mode) {
        reset_error_state();
        bytes = static_cast<size_t>(width) * height * (mode == 32 ? 4 : 1);
        buffer.assign(bytes + 2 * MARGIN, GUARD);
        std::fill(buffer.begin() + MARGIN, buffer.begin() + MARGIN + bytes, 0);
        index = imgframe(buffer.data() + MARGIN, width, height, mode);
        saved_write_index = write_page_index;
        saved_read_index = read_page_index;
        set_write_page(index);
        set_read_page(index);
    }
    ~drawing_image() {
        set_write_page(saved_write_index);
        set_read_page(saved_read_index);
        release_image(index);
        reset_error_state();
    }
    img_struct *operator->() const { return &img[index]; }
    uint32_t at(int32_t x, int32_t y) const {
        const img_struct &im = img[index];
        const size_t i = static_cast<size_t>(y) * im.width + static_cast<size_t>(x);
        if (im.bytes_per_pixel == 4) return reinterpret_cast<const uint32_t *>(im.pixels)[i];
        return im.pixels[i];
    }
    void set(int32_t x, int32_t y, uint32_t v) {
        img_struct &im = img[index];
        const size_t i = static_cast<size_t>(y) * im.width + static_cast<size_t>(x);
        if (im.bytes_per_pixel == 4)
            reinterpret_cast<uint32_t *>(im.pixels)[i] = v;
        else
            im.pixels[i] = static_cast<uint8_t>(v);
    }
    // Pixels that are not 0.
    int count_set() const {
        int n = 0;
        for (int32_t y = 0; y < img[index].height; y++)
            for (int32_t x = 0; x < img[index].width; x++) n += at(x, y) != 0;
        return n;
    }
    bool margins_intact() const {
        for (size_t i = 0; i < MARGIN; i++)
            if (buffer[i] != GUARD || buffer[MARGIN + bytes + i] != GUARD) return false;
        return true;
    }
    int32_t index = 0;

  private:
    static constexpr uint8_t GUARD = 0xA5;
    std::vector<uint8_t> buffer;
    size_t bytes = 0;
    int32_t saved_write_index, saved_read_index;
};
