// The default palettes of the emulated adapters, the per-mode palette of an image, and what a
// colour number means to a mode's palette registers.
//
// The 256-colour palette is the 16-colour set, sixteen greys, then nine blocks of 24 colours that
// walk the colour wheel at three brightnesses and three saturations each; the 64-colour table of
// the 16-colour adapter has two bits per channel, one worth 0xAA and one worth 0x55. Both are
// computed here from those rules when the program is built, as 0xRRGGBB values; start-up adds
// alpha 0xFF.
#include <array>
#include <cmath>
#include <cstring>

#include "libtq.h"
#include "screen/screen_internal.h"

uint32_t palette_256[256];
uint32_t palette_64[64];
uint32_t pal_mode10[2][9];

namespace {

constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; }

// A 6-bit channel of the VGA's colour registers spread over 0..255, rounded to nearest.
uint32_t channel_8bit(uint32_t c) {
    return static_cast<uint32_t>(std::nearbyint(static_cast<double>(c) * 4.0634918 - 0.4999999));
}

constexpr std::array<uint32_t, 16> colours16 = {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA,
                                                0xAA5500, 0xAAAAAA, 0x555555, 0x5555FF, 0x55FF55, 0x55FFFF,
                                                0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};
constexpr std::array<uint32_t, 16> greys = {0x00, 0x14, 0x20, 0x2D, 0x39, 0x45, 0x51, 0x61,
                                            0x71, 0x82, 0x92, 0xA2, 0xB6, 0xCA, 0xE3, 0xFF};

// One block of the wheel: four lower levels l0 < l1 < l2 < l3 and the full level H.
struct wheel_block {
    uint32_t l[4];
    uint32_t h;
};
constexpr std::array<wheel_block, 9> wheel_blocks = {{
    {{0x00, 0x41, 0x7D, 0xBE}, 0xFF},
    {{0x7D, 0x9E, 0xBE, 0xDF}, 0xFF},
    {{0xB6, 0xC6, 0xDB, 0xEB}, 0xFF},
    {{0x00, 0x1C, 0x39, 0x55}, 0x71},
    {{0x39, 0x45, 0x55, 0x61}, 0x71},
    {{0x51, 0x59, 0x61, 0x69}, 0x71},
    {{0x00, 0x10, 0x20, 0x31}, 0x41},
    {{0x20, 0x28, 0x31, 0x39}, 0x41},
    {{0x2D, 0x31, 0x35, 0x3D}, 0x41},
}};

// The walk round the wheel: for each of the 24 steps, the level of red, green and blue, as an
// index into l0..l3, or 4 for the full level. Blue to magenta to red to yellow to green to cyan.
constexpr uint8_t H = 4;
constexpr uint8_t wheel_walk[24][3] = {
    {0, 0, H}, {1, 0, H}, {2, 0, H}, {3, 0, H}, {H, 0, H}, {H, 0, 3}, {H, 0, 2}, {H, 0, 1},
    {H, 0, 0}, {H, 1, 0}, {H, 2, 0}, {H, 3, 0}, {H, H, 0}, {3, H, 0}, {2, H, 0}, {1, H, 0},
    {0, H, 0}, {0, H, 1}, {0, H, 2}, {0, H, 3}, {0, H, H}, {0, 3, H}, {0, 2, H}, {0, 1, H},
};

constexpr std::array<uint32_t, 256> make_palette_256() {
    std::array<uint32_t, 256> p{};
    for (int i = 0; i < 16; i++) p[i] = colours16[i];
    for (int i = 0; i < 16; i++) p[16 + i] = rgb(greys[i], greys[i], greys[i]);
    for (int b = 0; b < 9; b++) {
        const wheel_block &block = wheel_blocks[b];
        for (int s = 0; s < 24; s++) {
            uint32_t level[3];
            for (int c = 0; c < 3; c++) {
                uint8_t which = wheel_walk[s][c];
                level[c] = which == H ? block.h : block.l[which];
            }
            p[32 + b * 24 + s] = rgb(level[0], level[1], level[2]);
        }
    }
    return p; // 248-255 stay black
}

