// Shared inside the keyboard: the keyboard lock, the key translation table, and what each view of
// the keyboard offers the presses and releases that run through them (keyboard.cpp).
//
// Every function below expects the keyboard lock to be held by its caller, unless it says
// otherwise.
#pragma once

#include <cstdint>
#include <mutex>

#include "input/key_codes.h"

// The keyboard lock (see libtq/input.h). Recursive, because a key event may type a KEY text,
// release a bound key or be reported from inside another keyboard operation.
extern std::recursive_mutex keyboard_mutex;
using keyboard_guard = std::lock_guard<std::recursive_mutex>;

// ---- the key translation table (key_tables.cpp) ----
// What each key produces in the BIOS keyboard buffer. Rows 0-255 are characters, 256-511 extended
// keys (256 + scan byte of the code), 512-527 keypad keys (512 + offset from KEY_KEYPAD_0 or from
// KEY_KEYPAD_INSERT). A produced value of 0 is nothing; a value with bits in 0xFF00 is an extended
// key (character 0, scan = value / 256); any other value is a character, buffered with the row's
// scan code.
constexpr int32_t KEY_ROWS = 528;
constexpr int32_t KEY_ROW_EXTENDED = 256;
constexpr int32_t KEY_ROW_KEYPAD = 512;
enum key_column : int32_t {
    COL_SCAN = 0,
    COL_PLAIN = 1,
    COL_SHIFT = 2,
    COL_CTRL = 3,
    COL_ALT = 4,
    COL_NUMLOCK = 5,
    COL_NUMLOCK_SHIFT = 8,
};
extern const int32_t (&key_translation_table)[KEY_ROWS][9];
// The row of a character, extended or keypad key; -1 for every other code.
int32_t table_row(int32_t code);

// ---- the held-key table (held_keys.cpp) ----
// Whether the code itself is held, without its keypad twin.
bool held(int32_t code);
bool shift_held();
bool ctrl_held();
bool alt_held();
// A press that receives `bind` as its bind value in the held-key table, as the lock keys are
// reported. Takes the keyboard lock around both.
void keydown_bound(int32_t code, int32_t bind);
// The bind value of a key that the system reports rather than the window (the lock keys, and the
// modifiers already held at start-up): its code less 100000, so 300 for Num Lock, 301 Caps Lock.
constexpr int32_t system_key_bind(int32_t code) { return code - 100000; }

// ---- the BIOS keyboard buffer (bios_keyboard.cpp) ----
// Writes an entry at the tail unless the buffer is full.
void bios_buffer_put(uint8_t character, uint8_t scan);
// Takes the entry at the head; false when the buffer is empty. Program thread, without the lock.
bool bios_buffer_take(uint8_t &character, uint8_t &scan);

// ---- the _KEYHIT queue and the key-up mask (keyhit.cpp) ----
// Appends a record, dropping the oldest when the queue is full.
void keyhit_append(int32_t code, int32_t keypad);
void keyhit_clear();
// Keeps the next release of `code` out of the _KEYHIT and scan-code queues.
void keyup_mask_add(int32_t code);
// Frees the slot holding `code`; true when there was one.
bool keyup_mask_take(int32_t code);

// ---- the scan-code queue (scan_codes.cpp) ----
// The scan code of a modifier or lock key; 0 for other codes.
int32_t modifier_scan(int32_t code);
// The scan code a press of the key sends to the keyboard port; 0 for none.
int32_t key_scan(int32_t code);
void scan_codes_clear();

// ---- program-control keys (program_control.cpp) ----
// Break, Alt+F4, Pause and the key that ends a pause, Alt+Enter: true when the press was one of
// them, and then nothing more is done with it.
bool program_control_key(int32_t code);

// ---- ON KEY traps (on_key.cpp) ----
// Gives the ON KEY records their keys: F1-F10, the arrows, F11, F12. Start-up.
void onkey_preset_keys();
// Fires the first trap that matches the press, which then takes the press and its release.
bool onkey_trap(int32_t code, int32_t report_code);

// ---- KEY texts (key_text.cpp) ----
// Types the KEY text bound to the key, if any, in place of the key; true when it did.
bool type_key_text(int32_t code, int32_t report_code);
// True while a KEY text is being typed: its keys are not offered to the ON KEY traps again.
bool typing_key_text();
