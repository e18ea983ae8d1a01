// Key presses and releases: from a key code to the held-key table, the _KEYHIT queue, the BIOS
// keyboard buffer and flag bytes, and the scan-code queue.
//
// Every entry point takes the keyboard lock for its whole run, so a press is seen by the program
// thread either not at all or completely. Key codes may be any 32-bit value: only codes that name
// a row of the translation table index it, and everything else is recorded as held and in the
// _KEYHIT queue but buffers nothing.
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "input/keyboard_internal.h"
#include "libtq.h"
#include "platform/wait.h"

std::recursive_mutex keyboard_mutex;

int32_t *keyheld_buffer = nullptr;
int32_t *keyheld_bind_buffer = nullptr;
int32_t keyheld_n = 0;
int32_t keyheld_size = 0;
int32_t bindkey = 0;
keyhit_record keyhit[KEYHIT_SIZE];
int32_t keyhit_nextfree = 0;
int32_t keyhit_next = 0;
int32_t keyup_mask[KEYUP_MASK_SIZE];
int32_t keyup_mask_last = -1;
uint8_t port60h_event[256];
int32_t port60h_events = 0;
int32_t keydown_glyph = 0;
onkey_record onkey[ONKEY_SIZE];
std::atomic<int32_t> sleep_break{0};

