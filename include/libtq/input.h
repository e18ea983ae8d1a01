// The keyboard as the program sees it, and the program's timed waits.
//
// Key events arrive on the window thread (the window library's key callbacks), lock-key changes
// on the housekeeping thread (its polling of the system's lock states), and Pause, Break and
// Scroll Lock on the platform layer's key watcher. Each is turned into the PC keyboard's views:
//   - the held-key table (which keys are down now: _KEYDOWN, the modifier tests);
//   - the _KEYHIT queue (every press as its code, every release as the negated code);
//   - the BIOS keyboard buffer read by INKEY$, byte for byte in the emulated conventional memory
//     (entries at 0040:001E-0040:003D, head at 0040:001A, tail at 0040:001C), with the BIOS
//     keyboard flag bytes at 0040:0017, 0040:0018 and 0040:0096 beside it;
//   - the scan-code queue behind the emulated keyboard port 0x60.
// Every key press also sets `sleep_break`, which ends a waiting SLEEP.
//
// Locking: one mutex, the keyboard lock, is held around every press and release, every call of
// the keyheld family and every reader on the program thread. Everything in the "keyboard state"
// section below is read and written only under it. The BIOS keyboard buffer is the exception:
// writers move its tail under the keyboard lock after writing the entry, and the program thread
// reads the entry at the head and then moves the head without the lock (each index a 16-bit word
// stored whole), so INKEY$ never waits for a key event being processed.
#pragma once

#include "libtq/common.h"

// ---- the function-key label line ----------------------------------------------------------------

// Set by SCREEN and CLS when the label line must be drawn again (program thread). Only a label
// line switched on by KEY ON would read it, and the line stays off, so nothing reads it yet.
extern int32_t key_display_redraw;
// Draws the function-key label line on the last text row when KEY ON has switched it on. The
// line is off from start-up, and then there is nothing to draw.
void key_update();

// ---- key codes ----------------------------------------------------------------------------------
// 1-255 a character in code page 437; scan * 256 an extended key (INKEY$ gives CHR$(0) +
// CHR$(scan)); 100000 and up modifiers, lock keys and keypad keys; 0x40000000 + code point a
// Unicode character with no code page 437 equivalent. The runtime names them in input/key_codes.h.

// ---- keyboard state (under the keyboard lock) ----------------------------------------------------

// Held-key table: codes in the order they were pressed, with the bind value each was added with.
// Grows by one slot when full; never shrinks.
extern int32_t *keyheld_buffer;
extern int32_t *keyheld_bind_buffer;
extern int32_t keyheld_n;
extern int32_t keyheld_size;
// The bind value the next added entry receives (300 Num Lock, 301 Caps Lock, ...); every add
// resets it to 0.
extern int32_t bindkey;

// _KEYHIT queue: a ring of 8,192 records; presses positive, releases negated. A full ring drops
// its oldest record.
struct keyhit_record {
    int32_t code;
    int32_t keypad; // 1 when the key was a keypad key
};
constexpr int32_t KEYHIT_SIZE = 8192;
extern keyhit_record keyhit[KEYHIT_SIZE];
extern int32_t keyhit_nextfree; // write index
extern int32_t keyhit_next;     // read index; the ring is empty when both are equal

// Codes whose next release must not reach the _KEYHIT queue (their press was taken by an ON KEY
// trap or a KEY text). A free slot holds 0.
constexpr int32_t KEYUP_MASK_SIZE = 256;
extern int32_t keyup_mask[KEYUP_MASK_SIZE];
extern int32_t keyup_mask_last; // highest slot in use, -1 when none

// Scan codes for the emulated keyboard port 0x60: a press queues the key's scan code, a release
// the scan code + 128.
extern uint8_t port60h_event[256];
extern int32_t port60h_events;

// 1 while the press being processed came from a Unicode character event.
extern int32_t keydown_glyph;

// ON KEY records 1-31 (0 unused). A record takes part when armed and its state is non-zero.
struct onkey_record {
    int32_t armed;
    int32_t state;   // 1 on and counting; another non-zero value stopped, remembering one event
    int32_t counter; // events to dispatch
    int32_t keycode;
    int32_t keycode_alternate; // matched against the unmapped code (keypad twins)
    int32_t key_scancode;      // user-defined keys: the scan code, 0 for none
    int32_t key_flags;         // 1|2 Shift, 4 Ctrl, 8 Alt, 32 Num Lock, 64 Caps Lock, 128 extended
    tqs *text;                 // the KEY n text, typed when the key is pressed; null for none
};
constexpr int32_t ONKEY_SIZE = 32;
extern onkey_record onkey[ONKEY_SIZE];

