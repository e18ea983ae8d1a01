// Keyboard line input at the text cursor (program thread).
#pragma once

#include <cstdint>

// Reads a whole number typed at the cursor of the write page: digits and a leading minus sign are
// echoed, Backspace takes back the last one, Enter ends the line (and the cursor moves to the next
// line); other keys are ignored. An empty line is 0. Waits for keys with the statement frame's
// event check between steps. False when what was typed is not a number in `low`..`high`.
bool line_input_integer(int32_t low, int32_t high, int32_t &value);