namespace {

// True while a KEY text is being typed: its keys are not offered to the ON KEY traps again.
bool typing_key_text = false;

constexpr int32_t X(int32_t scan) { return scan * 256; }
constexpr int32_t KEY_F4 = X(62);
constexpr int32_t KEY_INSERT = X(82);

// ---- the held-key table, without keypad twins ----
int32_t held_index(int32_t code) {
    for (int32_t i = 0; i < keyheld_n; i++)
        if (keyheld_buffer[i] == code) return i;
    return -1;
}
bool held(int32_t code) { return held_index(code) >= 0; }
bool shift_held() { return held(KEY_LSHIFT) || held(KEY_RSHIFT); }
bool ctrl_held() { return held(KEY_LCTRL) || held(KEY_RCTRL); }
bool alt_held() { return held(KEY_LALT) || held(KEY_RALT); }

// The twin of a key on the keypad, or 0: the character keys that the keypad also types, and the
// extended keys that the keypad gives with Num Lock off.
int32_t keypad_twin(int32_t code) {
    switch (code) {
    case 13: return 100271;
    case '*': return 100268;
    case '+': return 100270;
    case '-': return 100269;
    case '.': return 100266;
    case '/': return 100267;
    default: break;
    }
    if (code >= '0' && code <= '9') return KEY_KEYPAD_NUMLOCK_FIRST + (code - '0');
    if (code >= X(71) && code <= X(83) && (code & 0xFF) == 0) {
        // Home Up PgUp (74) Left 5 Right (78) End Down PgDn Insert Delete
        static constexpr int32_t twins[13] = {200007, 200008, 200009, 0,      200004, 200005, 200006,
                                              0,      200001, 200002, 200003, 200000, 200010};
        return twins[(code >> 8) - 71];
    }
    return 0;
}

// ---- the BIOS keyboard buffer and flag bytes ----
std::atomic_ref<uint16_t> bios_word(uint32_t address) {
    return std::atomic_ref<uint16_t>(*reinterpret_cast<uint16_t *>(cmem + address));
}
void store_bios_byte(uint32_t address, uint8_t value) {
    std::atomic_ref<uint8_t>(cmem[address]).store(value, std::memory_order_relaxed);
}

// Writes an entry at the tail unless the buffer is full; a program that moved the tail off the
// buffer gets its keys dropped rather than written elsewhere.
void buffer_put(int32_t character, int32_t scan) {
    const uint16_t head = bios_word(BIOS_KEYBOARD_HEAD).load(std::memory_order_acquire);
    const uint16_t tail = bios_word(BIOS_KEYBOARD_TAIL).load(std::memory_order_relaxed);
    if (tail < 30 || tail > 60) return;
    const uint16_t next = tail + 2 > 60 ? 30 : static_cast<uint16_t>(tail + 2);
    if (next == head) return;
    cmem[0x400 + tail] = static_cast<uint8_t>(character);
    cmem[0x400 + tail + 1] = static_cast<uint8_t>(scan);
    bios_word(BIOS_KEYBOARD_TAIL).store(next, std::memory_order_release);
}

// A value of the translation table: nothing, an extended key or a character.
void buffer_value(int32_t value, int32_t row_scan) {
    if (value == 0) return;
    if (value & 0xFF00)
        buffer_put(0, (value >> 8) & 0xFF);
    else
        buffer_put(value & 0xFF, row_scan);
}

// ---- the _KEYHIT queue, the key-up mask, the scan-code queue ----
void keyhit_add(int32_t code, int32_t keypad) {
    constexpr int32_t mask = KEYHIT_SIZE - 1;
    const int32_t slot = keyhit_nextfree & mask;
    const int32_t next = (slot + 1) & mask;
    if (next == (keyhit_next & mask)) keyhit_next = (keyhit_next + 1) & mask;
    keyhit[slot] = {code, keypad};
    keyhit_nextfree = next;
}

// Negation that leaves the most negative code as it is instead of overflowing.
int32_t negated(int32_t code) { return static_cast<int32_t>(0u - static_cast<uint32_t>(code)); }

// A key held down repeats its press but is released once, so it is entered once.
void keyup_mask_add(int32_t code) {
    if (keyup_mask_last < -1 || keyup_mask_last >= KEYUP_MASK_SIZE) keyup_mask_last = -1;
    int32_t free_slot = -1;
    for (int32_t i = 0; i <= keyup_mask_last; i++) {
        if (keyup_mask[i] == code) return;
        if (keyup_mask[i] == 0 && free_slot < 0) free_slot = i;
    }
    if (free_slot >= 0)
        keyup_mask[free_slot] = code;
    else if (keyup_mask_last < KEYUP_MASK_SIZE - 1)
        keyup_mask[++keyup_mask_last] = code;
}

// Clears the slot holding `code`; true when there was one.
bool keyup_mask_take(int32_t code) {
    if (keyup_mask_last < -1 || keyup_mask_last >= KEYUP_MASK_SIZE) keyup_mask_last = -1;
    for (int32_t i = 0; i <= keyup_mask_last; i++)
        if (keyup_mask[i] == code) {
            keyup_mask[i] = 0;
            while (keyup_mask_last >= 0 && keyup_mask[keyup_mask_last] == 0) keyup_mask_last--;
            return true;
        }
    return false;
}

void scan_queue(int32_t value) {
    const uint8_t byte = static_cast<uint8_t>(value);
    if (port60h_events < 0 || port60h_events > 256) port60h_events = 0;
    if (port60h_events > 0 && port60h_event[port60h_events - 1] == byte) return;
    if (port60h_events == 256) {
        std::memmove(port60h_event, port60h_event + 1, 255);
        port60h_events = 255;
    }
    port60h_event[port60h_events++] = byte;
}

// ---- codes ----
struct report {
    int32_t code;
    int32_t keypad;
};

// What the _KEYHIT queue and the ON KEY traps see: keypad keys as the keys they stand for.
report report_code(int32_t code) {
    if (code >= KEY_KEYPAD_NUMLOCK_FIRST && code <= KEY_KEYPAD_NUMLOCK_LAST) {
        static constexpr int32_t characters[16] = {'0', '1', '2', '3', '4', '5', '6', '7',
                                                   '8', '9', '.', '/', '*', '-', '+', 13};
        return {characters[code - KEY_KEYPAD_NUMLOCK_FIRST], 1};
    }
    if (code >= KEY_KEYPAD_FIRST && code <= KEY_KEYPAD_LAST) {
        // Insert End Down PgDn Left 5 Right Home Up PgUp Delete
        static constexpr int32_t extended[11] = {X(82), X(79), X(80), X(81), X(75), X(76),
                                                 X(77), X(71), X(72), X(73), X(83)};
        return {extended[code - KEY_KEYPAD_FIRST], 1};
    }
    return {code, 0};
}

// The translation-table row of a character, extended or keypad key; -1 for other codes.
int32_t table_row(int32_t code) {
    if (code >= 0 && code <= 255) return code;
    if (code >= 256 && code <= 65535) return KEY_ROW_EXTENDED + (code >> 8);
    if (code >= KEY_KEYPAD_NUMLOCK_FIRST && code <= KEY_KEYPAD_NUMLOCK_LAST)
        return KEY_ROW_KEYPAD + (code - KEY_KEYPAD_NUMLOCK_FIRST);
    if (code >= KEY_KEYPAD_FIRST && code <= KEY_KEYPAD_LAST) return KEY_ROW_KEYPAD + (code - KEY_KEYPAD_FIRST);
    return -1;
}

// Scan codes of the modifier and lock keys; 0 for other codes.
int32_t modifier_scan(int32_t code) {
    switch (code) {
    case KEY_LSHIFT: return 42;
    case KEY_RSHIFT: return 54;
    case KEY_LALT:
    case KEY_RALT: return 56;
    case KEY_LCTRL:
    case KEY_RCTRL: return 29;
    case KEY_NUMLOCK: return 69;
    case KEY_CAPSLOCK: return 58;
    case KEY_SCROLLLOCK: return 70;
    default: return 0;
    }
}

// The scan code a press of the key sends to the keyboard port, 0 for none.
int32_t key_scan(int32_t code) {
    const int32_t row = table_row(code);
    if (row < 0) return modifier_scan(code);
    const int32_t *cells = key_translation_table[row];
    if (row >= KEY_ROW_EXTENDED && cells[COL_PLAIN] == 0) return 0;
    return cells[COL_SCAN];
}

bool is_extended_key(int32_t code) {
    switch (code) {
    case X(75):  // Left
    case X(72):  // Up
    case X(77):  // Right
    case X(80):  // Down
    case X(71):  // Home
    case X(79):  // End
    case X(73):  // PgUp
    case X(81):  // PgDn
    case X(82):  // Insert
    case X(83):  // Delete
    case 100267: // keypad /
    case 100271: // keypad Enter
    case KEY_RCTRL:
    case KEY_RALT: return true;
    default: return false;
    }
}

// ---- program-control combinations ----

// Alt+Enter: the next full-screen state that _ALLOWFULLSCREEN accepts. States 0 windowed,
// 1 mode 1, 2 mode 1 smoothed, 3 mode 2, 4 mode 2 smoothed.
void next_full_screen_state() {
    const int32_t pending = full_screen_set.load();
    const int32_t mode = pending != -1 ? pending : full_screen.load();
    int32_t state = mode == 1 || mode == 2 ? (mode - 1) * 2 + 1 + (fullscreen_smooth.load() ? 1 : 0) : 0;
    const int32_t allowed_mode = fullscreen_allowedmode.load(), allowed_smooth = fullscreen_allowedsmooth.load();
    int32_t new_mode = 0, new_smooth = 0;
    for (int32_t tries = 0; tries < 5; tries++) {
        state = (state + 1) % 5;
        new_mode = (state + 1) / 2;
        new_smooth = state == 0 ? 0 : (state + 1) % 2;
        if (state == 0) break;
        if (allowed_mode >= 1 && allowed_mode != new_mode) continue;
        if (allowed_smooth == 1 && !new_smooth) continue;
        if (allowed_smooth == -1 && new_smooth) continue;
        break;
    }
    fullscreen_smooth = new_smooth;
    // A request still pending is replaced even when the new mode is the current one, or the
    // window would go on to the state the user has just cycled past.
    if (new_mode != full_screen || pending != -1) full_screen_set = new_mode;
    force_display_update = 1;
}

// Break, Alt+F4, Pause and the keys that end a pause, Alt+Enter. True when the press was one of
// them and nothing more is done with it.
bool program_control(int32_t code) {
    const bool ctrl = ctrl_held(), alt = alt_held();
    if (code == KEY_BREAK || (code == KEY_SCROLLLOCK && ctrl) || (code == KEY_F15 && ctrl)) {
        if (exit_blocked.load())
            exit_value.fetch_or(2);
        else
            close_program = 1;
        return true;
    }
    if (code == KEY_F4 && alt) {
        if (exit_blocked.load())
            exit_value.fetch_or(1);
        else
            close_program = 1;
        return true;
    }
    if (code == KEY_PAUSE || (code == KEY_NUMLOCK && ctrl)) {
        suspend_program.fetch_or(1);
        tqevent = 1;
        return true;
    }
    if (suspend_program.load() & 1) {
        suspend_program.fetch_and(static_cast<uint8_t>(~1u));
        return true;
    }
    if (code == 13 && alt && fullscreen_allowedmode.load() >= 0) {
        next_full_screen_state();
        return true;
    }
    return false;
}

// ---- ON KEY traps and KEY texts ----
bool modifier_flags_match(int32_t flags, int32_t code) {
    const bool is_shift = code == KEY_LSHIFT || code == KEY_RSHIFT;
    const bool is_ctrl = code == KEY_LCTRL || code == KEY_RCTRL;
    const bool is_alt = code == KEY_LALT || code == KEY_RALT;
    if (!is_shift && ((flags & 3) != 0) != shift_held()) return false;
    if (!is_ctrl && ((flags & 4) != 0) != ctrl_held()) return false;
    if (!is_alt && ((flags & 8) != 0) != alt_held()) return false;
    if ((flags & 32) && code != KEY_NUMLOCK && !held(KEY_NUMLOCK)) return false;
    if ((flags & 64) && code != KEY_CAPSLOCK && !held(KEY_CAPSLOCK)) return false;
    return ((flags & 128) != 0) == is_extended_key(code);
}

// Fires the first matching trap: by scan code and modifiers for user-defined keys, else by key
// code. A fired trap takes the press and its release.
bool onkey_trap(int32_t code, int32_t report_code_value) {
    int32_t fired = -1;
    const int32_t scan = key_scan(code);
    if (scan)
        for (int32_t i = 0; i < ONKEY_SIZE && fired < 0; i++) {
            const onkey_record &k = onkey[i];
            if (k.armed && k.state && k.key_scancode == scan && modifier_flags_match(k.key_flags, code)) fired = i;
        }
    for (int32_t i = 0; i < ONKEY_SIZE && fired < 0; i++) {
        const onkey_record &k = onkey[i];
        if (k.armed && k.state && (k.keycode == report_code_value || k.keycode_alternate == code)) fired = i;
    }
    if (fired < 0) return false;
    onkey_record &k = onkey[fired];
    if (k.state == 1)
        k.counter++;
    else
        k.counter = 1;
    tqevent = 1;
    keyup_mask_add(code);
    return true;
}

// Types the KEY text bound to the key, if any, in place of the key.
bool key_text(int32_t code, int32_t report_code_value) {
    for (const onkey_record &k : onkey) {
        const tqs *text = k.text;
        if (!text || text->length <= 0 || !text->data) continue;
        if (k.keycode != report_code_value && k.keycode_alternate != code) continue;
        keyup_mask_add(code);
        const bool was_typing = typing_key_text;
        typing_key_text = true;
        for (int32_t i = 0; i < text->length; i++) {
            keydown_ascii(text->data[i]);
            keyup_ascii(text->data[i]);
        }
        typing_key_text = was_typing;
        return true;
    }
    return false;
}

// ---- the buffer entry of a press ----
void buffer_character_key(int32_t code, bool glyph) {
    const int32_t *row = key_translation_table[code];
    if (!row[COL_SCAN]) {
        buffer_put(code, 0);
        return;
    }
    scancodedown(row[COL_SCAN]);
    int32_t column = COL_PLAIN;
    if (shift_held()) column = COL_SHIFT;
    if (ctrl_held()) column = COL_CTRL;
    if (alt_held()) column = COL_ALT;
    // AltGr arrives as left Ctrl with right Alt; the character it typed is already in the event.
    if (glyph && held(KEY_LCTRL) && held(KEY_RALT) && !held(KEY_LALT) && !held(KEY_RCTRL)) column = COL_PLAIN;
    buffer_value(row[column], row[COL_SCAN]);
}

void buffer_table_key(int32_t code, int32_t row_index, bool numlock_in_play, bool insert_was_held) {
    const int32_t *row = key_translation_table[row_index];
    const bool shift = shift_held(), ctrl = ctrl_held(), alt = alt_held();
    if (code == KEY_INSERT && !insert_was_held && !shift && !ctrl && !alt) {
        if (held(KEY_STATE_INSERT))
            keyheld_remove(KEY_STATE_INSERT);
        else
            keyheld_add(KEY_STATE_INSERT);
        update_shift_state();
    }
    if (row[COL_PLAIN] == 0) {
        buffer_put(0, (code >> 8) & 0xFF);
        return;
    }
    scancodedown(row[COL_SCAN]);
    int32_t column = COL_PLAIN;
    if (shift) column = COL_SHIFT;
    if (numlock_in_play) column = shift ? COL_NUMLOCK_SHIFT : COL_NUMLOCK;
    if (ctrl) column = COL_CTRL;
    if (alt) column = COL_ALT;
    buffer_value(row[column], row[COL_SCAN]);
}

void press(int32_t code) {
    if (code == 0) code = KEY_NUL;
    const bool glyph = keydown_glyph != 0;
    keydown_glyph = 0;
    const bool insert_was_held = code == KEY_INSERT && held(KEY_INSERT);
    const bool scroll_was_held = code == KEY_SCROLLLOCK && held(KEY_SCROLLLOCK);
    keyheld_add(code);

    if (program_control(code)) return;
    const report r = report_code(code);
    if (!typing_key_text && onkey_trap(code, r.code)) return;
    if (key_text(code, r.code)) return;
    keyhit_add(r.code, r.keypad);

    const int32_t key = code == KEY_NUL ? 0 : code;
    if (key >= 0 && key <= 255) {
        buffer_character_key(key, glyph);
    } else if (key >= KEY_KEYPAD_NUMLOCK_FIRST && key <= KEY_KEYPAD_NUMLOCK_LAST) {
        buffer_table_key(key, table_row(key), key <= 100266, false);
    } else if (key >= KEY_KEYPAD_FIRST && key <= KEY_KEYPAD_LAST) {
        buffer_table_key(key, table_row(key), false, false);
    } else if (key >= 256 && key <= 65535) {
        buffer_table_key(key, table_row(key), false, insert_was_held);
    } else if (const int32_t scan = modifier_scan(key)) {
        scancodedown(scan);
        if (key == KEY_SCROLLLOCK && !scroll_was_held && !ctrl_held()) {
            if (held(KEY_STATE_SCROLLLOCK))
                keyheld_remove(KEY_STATE_SCROLLLOCK);
            else
                keyheld_add(KEY_STATE_SCROLLLOCK);
        }
        update_shift_state();
    }
}

void release(int32_t code) {
    if (code == 0) code = KEY_NUL;
    keyheld_remove(code);
    const report r = report_code(code);
    if (keyup_mask_take(code)) return;
    keyhit_add(negated(r.code), r.keypad);

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

// The character a Unicode character event stands for, or false when it stands for none.
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
        code = 32; // the ideographic space
        return true;
    }
    code = KEY_UNICODE + code_point;
    return true;
}

} // namespace

