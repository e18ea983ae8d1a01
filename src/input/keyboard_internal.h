// Shared inside the keyboard: the keyboard lock and the key translation table.
#pragma once

#include <cstdint>
#include <mutex>

// The keyboard lock (see libtq/input.h). Recursive, because a key event may type a KEY text,
// release a bound key or be reported from inside another keyboard operation.
extern std::recursive_mutex keyboard_mutex;
using keyboard_guard = std::lock_guard<std::recursive_mutex>;

// The key translation table: what each key produces in the BIOS keyboard buffer. Rows 0-255 are
// characters, 256-511 extended keys (256 + scan byte of the code), 512-527 keypad keys
// (512 + offset from 100256 or from 200000). A produced value of 0 is nothing; a value with bits
// in 0xFF00 is an extended key (character 0, scan = value / 256); any other value is a character,
// buffered with the row's scan code.
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

// A press that receives `bind` as its bind value in the held-key table, as the lock keys are
// reported. Takes the keyboard lock around both.
void keydown_bound(int32_t code, int32_t bind);