// Code page 437 to Unicode, for text output and Unicode key input. Written by _MAPUNICODE on the
// program thread under the keyboard lock; read by the program thread freely and by key input
// under the lock.
extern uint16_t codepage437_to_unicode16[256];

// ---- sleep_break -----------------------------------------------------------------------------------
// Set to 1 by every key press and every dispatched timer event, cleared by SLEEP when it starts and
// watched by it. Any thread stores it; set it through sleep_break_signal so that a waiting SLEEP
// wakes at once.
extern std::atomic<int32_t> sleep_break;
void sleep_break_signal();

// ---- the program thread's waits ------------------------------------------------------------------
// `program_wake` counts what may end or interrupt a wait of the program thread: key presses (which
// also set sleep_break) and the start of the program's end. Any thread advances it through
// program_wake_signal. A wait reads the count, runs its checks (the statement frame's event check
// among them), then calls program_wait with the count it read: it sleeps up to `ms` milliseconds
// (without an end when negative), and not at all when the count moved meanwhile.
extern std::atomic<int32_t> program_wake;
void program_wake_signal();
void program_wait(int32_t seen, int64_t ms);

// ---- key events (window thread, housekeeping thread, key watcher) ----------------------------------

void keydown(int32_t code);
void keyup(int32_t code);
void keydown_ascii(int32_t code);
void keyup_ascii(int32_t code);
void keydown_vk(int32_t code);
void keyup_vk(int32_t code);
void keydown_unicode(int32_t code_point);
void keyup_unicode(int32_t code_point);

// 1 when the key is held, directly or through its keypad twin, else 0.
int32_t keyheld(int32_t code);
void keyheld_add(int32_t code);
void keyheld_remove(int32_t code);
// Releases the first held key that was added with bind value `bind`.
void keyheld_unbind(int32_t bind);
// Rewrites the BIOS keyboard flag bytes from the held-key table.
void update_shift_state();
void scancodedown(int32_t scan);
void scancodeup(int32_t scan);

// The window layer's keys it reports outside the key callbacks: Pause (100019) and Break (100318),
// pressed when `pressed` is positive, else released. Any other code is ignored.
void keyboard_custom_key(int64_t code, int64_t pressed);

// ---- start-up and the housekeeping thread -----------------------------------------------------------

// Takes over the system's lock states and the modifier keys already held, and empties the
// buffers. Start-up, before any other thread runs.
void keyboard_init();
// Brings the lock keys in line with the system's toggle states (housekeeping thread, every
// second cycle). Also starts the platform's key watcher once the window exists.
void keyboard_poll_lock_keys();
// Empties the BIOS keyboard buffer (head and tail at its start).
void keyboard_buffer_init();

// ---- program-thread statements and functions ------------------------------------------------------

// INKEY$: the oldest entry of the keyboard buffer as one character, or as CHR$(0) + CHR$(scan
// code) for an extended key; an empty string when the buffer is empty.
tqs *tqs_inkey();
int32_t func__keyhit();
int32_t func__keydown(int32_t code);
// _KEYCLEAR: `which` 1 the keyboard buffer, 2 the _KEYHIT queue, 3 the scan-code queue; all three
// when not passed.
void sub__keyclear(int32_t which, int32_t passed);
int32_t func__capslock();
int32_t func__numlock();
int32_t func__scrolllock();
// Mode 1 on, 2 off, anything else toggles.
void sub__capslock(int32_t mode);
void sub__numlock(int32_t mode);
void sub__scrolllock(int32_t mode);
int32_t func__mapunicode(int32_t index);
void sub__mapunicode(int32_t code_point, int32_t index);

// ---- timed waits (program thread) ----------------------------------------------------------------------

// SLEEP: waits `seconds`, or until a key is pressed; 0 or less waits for a key only.
void sub_sleep(int32_t seconds, int32_t passed);
// _DELAY: waits `seconds` (0 to 2147483.647); keys do not end it.
void sub__delay(double seconds);
// _LIMIT: holds a loop that calls it once per pass to `rate` passes a second.
void sub__limit(double rate);
// The clock time (milliseconds) of _LIMIT's last period boundary; 0 before the first call.
extern double limit_last_boundary;
