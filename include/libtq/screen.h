// The screen model: images and screen pages, screen modes, palettes and colours, and the
// drawing statements (LINE, PSET, PRESET, POINT, VIEW, WINDOW, CIRCLE).
//
// Everything here is written by the program thread only. The composer (housekeeping thread)
// reads the display page and its palette while the program thread draws; it takes no lock for
// that, so a frame may show a drawing half done. The program thread stops the composer with the
// display lock only while it rebuilds the screen's pages.
#pragma once

#include "libtq/common.h"
#include "libtq/frame.h"

// ---- images --------------------------------------------------------------------------------------

// One drawable surface: a screen page or an off-screen image. A record that is not in use is all
// zeros. Fields from `view_x1` through `draw_scale` are the graphics-state block, which moves
// with the active page when the program switches pages.
struct img_struct {
    mem_lock *lock;            // lifetime record for memory-block access, or null
    uint64_t lock_id;          // non-zero while a lifetime record is attached
    uint8_t valid;             // 1 while the record is in use
    uint8_t text;              // 1 for a text surface (cells of character and attribute)
    uint8_t console;           // 1 for the console placeholder image
    uint16_t width;            // pixels, or columns of a text surface
    uint16_t height;           // pixels, or rows of a text surface
    uint8_t bytes_per_pixel;   // 1 palette image, 2 text cells, 4 for 32-bit colour
    uint8_t bits_per_pixel;    // 1, 2, 4, 8, 16 (text) or 32
    uint32_t mask;             // largest colour number a pixel can hold
    uint16_t mode;             // screen mode the image was made for
    uint32_t color;            // text foreground and default drawing colour
    uint32_t background_color; // text background and clearing colour
    uint32_t draw_color;       // colour last drawn with by LINE, PSET, PRESET, CIRCLE
    int32_t font;              // current font number
    int16_t top_row, bottom_row;
    int16_t cursor_x, cursor_y; // 1-based text cursor column and row
    uint8_t cursor_show;
    uint8_t cursor_firstvalue, cursor_lastvalue;
    uint8_t *pixels;             // width x height x bytes_per_pixel bytes, rows top to bottom
    uint32_t flags;              // IMG_FLAG_* below
    uint32_t *pal;               // 256 entries 0xAARRGGBB; null for 32-bit images
    int32_t transparent_color;   // palette index skipped when the image is copied; -1 none
    uint8_t dont_blend;          // 32-bit images: 1 stores colours as given instead of blending
    uint8_t cursor_held;         // text output owes a line break
    uint8_t print_mode;          // 1 foreground only, 2 background only, 3 both
    int32_t view_x1, view_y1;    // graphics viewport, absolute pixels, inclusive
    int32_t view_x2, view_y2;    //
    int32_t view_offset_x;       // origin of viewport-relative coordinates
    int32_t view_offset_y;       //
    float x, y;                  // graphics cursor in program coordinates
    uint8_t clipping_or_scaling; // 0 none, 1 a viewport clips, 2 a WINDOW maps coordinates
    float scaling_x, scaling_y, scaling_offset_x, scaling_offset_y;
    float window_x1, window_y1, window_x2, window_y2;
    double draw_angle;
    double draw_scale;
};

constexpr uint32_t IMG_FLAG_OWNS_PALETTE = 1;
constexpr uint32_t IMG_FLAG_SCREEN_PAGE = 2;
constexpr uint32_t IMG_FLAG_OWNS_PIXELS = 4;

// The image table. Records live in blocks of IMG_TABLE_STEP that are never moved or released:
// growing the table adds a block and only the small directory of blocks is reallocated. So a
// pointer to a record stays valid for the life of the process, and the composer can go on
// reading the display page while the program thread grows the table, without any lock.
constexpr int32_t IMG_TABLE_STEP = 4096;
struct img_table {
    img_struct **blocks;
    img_struct &operator[](ptrszint index) const { return blocks[index / IMG_TABLE_STEP][index % IMG_TABLE_STEP]; }
};
extern img_table img;    // program thread
extern int32_t nimg;     // records the table has room for
extern int32_t nextimg;  // next never-used index
extern int32_t *fimg;    // free stack of released indices
extern int32_t lastfimg; // index of the free stack's top entry, -1 when empty
extern int32_t nfimg;    // capacity of the free stack

// Screen pages: page number to image index (0: the page does not exist yet). Program thread;
// only the page owner (src/screen/pages.cpp) changes the table.
extern int32_t *page;
extern int32_t pages;

// The three current images, each an index and a pointer to its record. Written by the program
// thread, and only through the page owner's setters, which keep each pair in step. `write_page`,
// `read_page` and the indices are read by the program thread alone; `display_page` is also read
// by the composer (housekeeping thread): it is stored whole, and a record is complete before it
// becomes the display page.
extern int32_t display_page_index;
extern int32_t write_page_index;
extern int32_t read_page_index;
extern std::atomic<img_struct *> display_page;
extern img_struct *write_page;
extern img_struct *read_page;

