// The rules of the screen model that every statement keeps, checked after each one, and the
// screen put back to the start-up state between inputs. Shared by the PRINT and the statement
// targets.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "libtq.h"

// The emulated video memory (the text adapter's pages from B800:0000, the 320 x 200 x 256 page at
// A000:0000) outside the pages that live there serves as guard bytes: it is poisoned for the
// address sanitizer, so a statement that touches it is reported. A statement that may rebuild
// the screen rewrites the whole area, as the adapter's BIOS does, so the guard is lifted around it.
void guard_video_memory();
void unguard_video_memory();

// Checks every image in use: its cursor, text view and viewport inside it, its font one it can
// draw; the current images and the screen's pages in use and alike.
void check_screen_rules(const char *statement);

// A statement that refuses its arguments raises its error and changes nothing. `before`, taken
// right before the statement, holds what it could change: every image record in use, the palette
// of every image, the page table, the current images, the pending WIDTH request. (The pixels are
// left out: reading them all after every statement would slow the fuzzing too much.)
class screen_snapshot {
  public:
    void take();
    // Aborts with the first difference from the screen as it is now.
    void check_unchanged(const char *statement) const;

  private:
    std::vector<std::pair<int32_t, img_struct>> images_;
    std::vector<std::vector<uint32_t>> palettes_;
    std::vector<int32_t> pages_;
    int32_t current_[3] = {}, width_request_[3] = {};
};

// The start-up 80 x 25 text screen again, with every image the input made freed and the text
// switches off, so that each input starts from the machine a program starts on.
void screen_reset();

// The bytes of pixels that images in use own: the targets keep what an input may allocate
// within what the fuzzer allows a process.
size_t image_bytes_in_use();
