// The screen modes of the emulated PC adapters, and the two modes that only off-screen images
// have, as one table: everything a statement needs to know about a mode is a field here, so that
// SCREEN, COLOR, PALETTE, WIDTH, CIRCLE and the image records all read the same facts.
#pragma once

#include <cstdint>

// ---- the built-in fonts ----

// The cell of a built-in font in pixels. Fonts 8, 14 and 16 are the 8-pixel-wide glyphs of that
// many rows; 9, 15 and 17 are the same glyphs at double width, for 40-column text.
struct font_cell {
    int32_t width, height;
};
constexpr font_cell builtin_font_cell(int32_t font) {
    switch (font) {
    case 8:
    case 14:
    case 16: return {8, font};
    case 9:
    case 15:
    case 17: return {16, font - 1};
    default: return {0, 0};
    }
}

// ---- what a mode's palette holds ----

// The entries a mode's default palette sets (the others keep what they hold).
enum class default_palette : uint8_t {
    none,        // 32-bit colour: there is no palette
    first_16,    // entries 0-15: the 16-colour set
    all_256,     // all 256 entries of the 256-colour palette
    cga_4,       // entries 0-3: black, cyan, magenta and white
    black_white, // entries 0 and 1: black and white, with alpha 0
    ega_16,      // entries 0-15: the EGA's sixteen picks from its 64 colours
    pseudo_4_7,  // entries 4-7: mode 10's pseudo-colours 0, 4, 6 and 8
};

// What the colour number of PALETTE means (and COLOR's background, where that is a palette
// register).
enum class palette_colour : uint8_t {
    refused, // PALETTE raises error 5
    rgb18,   // 6 bits each of red (bits 0-5), green (8-13) and blue (16-21)
    ega64,   // a number of the 64-colour table
    cga16,   // a number of the 16-colour set
    pseudo,  // one of mode 10's nine pseudo-colours, stored as it is
};

// What COLOR's two numbers set.
enum class color_rule : uint8_t {
    refused,   // COLOR raises error 5
    colours,   // the foreground and background colours
    text,      // foreground 0-31 (16-31 blink), background 0-7 of the text attribute
    register0, // the foreground colour; the background is palette register 0, as PALETTE 0 sets it
    cga_sets,  // mode 1: the foreground is register 0, the background picks one of two sets of 1-3
};

// ---- the modes ----

enum class surface : uint8_t {
    text_screen,  // cells of character and attribute; SCREEN can select it
    pixel_screen, // pixels; SCREEN can select it
    image_only,   // pixels, for off-screen images only
};

struct mode_facts {
    int32_t mode;
    surface kind;
    uint16_t width, height;  // its screen in pixels (in cells for text); 0 for image-only modes
    uint8_t bits_per_pixel;  // 1, 2, 4 or 8 for a palette, 16 for text cells, 32 for colours
    int32_t font;            // the font a new image starts with
    uint32_t video_memory;   // where the screen lives in conventional memory; 0: memory of its own
    uint32_t color;          // default foreground
    uint32_t background;     // default background
    uint32_t color_max;      // the largest foreground COLOR takes
    uint32_t background_max; // the largest background COLOR takes
    color_rule color_sets;   //
    double aspect;           // CIRCLE's default ratio of vertical to horizontal radius on the tube
    default_palette palette; //
    palette_colour palette_takes;
    uint32_t palette_attributes; // PALETTE takes attributes below this
    uint32_t palette_colours;    // and colour numbers below this (an 18-bit colour: any of its bits)

    constexpr uint8_t bytes_per_pixel() const { return static_cast<uint8_t>((bits_per_pixel + 7) / 8); }
    constexpr bool screen() const { return kind != surface::image_only; }
    constexpr bool text() const { return kind == surface::text_screen; }
    // The text grid of the screen in its own font.
    constexpr int32_t columns() const { return text() ? width : width / cell_or_one(builtin_font_cell(font).width); }
    constexpr int32_t rows() const { return text() ? height : height / cell_or_one(builtin_font_cell(font).height); }

  private:
    static constexpr int32_t cell_or_one(int32_t n) { return n > 0 ? n : 1; }
};