void sleep_break_signal() {
    sleep_break.store(1, std::memory_order_release);
    plat::wake_word_waiters(sleep_break);
}

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

void keydown_bound(int32_t code, int32_t bind) {
    keyboard_guard hold(keyboard_mutex);
    bindkey = bind;
    keydown(code);
}

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

int32_t keyheld(int32_t code) {
    keyboard_guard hold(keyboard_mutex);
    if (held(code)) return 1;
    const int32_t twin = keypad_twin(code);
    return twin && held(twin) ? 1 : 0;
}

void keyheld_add(int32_t code) {
    keyboard_guard hold(keyboard_mutex);
    const int32_t bind = bindkey;
    bindkey = 0;
    if (held(code)) return;
    if (keyheld_n == keyheld_size) {
        const size_t bytes = static_cast<size_t>(keyheld_size + 1) * sizeof(int32_t);
        auto *codes = static_cast<int32_t *>(std::realloc(keyheld_buffer, bytes));
        if (codes) keyheld_buffer = codes;
        auto *binds = static_cast<int32_t *>(std::realloc(keyheld_bind_buffer, bytes));
        if (binds) keyheld_bind_buffer = binds;
        if (!codes || !binds) return; // out of memory: the key is not recorded as held
        keyheld_size++;
    }
    keyheld_buffer[keyheld_n] = code;
    keyheld_bind_buffer[keyheld_n] = bind;
    keyheld_n++;
}

