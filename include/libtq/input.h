// The keyboard as the program sees it, and the program's timed waits.
//
// The BIOS keyboard buffer lives in the emulated conventional memory (0040:001E-0040:003D, head
// at 0040:001A, tail at 0040:001C). It has one producer, the window thread, which writes an entry
// and then moves the tail, and one consumer, the program thread, which reads an entry and then
// moves the head; each index is a 16-bit word written whole.
#pragma once

#include "libtq/common.h"

// ---- the function-key label line ----------------------------------------------------------------

// Set by SCREEN and CLS when the label line must be drawn again; read by key_update. Program
// thread.
extern int32_t key_display_redraw;
// Draws the function-key label line on the last text row when KEY ON has switched it on. The
// line is off from start-up, and then there is nothing to draw.
void key_update();

// INKEY$: the oldest entry of the keyboard buffer as one character, or as CHR$(0) + CHR$(scan
// code) for an extended key; an empty string when the buffer is empty. Program thread.
tqs *tqs_inkey();
// Empties the keyboard buffer (head and tail at its start), as at start-up.
void keyboard_buffer_init();
