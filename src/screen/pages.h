// The owner of the screen's pages and of the three current images.
//
// `display_page`, `write_page` and `read_page` (with their indices) are read everywhere, and the
// composer reads `display_page` from the housekeeping thread, but only the functions here change
// them: each keeps an index and its pointer in step. The page table (`page`, `pages`) is changed
// here as well, and nowhere else. Program thread only.
#pragma once

#include <cstdint>

#include "libtq.h"

// The image that output goes to (_DEST), that point reads come from (_SOURCE), that the window
// shows; `index` must name a valid image.
void set_write_page(int32_t index);
void set_read_page(int32_t index);
void set_display_page(int32_t index);
// All three: a new screen's page 0.
void set_current_pages(int32_t index);

// A page number is a 32-bit value, but each number up to it costs an entry of the page table;
// beyond this many the table is not grown and the page cannot be made (error 7).
constexpr int32_t PAGE_TABLE_LIMIT = 1 << 20;

// The page table holds at least `entries` entries (new ones 0); false when it cannot grow.
bool ensure_pages(int32_t entries);
// Image `index` becomes screen page `number`, an entry the table already holds.
void set_screen_page(int32_t number, int32_t index);
// Releases every page of the screen and leaves the table with one entry, 0: no screen. A
// program's own image that is page 0 (`keep_page0`) is not released; it only stops being a
// screen page.
void release_screen(bool keep_page0);
// Releases every page but page 0; the current images among them fall back to page 0.
void release_pages_but_first();

// SCREEN's page switches: the page drawn on and read from, and the page shown. Each first makes
// sure the page exists (`validatepage`).
void switch_active_page(int32_t number);
void switch_visual_page(int32_t number);

// The image a handle names, without making a missing page: a page not made yet reads as page 0,
// whose size, mode and font it takes when it is made. Null for a negative handle that is not
// valid or a page number that can never be made. Statements check their arguments against it
// before image_of_handle makes the page, so that a refused statement makes no page.
const img_struct *image_of_handle_unmade(int32_t handle);

// The image a handle names: a negative handle names an off-screen image (the negative of its
// index) and must be valid, else `bad_handle_error` is raised; 0 and above name a screen page,
// which is created if missing. Returns the index, or 0 with an error raised.
int32_t image_of_handle(int32_t handle, int32_t bad_handle_error);