void keyheld_remove(int32_t code) {
    keyboard_guard hold(keyboard_mutex);
    const int32_t i = held_index(code);
    if (i < 0) return;
    const size_t after = static_cast<size_t>(keyheld_n - i - 1) * sizeof(int32_t);
    std::memmove(keyheld_buffer + i, keyheld_buffer + i + 1, after);
    std::memmove(keyheld_bind_buffer + i, keyheld_bind_buffer + i + 1, after);
    keyheld_n--;
}

void keyheld_unbind(int32_t bind) {
    keyboard_guard hold(keyboard_mutex);
    for (int32_t i = 0; i < keyheld_n; i++)
        if (keyheld_bind_buffer[i] == bind) {
            keyup(keyheld_buffer[i]);
            return;
        }
}

void update_shift_state() {
    keyboard_guard hold(keyboard_mutex);
    auto bit = [](bool on, int b) { return static_cast<uint8_t>(on ? 1u << b : 0u); };
    const uint8_t flags1 =
        bit(keyheld(KEY_RSHIFT), 0) | bit(keyheld(KEY_LSHIFT), 1) | bit(keyheld(KEY_LCTRL) || keyheld(KEY_RCTRL), 2) |
        bit(keyheld(KEY_LALT) || keyheld(KEY_RALT), 3) | bit(keyheld(KEY_STATE_SCROLLLOCK), 4) |
        bit(keyheld(KEY_NUMLOCK), 5) | bit(keyheld(KEY_CAPSLOCK), 6) | bit(keyheld(KEY_STATE_INSERT), 7);
    const uint8_t flags2 = bit(keyheld(KEY_LCTRL), 0) | bit(keyheld(KEY_LALT), 1) | bit(keyheld(KEY_SYSREQ), 2) |
                           bit(keyheld(KEY_PAUSE), 3) | bit(keyheld(KEY_SCROLLLOCK), 4) | bit(keyheld(KEY_INSERT), 7);
    const uint8_t status3 = bit(keyheld(KEY_RCTRL), 0) | bit(keyheld(KEY_RALT), 1) | bit(true, 4);
    store_bios_byte(BIOS_KEYBOARD_FLAGS1, flags1);
    store_bios_byte(BIOS_KEYBOARD_FLAGS2, flags2);
    store_bios_byte(BIOS_KEYBOARD_STATUS3, status3);
}

void scancodedown(int32_t scan) {
    keyboard_guard hold(keyboard_mutex);
    scan_queue(scan);
}

void scancodeup(int32_t scan) {
    keyboard_guard hold(keyboard_mutex);
    scan_queue(scan + 128);
}

void keyboard_custom_key(int64_t code, int64_t pressed) {
    if (code != KEY_PAUSE && code != KEY_BREAK) return;
    if (pressed > 0)
        keydown_vk(static_cast<int32_t>(code));
    else
        keyup_vk(static_cast<int32_t>(code));
}
