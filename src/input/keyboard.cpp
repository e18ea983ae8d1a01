// Key presses and releases: a key code runs through the keyboard's views in a fixed order. A press
// is held, may be taken by a program-control key, an ON KEY trap or a KEY text, and otherwise goes
// to the _KEYHIT queue, the keyboard buffer through the key translation table, and the scan-code
// queue; every press wakes SLEEP. A release leaves the held-key table and, unless its press was
// taken, reaches the _KEYHIT and scan-code queues.
//
// Every entry point takes the keyboard lock for its whole run, so a press is seen by the program
// thread either not at all or completely. Key codes may be any 32-bit value: only codes that name
// a row of the translation table index it, and everything else is recorded as held and in the
// _KEYHIT queue but buffers nothing.
#include "input/keyboard_internal.h"
#include "libtq.h"

std::recursive_mutex keyboard_mutex;
int32_t keydown_glyph = 0;

namespace {

// A key as the _KEYHIT queue and the ON KEY traps see it: keypad keys as the keys they stand for.
struct reported_key {
    int32_t code;
    int32_t keypad; // 1 for a keypad key
};

reported_key report(int32_t code) {
    if (code >= KEY_KEYPAD_CHAR_FIRST && code <= KEY_KEYPAD_CHAR_LAST) {
        static constexpr int32_t characters[16] = {'0', '1', '2', '3', '4', '5', '6', '7',
                                                   '8', '9', '.', '/', '*', '-', '+', KEY_ENTER};
        return {characters[code - KEY_KEYPAD_CHAR_FIRST], 1};
    }
    if (code >= KEY_KEYPAD_CURSOR_FIRST && code <= KEY_KEYPAD_CURSOR_LAST) {
        static constexpr int32_t cursor_keys[11] = {KEY_INSERT, KEY_END,  KEY_DOWN, KEY_PGDN, KEY_LEFT,  KEY_CENTER,
                                                    KEY_RIGHT,  KEY_HOME, KEY_UP,   KEY_PGUP, KEY_DELETE};
        return {cursor_keys[code - KEY_KEYPAD_CURSOR_FIRST], 1};
    }
    return {code, 0};
}

// Negation that leaves the most negative code as it is instead of overflowing.
int32_t negated(int32_t code) { return static_cast<int32_t>(0u - static_cast<uint32_t>(code)); }

// Buffers what a column of the translation table produces: nothing, an extended key or a
// character.
void buffer_produced(int32_t value, int32_t row_scan) {
    if (value == 0) return;
    if (value & 0xFF00)
        bios_buffer_put(0, static_cast<uint8_t>(value >> 8));
    else
        bios_buffer_put(static_cast<uint8_t>(value), static_cast<uint8_t>(row_scan));
}

// The keyboard buffer's entry of a character key: the column of the modifier held, the later
// of Shift, Ctrl and Alt winning.
void buffer_character_key(int32_t code, bool glyph) {
    const int32_t *row = key_translation_table[code];
    if (!row[COL_SCAN]) {
        bios_buffer_put(static_cast<uint8_t>(code), 0); // a character no key of the layout types
        return;
    }
    scancodedown(row[COL_SCAN]);
    int32_t column = COL_PLAIN;
    if (shift_held()) column = COL_SHIFT;
    if (ctrl_held()) column = COL_CTRL;
    if (alt_held()) column = COL_ALT;
    // AltGr arrives as left Ctrl with right Alt; the character it typed is already in the event.
    if (glyph && held(KEY_LCTRL) && held(KEY_RALT) && !held(KEY_LALT) && !held(KEY_RCTRL)) column = COL_PLAIN;
    buffer_produced(row[column], row[COL_SCAN]);
}

// The keyboard buffer's entry of an extended or keypad key. A fresh press of Insert with no
// modifier toggles insert mode.
void buffer_table_key(int32_t code, bool numlock_in_play, bool insert_was_held) {
    const int32_t *row = key_translation_table[table_row(code)];
    const bool shift = shift_held(), ctrl = ctrl_held(), alt = alt_held();
    if (code == KEY_INSERT && !insert_was_held && !shift && !ctrl && !alt) {
        if (held(KEY_STATE_INSERT))
            keyheld_remove(KEY_STATE_INSERT);
        else
            keyheld_add(KEY_STATE_INSERT);
        update_shift_state();
    }
    if (row[COL_PLAIN] == 0) {
        bios_buffer_put(0, static_cast<uint8_t>(code >> 8)); // an extended key without a row
        return;
    }
    scancodedown(row[COL_SCAN]);
    int32_t column = COL_PLAIN;
    if (shift) column = COL_SHIFT;
    if (numlock_in_play) column = shift ? COL_NUMLOCK_SHIFT : COL_NUMLOCK;
    if (ctrl) column = COL_CTRL;
    if (alt) column = COL_ALT;
    buffer_produced(row[column], row[COL_SCAN]);
}

// A modifier or lock key buffers nothing: it sends its scan code and changes the flag bytes. A
// fresh press of Scroll Lock without Ctrl toggles the Scroll Lock state.
void press_modifier(int32_t code, int32_t scan, bool scroll_was_held) {
    scancodedown(scan);
    if (code == KEY_SCROLLLOCK && !scroll_was_held && !ctrl_held()) {
        if (held(KEY_STATE_SCROLLLOCK))
            keyheld_remove(KEY_STATE_SCROLLLOCK);
        else
            keyheld_add(KEY_STATE_SCROLLLOCK);
    }
    update_shift_state();
}

void press(int32_t code) {
    if (code == 0) code = KEY_NUL;
    const bool glyph = keydown_glyph != 0;
    keydown_glyph = 0;
    const bool insert_was_held = code == KEY_INSERT && held(KEY_INSERT);
    const bool scroll_was_held = code == KEY_SCROLLLOCK && held(KEY_SCROLLLOCK);
    keyheld_add(code);

    if (program_control_key(code)) return;
    const reported_key reported = report(code);
    if (!typing_key_text() && onkey_trap(code, reported.code)) return;
    if (type_key_text(code, reported.code)) return;
    keyhit_append(reported.code, reported.keypad);

    const int32_t key = code == KEY_NUL ? 0 : code;
    if (key >= 0 && key <= 255) {
        buffer_character_key(key, glyph);
    } else if (key >= KEY_KEYPAD_CHAR_FIRST && key <= KEY_KEYPAD_CHAR_LAST) {
        buffer_table_key(key, key <= KEY_KEYPAD_PERIOD, false);
    } else if (key >= KEY_KEYPAD_CURSOR_FIRST && key <= KEY_KEYPAD_CURSOR_LAST) {
        buffer_table_key(key, false, false);
    } else if (key >= 256 && key <= 65535) {
        buffer_table_key(key, false, insert_was_held);
    } else if (const int32_t scan = modifier_scan(key)) {
        press_modifier(key, scan, scroll_was_held);
    }
}

void release(int32_t code) {
    if (code == 0) code = KEY_NUL;
    keyheld_remove(code);
    const reported_key reported = report(code);
    if (keyup_mask_take(code)) return;
    keyhit_append(negated(reported.code), reported.keypad);

    const int32_t key = code == KEY_NUL ? 0 : code;
    const int32_t row = table_row(key);
    if (row >= 0 && row < KEY_ROW_EXTENDED) {
        if (key_translation_table[row][COL_SCAN]) scancodeup(key_translation_table[row][COL_SCAN]);
    } else if (row >= 0) {
        if (key_translation_table[row][COL_PLAIN]) {
            scancodeup(key_translation_table[row][COL_SCAN]);
            if (key == KEY_INSERT) update_shift_state();
        }
    } else if (const int32_t scan = modifier_scan(key)) {
        scancodeup(scan);
        update_shift_state();
    }
}

// The key code of a Unicode character event, or false when it stands for no character.
bool unicode_key(int32_t code_point, int32_t &code) {
    if (code_point < 0 || code_point > 0x10FFFF) return false; // not a character
    if (code_point < 128) {
        code = code_point;
        return true;
    }
    if (code_point <= 0xFFFF)
        for (int32_t b = 0; b < 256; b++)
            if (codepage437_to_unicode16[b] == code_point) {
                code = b;
                return true;
            }
    if (code_point >= 0xFF01 && code_point <= 0xFF5E) {
        code = code_point - 65248; // a full-width form of an ASCII character
        return true;
    }
    if (code_point == 0x3000) {
        code = ' '; // the ideographic space
        return true;
    }
    code = KEY_UNICODE + code_point;
    return true;
}

} // namespace

void keydown(int32_t code) {
    {
        keyboard_guard hold(keyboard_mutex);
        press(code);
    }
    sleep_break_signal();
}

void keyup(int32_t code) {
    keyboard_guard hold(keyboard_mutex);
    release(code);
}

void keydown_ascii(int32_t code) { keydown(code); }
void keyup_ascii(int32_t code) { keyup(code); }
void keydown_vk(int32_t code) { keydown(code); }
void keyup_vk(int32_t code) { keyup(code); }

void keydown_unicode(int32_t code_point) {
    keyboard_guard hold(keyboard_mutex);
    int32_t code = 0;
    if (!unicode_key(code_point, code)) return;
    keydown_glyph = 1;
    keydown(code);
}

void keyup_unicode(int32_t code_point) {
    keyboard_guard hold(keyboard_mutex);
    int32_t code = 0;
    if (unicode_key(code_point, code)) keyup(code);
}

void keyboard_custom_key(int64_t code, int64_t pressed) {
    if (code != KEY_PAUSE && code != KEY_BREAK) return;
    if (pressed > 0)
        keydown_vk(static_cast<int32_t>(code));
    else
        keyup_vk(static_cast<int32_t>(code));
}
