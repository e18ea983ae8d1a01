// ON KEY traps: a press of a trapped key is counted for the program's event handling instead of
// being typed, and its release is kept out of the queues too.
//
// A record takes part while it is armed and its state is non-zero. User-defined keys match by scan
// code and modifier flags; the preset keys (function keys and arrows) by key code. Under the
// keyboard lock.
#include "input/keyboard_internal.h"
#include "libtq.h"

onkey_record onkey[ONKEY_SIZE];

namespace {

// Bit values of a user-defined key's flags.
constexpr int32_t FLAG_SHIFT = 1 | 2;
constexpr int32_t FLAG_CTRL = 4;
constexpr int32_t FLAG_ALT = 8;
constexpr int32_t FLAG_NUMLOCK = 32;
constexpr int32_t FLAG_CAPSLOCK = 64;
constexpr int32_t FLAG_EXTENDED = 128;

// The keys that an enhanced keyboard added beside the original ones and flags as extended.
bool is_extended_key(int32_t code) {
    switch (code) {
    case KEY_LEFT:
    case KEY_UP:
    case KEY_RIGHT:
    case KEY_DOWN:
    case KEY_HOME:
    case KEY_END:
    case KEY_PGUP:
    case KEY_PGDN:
    case KEY_INSERT:
    case KEY_DELETE:
    case KEY_KEYPAD_SLASH:
    case KEY_KEYPAD_ENTER:
    case KEY_RCTRL:
    case KEY_RALT: return true;
    default: return false;
    }
}

// A modifier's flag must agree with whether it is held, unless the key pressed is that modifier;
// a lock's flag, when set, asks for the lock to be on.
bool modifier_flags_match(int32_t flags, int32_t code) {
    const bool is_shift = code == KEY_LSHIFT || code == KEY_RSHIFT;
    const bool is_ctrl = code == KEY_LCTRL || code == KEY_RCTRL;
    const bool is_alt = code == KEY_LALT || code == KEY_RALT;
    if (!is_shift && ((flags & FLAG_SHIFT) != 0) != shift_held()) return false;
    if (!is_ctrl && ((flags & FLAG_CTRL) != 0) != ctrl_held()) return false;
    if (!is_alt && ((flags & FLAG_ALT) != 0) != alt_held()) return false;
    if ((flags & FLAG_NUMLOCK) && code != KEY_NUMLOCK && !held(KEY_NUMLOCK)) return false;
    if ((flags & FLAG_CAPSLOCK) && code != KEY_CAPSLOCK && !held(KEY_CAPSLOCK)) return false;
    return ((flags & FLAG_EXTENDED) != 0) == is_extended_key(code);
}

bool takes_part(const onkey_record &k) { return k.armed && k.state; }

} // namespace

void onkey_preset_keys() {
    for (int32_t n = 1; n <= 10; n++) onkey[n].keycode = function_key(n);
    // The arrows also answer to the keypad keys that carry them.
    onkey[11].keycode = KEY_UP, onkey[11].keycode_alternate = KEY_KEYPAD_0 + 8;
    onkey[12].keycode = KEY_LEFT, onkey[12].keycode_alternate = KEY_KEYPAD_0 + 4;
    onkey[13].keycode = KEY_RIGHT, onkey[13].keycode_alternate = KEY_KEYPAD_0 + 6;
    onkey[14].keycode = KEY_DOWN, onkey[14].keycode_alternate = KEY_KEYPAD_0 + 2;
    onkey[30].keycode = KEY_F11;
    onkey[31].keycode = KEY_F12;
}

bool onkey_trap(int32_t code, int32_t report_code) {
    int32_t fired = -1;
    const int32_t scan = key_scan(code);
    if (scan)
        for (int32_t i = 0; i < ONKEY_SIZE && fired < 0; i++) {
            const onkey_record &k = onkey[i];
            if (takes_part(k) && k.key_scancode == scan && modifier_flags_match(k.key_flags, code)) fired = i;
        }
    for (int32_t i = 0; i < ONKEY_SIZE && fired < 0; i++) {
        const onkey_record &k = onkey[i];
        if (takes_part(k) && (k.keycode == report_code || k.keycode_alternate == code)) fired = i;
    }
    if (fired < 0) return false;
    onkey_record &k = onkey[fired];
    // A stopped trap remembers one event, however many arrive.
    if (k.state == 1)
        k.counter++;
    else
        k.counter = 1;
    tqevent = 1;
    keyup_mask_add(code);
    return true;
}
