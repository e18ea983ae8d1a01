// The keyboard's key codes: one signed 32-bit number per key, as the held-key table, the _KEYHIT
// queue and the ON KEY traps see it.
//
//   1-255              a character in code page 437, as typed (the window system applied Shift)
//   scan * 256         an extended key: INKEY$ gives CHR$(0) + CHR$(scan)
//   100000 and up      modifiers, lock keys and the keypad
//   200000 and up      the keypad with Num Lock off, and states kept as held keys
//   0x40000000 + code point   a Unicode character with no code page 437 byte
#pragma once

#include <cstdint>

// The code of the extended key with scan code `scan`: CHR$(0) + CHR$(scan) in the keyboard buffer.
constexpr int32_t extended_key(int32_t scan) { return scan * 256; }

// F1-F10, whose scan codes 59-68 run in order; F11 and F12 came later and sit elsewhere.
constexpr int32_t function_key(int32_t n) { return extended_key(58 + n); }

// ---- character keys ----
constexpr int32_t KEY_ENTER = 13;

// ---- extended keys ----
constexpr int32_t KEY_F4 = function_key(4);
constexpr int32_t KEY_F11 = extended_key(133);
constexpr int32_t KEY_F12 = extended_key(134);
constexpr int32_t KEY_HOME = extended_key(71);
constexpr int32_t KEY_UP = extended_key(72);
constexpr int32_t KEY_PGUP = extended_key(73);
constexpr int32_t KEY_LEFT = extended_key(75);
constexpr int32_t KEY_CENTER = extended_key(76); // keypad 5 with Num Lock off
constexpr int32_t KEY_RIGHT = extended_key(77);
constexpr int32_t KEY_END = extended_key(79);
constexpr int32_t KEY_DOWN = extended_key(80);
constexpr int32_t KEY_PGDN = extended_key(81);
constexpr int32_t KEY_INSERT = extended_key(82);
constexpr int32_t KEY_DELETE = extended_key(83);

// ---- modifiers, locks and keys the window reports outside its key callbacks ----
constexpr int32_t KEY_PAUSE = 100019;
constexpr int32_t KEY_F15 = 100296; // only Ctrl+F15 means anything: Break
constexpr int32_t KEY_NUMLOCK = 100300;
constexpr int32_t KEY_CAPSLOCK = 100301;
constexpr int32_t KEY_SCROLLLOCK = 100302;
constexpr int32_t KEY_RSHIFT = 100303;
constexpr int32_t KEY_LSHIFT = 100304;
constexpr int32_t KEY_RCTRL = 100305;
constexpr int32_t KEY_LCTRL = 100306;
constexpr int32_t KEY_RALT = 100307;
constexpr int32_t KEY_LALT = 100308;
constexpr int32_t KEY_SYSREQ = 100317;
constexpr int32_t KEY_BREAK = 100318;

// ---- the keypad's character keys: 0-9 with Num Lock on (KEY_KEYPAD_0 + digit), then . / * - + Enter ----
constexpr int32_t KEY_KEYPAD_0 = 100256;
constexpr int32_t KEY_KEYPAD_PERIOD = 100266; // the last that Num Lock changes
constexpr int32_t KEY_KEYPAD_SLASH = 100267;
constexpr int32_t KEY_KEYPAD_STAR = 100268;
constexpr int32_t KEY_KEYPAD_MINUS = 100269;
constexpr int32_t KEY_KEYPAD_PLUS = 100270;
constexpr int32_t KEY_KEYPAD_ENTER = 100271;
constexpr int32_t KEY_KEYPAD_CHAR_FIRST = KEY_KEYPAD_0;
constexpr int32_t KEY_KEYPAD_CHAR_LAST = KEY_KEYPAD_ENTER;

// ---- the keypad's cursor keys, with Num Lock off ----
constexpr int32_t KEY_KEYPAD_INSERT = 200000;
constexpr int32_t KEY_KEYPAD_END = 200001;
constexpr int32_t KEY_KEYPAD_DOWN = 200002;
constexpr int32_t KEY_KEYPAD_PGDN = 200003;
constexpr int32_t KEY_KEYPAD_LEFT = 200004;
constexpr int32_t KEY_KEYPAD_CENTER = 200005;
constexpr int32_t KEY_KEYPAD_RIGHT = 200006;
constexpr int32_t KEY_KEYPAD_HOME = 200007;
constexpr int32_t KEY_KEYPAD_UP = 200008;
constexpr int32_t KEY_KEYPAD_PGUP = 200009;
constexpr int32_t KEY_KEYPAD_DELETE = 200010;
constexpr int32_t KEY_KEYPAD_CURSOR_FIRST = KEY_KEYPAD_INSERT;
constexpr int32_t KEY_KEYPAD_CURSOR_LAST = KEY_KEYPAD_DELETE;

// ---- states kept in the held-key table, and codes carried internally ----
constexpr int32_t KEY_STATE_SCROLLLOCK = 200011; // held while Scroll Lock is on
constexpr int32_t KEY_STATE_INSERT = 200012;     // held while insert mode is on
constexpr int32_t KEY_NUL = 200013;              // the NUL character while a key is processed
constexpr int32_t KEY_UNICODE = 0x40000000;      // + a code point