int32_t newimg();
int32_t freeimg(int32_t index);
int32_t imgframe(uint8_t *buffer, int32_t width, int32_t height, int32_t mode);
int32_t imgnew(int32_t width, int32_t height, int32_t mode);
void imgrevert(int32_t index);
void restorepalette(img_struct *image);
void selectfont(int32_t font, img_struct *image);
void defaultcolors();
// Makes sure screen page `page_number` exists. Returns false (with error 7 raised) when it
// could not be made.
bool validatepage(int32_t page_number);

// ---- fonts -----------------------------------------------------------------------------------------

// Metrics of the built-in fonts by font number; 0 for every number without a font. Set at
// start-up, read-only afterwards (any thread).
constexpr int32_t FONT_TABLE_SIZE = 64;
extern int32_t fontwidth[FONT_TABLE_SIZE];
extern int32_t fontheight[FONT_TABLE_SIZE];
extern int32_t fontflags[FONT_TABLE_SIZE];
// `fontflags` bits: a font whose characters are all one width (every built-in font).
constexpr int32_t FONT_FLAG_MONOSPACE = 16;
// The table entries of `font`, 0 for a number outside the tables.
inline int32_t font_width_of(int32_t font) { return font >= 0 && font < FONT_TABLE_SIZE ? fontwidth[font] : 0; }
inline int32_t font_height_of(int32_t font) { return font >= 0 && font < FONT_TABLE_SIZE ? fontheight[font] : 0; }

// The built-in glyphs of the PC character set, one byte per glyph pixel (0 background, 255
// foreground), rows top to bottom, 8 pixels a row. Glyph c of the 8x8 font starts at c x 64, of
// the 8x16 font at c x 128; the 8x14 font is rows 1 to 14 of the 8x16 glyphs. Filled at start-up,
// read-only afterwards: the composer reads them to draw text pages.
extern uint8_t charset8x8[256 * 8 * 8];
extern uint8_t charset8x16[256 * 16 * 8];

// ---- palettes --------------------------------------------------------------------------------------

// The default palettes with alpha 0xFF, set at start-up, read-only afterwards.
extern uint32_t palette_256[256];
extern uint32_t palette_64[64];
// The two blink phases of screen mode 10's black, grey and white pseudo-colours (alpha 0). Set at
// start-up; read by the composer.
extern uint32_t pal_mode10[2][9];

// ---- screen modes ----------------------------------------------------------------------------------

// Set once the start-up text screen is built; any SCREEN call but a bare SCREEN 0 clears it.
// Program thread.
extern int32_t width8050switch;
// Pending WIDTH request for the next text screen, -1 when not set. Program thread.
extern int32_t sub_screen_width_in_characters;
extern int32_t sub_screen_height_in_characters;
extern int32_t sub_screen_font;
// 1 while page 0 is a program's own image made the screen by SCREEN with a negative number.
extern int32_t sub_screen_keep_page0;

void tqg_screen(int32_t mode, int32_t color_switch, int32_t active_page, int32_t visual_page, int32_t refresh,
                int32_t passed);
void tqg_sub_color(uint32_t foreground, uint32_t background, uint32_t border, int32_t passed);

// ---- the display lock ----------------------------------------------------------------------------
// 0 free, 1 requested by the program thread, 2 granted by the composer. The program thread asks
// for it only while frames are composed automatically and the composer serves it
// (`lock_display_required`, set once before the housekeeping thread starts). Both words are
// atomics shared by the program and housekeeping threads.
extern std::atomic<int32_t> lock_display;
extern std::atomic<int32_t> lock_display_required;
// 1 when the composer may compare with its previous frame; the program thread clears it when the
// pages change under the composer, the composer sets it with every frame it produces.
extern std::atomic<int32_t> screen_last_valid;

// Program side of the handshake: asks for the lock and waits for the grant. Returns true when the
// lock was taken (release it with display_lock_release), false when none was needed. If the
// program is ending while it waits, it gives the request up and parks the program thread.
bool display_lock_take();
void display_lock_release();
// The wait itself: false when the program began to end before the lock was granted (the request
// is then withdrawn).
bool display_lock_wait();

// ---- drawing ------------------------------------------------------------------------------------

// Blending tables for 32-bit images, built when the first 32-bit image is made (null before).
// cblend[alpha][source][destination] and ablend[alpha under][alpha over]; program thread.
extern uint8_t *cblend;
extern uint8_t *ablend;
extern uint8_t *ablend127;
extern uint8_t *ablend128;
bool init_blend();