namespace mode_table_detail {

using enum default_palette;
using enum palette_colour;
using color_rule::colours, color_rule::text, color_rule::register0, color_rule::cga_sets;

constexpr surface TEXT = surface::text_screen, PIXELS = surface::pixel_screen, IMAGE = surface::image_only;
constexpr color_rule NO_COLOR = color_rule::refused;
constexpr uint32_t OWN = 0;                                  // the page has memory of its own
constexpr uint32_t B8000 = 0xB8000;                          // the colour text adapter's pages
constexpr uint32_t A0000 = 0xA0000;                          // the VGA's 320 x 200 x 256 page
constexpr uint32_t ANY = 0xFFFFFFFFu;                        // COLOR takes any number
constexpr uint32_t WHITE = 0xFFFFFFFFu, BLACK = 0xFF000000u; // opaque 32-bit colours
// Pixels are not square on a 4:3 tube: 200 lines of 320 (or 640) pixels, and 350 lines of 640.
constexpr double CGA = 5.0 / 6.0, CGA_HI = 5.0 / 12.0, EGA = 35.0 / 48.0, SQUARE = 1.0;

// clang-format off
constexpr mode_facts modes[] = {
    // mode, kind, screen width and height, bits per pixel, font, page memory; default foreground and
    // background; COLOR's largest foreground and background and what it sets; CIRCLE's aspect;
    // the default palette; what PALETTE's colour is, and its attributes and colours.
    {  0, TEXT,    80,  25, 16, 16, B8000,     7,     0,  31,  15, text,      SQUARE, first_16,    ega64,    16, 64},
    {  1, PIXELS, 320, 200,  2,  8, OWN,       3,     0,  15, ANY, cga_sets,  CGA,    cga_4,       cga16,    16, 16},
    {  2, PIXELS, 640, 200,  1,  8, OWN,       1,     0,   1,  15, register0, CGA_HI, black_white, cga16,     2, 16},
    {  7, PIXELS, 320, 200,  4,  8, OWN,      15,     0,  15,  15, register0, CGA,    first_16,    cga16,    16, 16},
    {  8, PIXELS, 640, 200,  4,  8, OWN,      15,     0,  15,  15, register0, CGA_HI, first_16,    cga16,    16, 16},
    {  9, PIXELS, 640, 350,  4, 14, OWN,      15,     0,  15,  63, register0, EGA,    ega_16,      ega64,    16, 64},
    { 10, PIXELS, 640, 350,  2, 14, OWN,       3,     0,   3,   8, register0, EGA,    pseudo_4_7,  pseudo,    4,  9},
    { 11, PIXELS, 640, 480,  1, 16, OWN,       1,     0,   1,   1, colours,   SQUARE, black_white, rgb18,     2,  0},
    { 12, PIXELS, 640, 480,  4, 16, OWN,      15,     0,  15,  15, colours,   SQUARE, first_16,    rgb18,    16,  0},
    { 13, PIXELS, 320, 200,  8,  8, A0000,    15,     0, 255, 255, colours,   CGA,    all_256,     rgb18,   256,  0},
    {256, IMAGE,    0,   0,  8, 16, OWN,      15,     0, 255, 255, colours,   SQUARE, all_256,     rgb18,   256,  0},
    { 32, IMAGE,    0,   0, 32, 16, OWN,   WHITE, BLACK, ANY, ANY, colours,   SQUARE, none,        refused,   0,  0},
};
// What a number that is no mode answers: COLOR and PALETTE refuse it, everything else takes the
// plainest defaults.
constexpr mode_facts no_mode =
    { -1, IMAGE,    0,   0,  8, 16, OWN,      15,     0,   0,   0, NO_COLOR,  SQUARE, first_16,    refused,   0,  0};
// clang-format on

} // namespace mode_table_detail

// The facts of `mode`, or null for a number that is no mode.
constexpr const mode_facts *find_mode(int32_t mode) {
    for (const mode_facts &m : mode_table_detail::modes)
        if (m.mode == mode) return &m;
    return nullptr;
}

// The facts of `mode`; a number that is no mode gets facts that every statement refuses or
// treats plainly.
constexpr const mode_facts &facts_of(int32_t mode) {
    const mode_facts *m = find_mode(mode);
    return m ? *m : mode_table_detail::no_mode;
}

// The palette entry PALETTE's attribute 0 stands for: mode 10 keeps its four attributes' pseudo-
// colours in entries 4 to 7, every other mode from entry 0.
constexpr uint32_t palette_first_entry(const mode_facts &m) {
    return m.palette_takes == palette_colour::pseudo ? 4 : 0;
}

// The font WIDTH chooses for a text screen of `columns` by `rows`: 8 rows a cell for 50 rows or
// more, 14 for 43 or more, else 16; the double-width glyphs for 40 columns or fewer.
constexpr int32_t text_screen_font(int32_t columns, int32_t rows) {
    const int32_t font = rows >= 50 ? 8 : rows >= 43 ? 14 : 16;
    return columns <= 40 ? font + 1 : font;
}

// The table against the adapters' own numbers: the text grids, and the memory of each page.
static_assert(facts_of(0).columns() == 80 && facts_of(0).rows() == 25);
static_assert(facts_of(1).columns() == 40 && facts_of(1).rows() == 25);
static_assert(facts_of(8).columns() == 80 && facts_of(9).rows() == 25 && facts_of(10).rows() == 25);
static_assert(facts_of(12).columns() == 80 && facts_of(12).rows() == 30 && facts_of(11).rows() == 30);
static_assert(facts_of(13).columns() == 40 && facts_of(13).rows() == 25);
static_assert(facts_of(13).width * facts_of(13).height == 64000);
