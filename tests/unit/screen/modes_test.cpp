// Every screen mode as the statements see it: the page SCREEN builds, what COLOR and PALETTE
// take, the palette a mode starts with and CIRCLE's aspect. The expected numbers are the
// adapters' own, written out here by mode, not read from the runtime's table.
#include <gtest/gtest.h>

#include <optional>

#include "screen_test_support.h"

namespace {

constexpr uint32_t ANY = 0xFFFFFFFFu;
constexpr uint32_t OWN = 0; // the page has memory of its own

struct screen_mode {
    int32_t mode;
    uint16_t width, height;
    uint8_t bits, bytes;
    int32_t font;
    uint32_t colour;
    int16_t bottom_row; // the default text view ends one row above the last
    uint32_t memory;    // where page 0 lives in conventional memory
};

constexpr screen_mode screen_modes[] = {
    {0, 80, 25, 16, 2, 16, 7, 24, 0xB8000}, {1, 320, 200, 2, 1, 8, 3, 24, OWN},
    {2, 640, 200, 1, 1, 8, 1, 24, OWN},     {7, 320, 200, 4, 1, 8, 15, 24, OWN},
    {8, 640, 200, 4, 1, 8, 15, 24, OWN},    {9, 640, 350, 4, 1, 14, 15, 24, OWN},
    {10, 640, 350, 2, 1, 14, 3, 24, OWN},   {11, 640, 480, 1, 1, 16, 1, 29, OWN},
    {12, 640, 480, 4, 1, 16, 15, 29, OWN},  {13, 320, 200, 8, 1, 8, 15, 24, 0xA0000},
};

TEST(ScreenModes, EachModeBuildsItsAdaptersPage) {
    for (const screen_mode &m : screen_modes) {
        fresh_screen(m.mode);
        const img_struct *s = &img[page[0]];
        EXPECT_EQ(s->mode, m.mode);
        EXPECT_EQ(s->width, m.width) << m.mode;
        EXPECT_EQ(s->height, m.height) << m.mode;
        EXPECT_EQ(s->bits_per_pixel, m.bits) << m.mode;
        EXPECT_EQ(s->bytes_per_pixel, m.bytes) << m.mode;
        EXPECT_EQ(s->mask, (1u << m.bits) - 1) << m.mode;
        EXPECT_EQ(s->text, m.mode == 0) << m.mode;
        EXPECT_EQ(s->font, m.font) << m.mode;
        EXPECT_EQ(s->color, m.colour) << m.mode;
        EXPECT_EQ(s->background_color, 0u) << m.mode;
        EXPECT_EQ(s->draw_color, m.colour) << m.mode;
        EXPECT_EQ(s->bottom_row, m.bottom_row) << m.mode;
        if (m.memory)
            EXPECT_EQ(s->pixels, cmem + m.memory) << m.mode;
        else
            EXPECT_TRUE(s->flags & IMG_FLAG_OWNS_PIXELS) << m.mode;
        EXPECT_EQ(display_page.load(), s);
    }
}

TEST(ScreenModes, ImageOnlyModesMakeImagesButNoScreen) {
    fresh_screen(12);
    for (int32_t mode : {32, 256}) {
        reset_error_state();
        tqg_screen(mode, 0, 0, 0, 0, 1);
        EXPECT_EQ(new_error, 5u) << mode;
        EXPECT_EQ(write_page->mode, 12);
    }
    reset_error_state();
    const int32_t handle = func__newimage(100, 60, 256, 1);
    ASSERT_LT(handle, -1);
    const img_struct &im = img[-handle];
    EXPECT_EQ(im.bits_per_pixel, 8);
    EXPECT_EQ(im.font, 16);
    EXPECT_EQ(im.color, 15u);
    EXPECT_EQ(im.bottom_row, 2); // 60 / 16 = 3 rows
    EXPECT_EQ(im.pal[200], palette_256[200]);
    sub__freeimage(handle, 1);
    EXPECT_EQ(new_error, 0u);
}

// Makes the write page an image of `mode`: the screen for a screen mode, else an image of it.
struct mode_page {
    explicit mode_page(int32_t mode) {
        if (mode == 32 || mode == 256) {
            image.emplace(16, 16, mode);
        } else {
            fresh_screen(mode);
        }
    }
    std::optional<drawing_image> image;
};

// The largest foreground and background each mode's COLOR takes (ANY: every number).
struct colour_limits {
    int32_t mode;
    uint32_t foreground, background;
};
constexpr colour_limits color_limits[] = {
    {0, 31, 15}, {1, 15, ANY}, {2, 1, 15},   {7, 15, 15},    {8, 15, 15},     {9, 15, 63},
    {10, 3, 8},  {11, 1, 1},   {12, 15, 15}, {13, 255, 255}, {256, 255, 255}, {32, ANY, ANY},
};

TEST(ScreenModes, ColorTakesWhatEachModeHas) {
    for (const colour_limits &c : color_limits) {
        mode_page on(c.mode);
        for (auto [which, limit] : {std::pair{1, c.foreground}, {2, c.background}}) {
            reset_error_state();
            tqg_sub_color(limit, limit, 0, which);
            EXPECT_EQ(new_error, 0u) << "mode " << c.mode << " passed " << which;
            if (limit == ANY) continue;
            tqg_sub_color(limit + 1, limit + 1, 0, which);
            EXPECT_EQ(new_error, 5u) << "mode " << c.mode << " passed " << which;
        }
        // Only the text screen takes (and ignores) a border.
        reset_error_state();
        tqg_sub_color(0, 0, 1, 4);
        EXPECT_EQ(new_error, c.mode == 0 ? 0u : 5u) << c.mode;
        reset_error_state();
    }
}

TEST(ScreenModes, ColorSetsColoursOrPaletteRegisters) {
    // Modes whose background is a colour number.
    for (int32_t mode : {11, 12, 13, 256}) {
        mode_page on(mode);
        tqg_sub_color(1, 1, 0, 1 | 2);
        EXPECT_EQ(write_page->color, 1u) << mode;
        EXPECT_EQ(write_page->background_color, 1u) << mode;
    }
    // Modes whose background is palette register 0, set from the adapter's own colours.
    fresh_screen(2);
    tqg_sub_color(1, 12, 0, 1 | 2);
    EXPECT_EQ(write_page->color, 1u);
    EXPECT_EQ(write_page->background_color, 0u);
    EXPECT_EQ(write_page->pal[0], 0xFFFF5555u); // light red of the 16 colours
    fresh_screen(8);
    tqg_sub_color(9, 4, 0, 1 | 2);
    EXPECT_EQ(write_page->color, 9u);
    EXPECT_EQ(write_page->pal[0], 0xFFAA0000u);
    fresh_screen(9);
    tqg_sub_color(0, 63, 0, 2);
    EXPECT_EQ(write_page->pal[0], 0xFFFFFFFFu);
    EXPECT_EQ(write_page->background_color, 0u);
    // Mode 1: the foreground is the background colour, the background chooses the other three.
    fresh_screen(1);
    tqg_sub_color(1, 0, 0, 1 | 2);
    EXPECT_EQ(write_page->color, 3u);
    EXPECT_EQ(write_page->pal[0], 0xFF0000AAu);
    EXPECT_EQ(write_page->pal[1], 0xFF00AA00u); // green, red, brown
    EXPECT_EQ(write_page->pal[2], 0xFFAA0000u);
    EXPECT_EQ(write_page->pal[3], 0xFFAA5500u);
    EXPECT_EQ(new_error, 0u);
}

// What each mode's PALETTE takes: attributes below `attributes`; colour numbers below
// `colours`, or (colours 0) an 18-bit colour of 6 bits a channel.
struct palette_limits {
    int32_t mode;
    int32_t attributes, colours;
    int32_t first_entry; // the palette entry of attribute 0
};
constexpr palette_limits palette_modes[] = {
    {0, 16, 64, 0}, {1, 16, 16, 0}, {2, 2, 16, 0},  {7, 16, 16, 0},  {8, 16, 16, 0},   {9, 16, 64, 0},
    {10, 4, 9, 4},  {11, 2, 0, 0},  {12, 16, 0, 0}, {13, 256, 0, 0}, {256, 256, 0, 0},
};

TEST(ScreenModes, PaletteTakesWhatEachAdapterHas) {
    for (const palette_limits &p : palette_modes) {
        mode_page on(p.mode);
        const int32_t last_colour = p.colours ? p.colours - 1 : 0x3F3F3F;
        tqg_palette(p.attributes - 1, last_colour, 3);
        EXPECT_EQ(new_error, 0u) << p.mode;
        uint32_t expected;
        if (p.mode == 10)
            expected = 8; // the pseudo-colour number itself
        else if (p.colours == 64)
            expected = 0xFFFFFFFFu; // 64-colour white
        else if (p.colours == 16)
            expected = 0xFFFFFFFFu; // bright white of the 16 colours
        else
            expected = 0x00FFFFFFu; // 63, 63, 63 spread to 255 each, alpha 0
        EXPECT_EQ(write_page->pal[p.first_entry + p.attributes - 1], expected) << p.mode;
        for (auto [attribute, colour] : {std::pair{p.attributes, 0}, {0, p.colours ? p.colours : 0x40}}) {
            reset_error_state();
            tqg_palette(attribute, colour, 3);
            EXPECT_EQ(new_error, 5u) << p.mode << ": " << attribute << ", " << colour;
        }
        reset_error_state();
    }
    drawing_image deep(8, 8, 32);
    tqg_palette(0, 0, 3);
    EXPECT_EQ(new_error, 5u);
}

TEST(ScreenModes, EachModeStartsWithItsAdaptersPalette) {
    fresh_screen(2);
    EXPECT_EQ(write_page->pal[0], 0x00000000u);
    EXPECT_EQ(write_page->pal[1], 0x00FFFFFFu);
    EXPECT_EQ(write_page->pal[2], 0u); // never set
    for (int32_t mode : {0, 7, 8}) {
        fresh_screen(mode);
        for (int i = 0; i < 16; i++) EXPECT_EQ(write_page->pal[i], palette_256[i]) << mode << ": " << i;
        EXPECT_EQ(write_page->pal[16], 0u) << mode;
    }
    fresh_screen(13);
    EXPECT_EQ(write_page->pal[37], 0xFFFF00BEu); // (H, l0, l3) of the first wheel block
    EXPECT_EQ(write_page->pal[255], 0xFF000000u);
    EXPECT_EQ(std::memcmp(write_page->pal, palette_256, sizeof palette_256), 0);
}

TEST(ScreenModes, CircleAspectFollowsTheTubesPixels) {
    // A radius of 96 pixels: the vertical radius is 96 times the mode's aspect.
    for (auto [mode, height, vertical] : {std::tuple{1, 200, 80},
                                          {7, 200, 80},
                                          {13, 200, 80},
                                          {2, 200, 40},
                                          {8, 200, 40},
                                          {9, 350, 70},
                                          {10, 350, 70},
                                          {11, 480, 96},
                                          {12, 480, 96},
                                          {256, 480, 96},
                                          {32, 480, 96}}) {
        drawing_image im(640, height, mode);
        const int32_t cy = height / 2;
        sub_circle(320, cy, 96, 0xFFFFFFFFu, 0, 0, 0, 2);
        EXPECT_NE(im.at(416, cy), 0u) << mode; // the full radius across
        EXPECT_NE(im.at(320, cy - vertical), 0u) << mode;
        EXPECT_NE(im.at(320, cy + vertical), 0u) << mode;
        for (int32_t y = 0; y < cy - vertical; y++) ASSERT_EQ(im.at(320, y), 0u) << mode << ": " << y;
    }
}

} // namespace