void sub_line(float x1, float y1, float x2, float y2, uint32_t colour, int32_t box, int32_t style, int32_t passed);
// Maps, clips and steps one styled line on the write page, whatever the page's depth.
void tq32_line(float x1, float y1, float x2, float y2, uint32_t colour, uint32_t style);
void tq32_boxfill(float x1, float y1, float x2, float y2, uint32_t colour);
// Clips the line to the inclusive rectangle. Returns false when nothing of it is visible; else
// the end points are moved onto the rectangle and `cut` is the number of pixels removed from the
// start.
bool lineclip(int32_t &x1, int32_t &y1, int32_t &x2, int32_t &y2, int32_t left, int32_t top, int32_t right,
              int32_t bottom, int64_t &cut);
void fast_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
void fast_boxfill(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
void pset(int32_t px, int32_t py, uint32_t colour);
void pset_and_clip(int32_t px, int32_t py, uint32_t colour);
void sub_pset(float x, float y, uint32_t colour, int32_t passed);
void sub_preset(float x, float y, uint32_t colour, int32_t passed);
// The stored value at a pixel of the read page, -1 off the page.
int64_t point(int32_t px, int32_t py);
// POINT(x, y) with `passed` bit 0 set, POINT(n) (n in `x`) without.
double func_point(float x, float y, int32_t passed);
void tqg_sub_view(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t fill, uint32_t border, int32_t passed);
void tqg_sub_window(float x1, float y1, float x2, float y2, int32_t passed);
void sub_circle(double x, double y, double radius, uint32_t colour, double start, double end, double aspect,
                int32_t passed);

// ---- text output ---------------------------------------------------------------------------------
// PRINT, LOCATE, VIEW PRINT, _FONT and _CONTROLCHR on the write page. Program thread only; the
// composer reads a text page's cells and the display page's cursor fields without a lock.

// While either is non-zero every character code prints as its glyph: `no_control_characters2`
// by _CONTROLCHR OFF, `no_control_characters` while the function-key line draws itself.
extern int32_t no_control_characters;
extern int32_t no_control_characters2;

// PRINT as compiled programs call it: each item is `makefit(item)` then `tqs_print(item, 0)`; the
// comma between items is `tab()`; a statement that does not end in ; or , ends with
// `tqs_print(nothingstring, 1)`. Neither consumes its string: a temporary item is released by the
// statement's clean-up, after both have used it.
void tqs_print(tqs *text, int32_t newline);
void makefit(tqs *text);
// _PRINTWIDTH: the width in pixels of `text` on the write page, or on the image or page named by
// `destination` (`passed` bit 0); a bad handle raises error 258.
int64_t func__printwidth(tqs *text, int32_t destination, int32_t passed);

// Prints `length` bytes at the cursor of the write page; a line break follows when `newline` is
// non-zero. Any byte values; control codes act unless a switch above is on.
void print_bytes(const uint8_t *bytes, int32_t length, int32_t newline);
// Moves to a new line first when `length` characters would not fit on the rest of the line.
void makefit_length(int64_t length);

// Moves to the next 14-column print zone (the PRINT comma).
void tab();
// Column 1 of the next row, scrolling the text view when the cursor leaves its bottom.
void newline();
// Draws one character at the cursor without moving it.
void printchr(uint32_t code);
// Width in pixels of one character in the write page's font.
int32_t chrwidth(uint32_t code);
// POS(0): the cursor column, or 1 while a line break is owed.
int32_t func_pos(int32_t unused);

void tqg_sub_locate(int32_t row, int32_t column, int32_t cursor, int32_t start, int32_t stop, int32_t passed);
// VIEW PRINT; `passed` non-zero when top and bottom are given.
void tqg_sub_view_print(int32_t top, int32_t bottom, int32_t passed);
void sub__font(int32_t font, int32_t destination, int32_t passed);
void sub__controlchr(int32_t value);
int32_t func__controlchr();

// ---- WIDTH, PALETTE, PCOPY, CLS and image handles ---------------------------------------------------

// WIDTH: device 0 the screen (the write page), 2 the printer (its width is checked: there is no
// printer output); `passed` bit 0 columns, bit 1 rows.
void tqsub_width(int32_t device, int32_t columns, int32_t rows, int32_t console_columns, int32_t console_rows,
                 int32_t passed);
// PALETTE: `passed` 0 restores the write page's default palette; any other value means both
// numbers were given (compiled code passes them as one optional part).
void tqg_palette(int32_t attribute, int32_t colour, int32_t passed);
void sub_pcopy(int32_t source_page, int32_t destination_page);
void sub_cls(int32_t method, uint32_t fill_colour, int32_t passed);
void sub_clsDest(int32_t method, uint32_t fill_colour, int32_t destination, int32_t passed);
int32_t func__newimage(int32_t width, int32_t height, int32_t mode, int32_t passed);
void sub__freeimage(int32_t handle, int32_t passed);
void sub__dest(int32_t handle);
int32_t func__dest();
void sub__source(int32_t handle);
int32_t func__source();