constexpr uint32_t bit(uint32_t value, int n) { return (value >> n) & 1; }

constexpr std::array<uint32_t, 64> make_palette_64() {
    std::array<uint32_t, 64> p{};
    for (uint32_t i = 0; i < 64; i++)
        p[i] = rgb(0xAA * bit(i, 2) + 0x55 * bit(i, 5), 0xAA * bit(i, 1) + 0x55 * bit(i, 4),
                   0xAA * bit(i, 0) + 0x55 * bit(i, 3));
    return p;
}

// Mode 10's pseudo-colour i is black, grey or white number i / 3 in the first half of the blink
// period and number i % 3 in the second.
constexpr uint32_t mono_levels[3] = {0x000000, 0x808080, 0xFFFFFF};
constexpr std::array<std::array<uint32_t, 9>, 2> make_pal_mode10() {
    std::array<std::array<uint32_t, 9>, 2> p{};
    for (int i = 0; i < 9; i++) {
        p[0][i] = mono_levels[i / 3];
        p[1][i] = mono_levels[i % 3];
    }
    return p;
}

constexpr auto default_palette_256 = make_palette_256();
constexpr auto default_palette_64 = make_palette_64();
constexpr auto default_pal_mode10 = make_pal_mode10();

static_assert(default_palette_256[32] == 0x0000FF && default_palette_256[33] == 0x4100FF);
static_assert(default_palette_256[44] == 0xFFFF00 && default_palette_256[247] == 0x2D3141);
static_assert(default_palette_64[20] == 0xAA5500 && default_palette_64[63] == 0xFFFFFF);

} // namespace

void screen_init_palettes() {
    for (int i = 0; i < 256; i++) palette_256[i] = default_palette_256[i] | 0xFF000000u;
    for (int i = 0; i < 64; i++) palette_64[i] = default_palette_64[i] | 0xFF000000u;
    for (int phase = 0; phase < 2; phase++)
        for (int i = 0; i < 9; i++) pal_mode10[phase][i] = default_pal_mode10[phase][i];
}

void restorepalette(img_struct *image) {
    uint32_t *pal = image->pal;
    if (!pal) return;
    switch (facts_of(image->mode).palette) {
    case default_palette::none: break;
    case default_palette::first_16: std::memcpy(pal, palette_256, 16 * sizeof(uint32_t)); break;
    case default_palette::all_256: std::memcpy(pal, palette_256, sizeof palette_256); break;
    case default_palette::cga_4: {
        static constexpr int from[4] = {0, 3, 5, 7};
        for (int i = 0; i < 4; i++) pal[i] = palette_256[from[i]];
        break;
    }
    case default_palette::black_white:
        pal[0] = 0x000000;
        pal[1] = 0xFFFFFF;
        break;
    case default_palette::ega_16: {
        static constexpr int from[16] = {0, 1, 2, 3, 4, 5, 20, 7, 56, 57, 58, 59, 60, 61, 62, 63};
        for (int i = 0; i < 16; i++) pal[i] = palette_64[from[i]];
        break;
    }
    case default_palette::pseudo_4_7:
        // Indices into the mode-10 pseudo-colours, which the composer resolves by blink phase.
        pal[4] = 0;
        pal[5] = 4;
        pal[6] = 6;
        pal[7] = 8;
        break;
    }
}

bool palette_colour_fits(const mode_facts &m, uint32_t colour) {
    if (m.palette_takes == palette_colour::rgb18) return !(colour & ~0x3F3F3Fu);
    return colour < m.palette_colours;
}

uint32_t palette_entry_value(const mode_facts &m, uint32_t colour) {
    switch (m.palette_takes) {
    case palette_colour::rgb18:
        return channel_8bit(colour & 63) << 16 | channel_8bit((colour >> 8) & 63) << 8 |
               channel_8bit((colour >> 16) & 63);
    case palette_colour::ega64: return palette_64[colour];
    case palette_colour::cga16: return palette_256[colour];
    case palette_colour::pseudo: return colour;
    case palette_colour::refused: break;
    }
    return 0;
}
