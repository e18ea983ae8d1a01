// The two sides of the frame hand-over.
#pragma once

#include "libtq.h"

// Composer: claims a record for a new frame (state 2), a free one if any, else the oldest ready
// one. Null when every record is taken.
display_frame_struct *composer_claim_frame();

// Presenter: takes the newest ready frame that is newer than the one it shows (state 4) and frees
// the older ones. Returns the record to show (the previous one when nothing newer is ready, null
// when there is nothing at all) and the previously shown record through `prev`.
display_frame_struct *presenter_take_frame(display_frame_struct *&prev);

// The byte-per-pixel glyph tables the composer draws text cells with.
extern uint8_t charset8x8[256 * 64];
extern uint8_t charset8x16[256 * 128];
