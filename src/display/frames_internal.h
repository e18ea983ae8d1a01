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

// The rows of a text cell of `font_height` rows that the cursor covers, from its start and stop
// scan lines. False when it covers none.
bool text_cursor_rows(int32_t first, int32_t last, int32_t font_height, int32_t &from, int32_t &to);
