// Key codes of any value pressed and released in any order, with modifiers, lock keys, Pause,
// ON KEY traps and KEY texts in play, a program that moves the keyboard buffer's indices anywhere,
// and the program reading INKEY$, _KEYHIT and _KEYDOWN in between. The keyboard's views must stay
// inside their memory and consistent: each buffer's positions in its ring, every held key held
// once, a key just pressed held.
#include <cstring>

#include "fuzz_support.h"
#include "input/key_codes.h"
#include "input/keyboard_internal.h"

namespace {

uint16_t saved_unicode_map[256];

int32_t key_code(fuzz_args &a) {
    static const std::vector<int32_t> keys = {0,
                                              1,
                                              13,
                                              27,
                                              'a',
                                              'A',
                                              '1',
                                              '/',
                                              '*',
                                              '-',
                                              '+',
                                              '.',
                                              '0',
                                              8,
                                              9,
                                              32,
                                              127,
                                              255,
                                              256,
                                              KEY_F4,
                                              KEY_F11,
                                              KEY_F12,
                                              KEY_HOME,
                                              KEY_UP,
                                              KEY_PGUP,
                                              KEY_LEFT,
                                              KEY_CENTER,
                                              KEY_RIGHT,
                                              KEY_END,
                                              KEY_DOWN,
                                              KEY_PGDN,
                                              KEY_INSERT,
                                              KEY_DELETE,
                                              0xFF00,
                                              0xFFFF,
                                              65536,
                                              KEY_PAUSE,
                                              KEY_F15,
                                              KEY_NUMLOCK,
                                              KEY_CAPSLOCK,
                                              KEY_SCROLLLOCK,
                                              KEY_RSHIFT,
                                              KEY_LSHIFT,
                                              KEY_RCTRL,
                                              KEY_LCTRL,
                                              KEY_RALT,
                                              KEY_LALT,
                                              KEY_SYSREQ,
                                              KEY_BREAK,
                                              KEY_KEYPAD_0,
                                              KEY_KEYPAD_0 + 5,
                                              KEY_KEYPAD_PERIOD,
                                              KEY_KEYPAD_SLASH,
                                              KEY_KEYPAD_ENTER,
                                              KEY_KEYPAD_INSERT,
                                              KEY_KEYPAD_CENTER,
                                              KEY_KEYPAD_DELETE,
                                              KEY_STATE_SCROLLLOCK,
                                              KEY_STATE_INSERT,
                                              KEY_NUL,
                                              KEY_UNICODE + 0x263A,
                                              KEY_UNICODE,
                                              -1,
                                              -97,
                                              INT32_MIN,
                                              INT32_MAX};
    switch (a.in_range(0, 3)) {
    case 0:
    case 1: return a.pick(keys);
    case 2: return a.in_range(0, 255) * (a.flag() ? 256 : 1);
    default: return a.integer();
    }
}

// ON KEY and KEY n: the records the program arms, and the texts of the function keys.
void set_key_record(fuzz_args &a) {
    onkey_record &k = onkey[a.in_range(1, ONKEY_SIZE - 1)];
    switch (a.in_range(0, 2)) {
    case 0:
        k.armed = a.flag();
        k.state = a.in_range(0, 2);
        break;
    case 1:
        // KEY 15 to 29 name a key of their own by its scan code and modifier flags.
        k.key_scancode = a.in_range(0, 255);
        k.key_flags = a.in_range(0, 255);
        break;
    default: {
        if (k.text) tqs_free(k.text);
        const std::vector<uint8_t> text = a.bytes(16);
        k.text = tqs_new(static_cast<int32_t>(text.size()), 0);
        if (!text.empty()) std::memcpy(k.text->data, text.data(), text.size());
        break;
    }
    }
}

void check_keyboard(const char *what) {
    keyboard_guard hold(keyboard_mutex);
    FUZZ_CHECK(keyheld_n >= 0 && keyheld_n <= keyheld_size, "after %s %d keys held in room for %d", what, keyheld_n,
               keyheld_size);
    for (int32_t i = 0; i < keyheld_n; i++)
        for (int32_t j = i + 1; j < keyheld_n; j++)
            FUZZ_CHECK(keyheld_buffer[i] != keyheld_buffer[j], "after %s key %d is held twice", what,
                       keyheld_buffer[i]);
    FUZZ_CHECK(keyhit_next >= 0 && keyhit_next < KEYHIT_SIZE && keyhit_nextfree >= 0 && keyhit_nextfree < KEYHIT_SIZE,
               "after %s the _KEYHIT queue runs from %d to %d", what, keyhit_next, keyhit_nextfree);
    FUZZ_CHECK(port60h_events >= 0 && port60h_events <= 256, "after %s %d scan codes are queued", what, port60h_events);
    FUZZ_CHECK(keyup_mask_last >= -1 && keyup_mask_last < KEYUP_MASK_SIZE, "after %s the key-up mask ends at %d", what,
               keyup_mask_last);
    FUZZ_CHECK(bindkey == 0, "after %s a bind value %d is left for the next key", what, bindkey);
}

void reset_keyboard() {
    keyboard_guard hold(keyboard_mutex);
    keyheld_n = 0;
    bindkey = 0;
    keyhit_clear();
    scan_codes_clear();
    keyboard_buffer_init();
    keyup_mask_last = -1;
    std::memset(keyup_mask, 0, sizeof keyup_mask);
    for (onkey_record &k : onkey) {
        if (k.text) tqs_free(k.text);
        k = onkey_record{};
    }
    onkey_preset_keys();
    std::memcpy(codepage437_to_unicode16, saved_unicode_map, sizeof saved_unicode_map);
    update_shift_state();
    close_program = 0;
    suspend_program = 0;
    exit_value = 0;
    exit_blocked = 0;
    sleep_break = 0;
    full_screen_set = -1;
    fullscreen_smooth = 0;
    force_display_update = 0;
}

const char *event(fuzz_args &a) {
    switch (a.in_range(0, 15)) {
    case 0:
    case 1:
    case 2: {
        const int32_t code = key_code(a);
        keydown(code);
        // Whatever else a press does, the key is held from then on.
        if (code > 0) FUZZ_CHECK(func__keydown(code) == -1, "key %d is not held after its press", code);
        return "a key press";
    }
    case 3:
    case 4: keyup(key_code(a)); return "a key release";
    case 5: {
        const int32_t code_point = a.flag() ? a.in_range(0, 0x10FFFF) : a.integer();
        if (a.flag())
            keydown_unicode(code_point);
        else
            keyup_unicode(code_point);
        return "a Unicode character";
    }
    case 6: keyboard_custom_key(a.flag() ? KEY_PAUSE : a.integer(), a.integer()); return "Pause or Break";
    case 7: {
        const ptrszint base = tqs_tmp_list_nexti;
        const tqs *s = tqs_inkey();
        FUZZ_CHECK(s->length >= 0 && s->length <= 2 && (s->length < 2 || s->data[0] == 0), "INKEY$ gave %d bytes",
                   s->length);
        tqs_release_tmp(base, 0);
        return "INKEY$";
    }
    case 8: {
        bool empty;
        int32_t oldest;
        {
            keyboard_guard hold(keyboard_mutex);
            empty = keyhit_next == keyhit_nextfree;
            oldest = empty ? 0 : keyhit[keyhit_next].code;
        }
        // 0 means an empty queue, so no key may be queued as 0.
        FUZZ_CHECK(empty || oldest != 0, "a key is in the _KEYHIT queue as 0");
        const int32_t code = func__keyhit();
        FUZZ_CHECK(code == oldest, "_KEYHIT gave %d, the oldest record is %d", code, oldest);
        return "_KEYHIT";
    }
    case 9: {
        const int32_t code = key_code(a), down = func__keydown(code);
        FUZZ_CHECK(down == 0 || down == -1, "_KEYDOWN(%d) gave %d", code, down);
        return "_KEYDOWN";
    }
    case 10: sub__keyclear(a.integer(), a.passed(1)); return "_KEYCLEAR";
    case 11: {
        // POKE: a program may move the keyboard buffer's indices anywhere.
        const uint16_t v = a.flag() ? static_cast<uint16_t>(a.in_range(0, 70)) : static_cast<uint16_t>(a.integer());
        std::memcpy(cmem + (a.flag() ? BIOS_KEYBOARD_HEAD : BIOS_KEYBOARD_TAIL), &v, sizeof v);
        return "POKE";
    }
    case 12: set_key_record(a); return "ON KEY";
    case 13: {
        // The lock keys as the housekeeping thread reports them.
        const int32_t code = a.pick(std::vector<int32_t>{KEY_CAPSLOCK, KEY_NUMLOCK});
        if (a.flag())
            keydown_bound(code, system_key_bind(code));
        else
            keyheld_unbind(system_key_bind(code));
        return "a lock key";
    }
    case 14: {
        const int32_t index = a.flag() ? a.in_range(0, 255) : a.integer(), code_point = a.integer();
        if (a.flag())
            sub__mapunicode(code_point, index);
        else
            func__mapunicode(index);
        return "_MAPUNICODE";
    }
    default:
        // _EXIT: the program handles Break and Alt+F4 itself.
        exit_blocked = a.flag();
        return "_EXIT";
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz_prepare();
    static bool saved = false;
    if (!saved) {
        std::memcpy(saved_unicode_map, codepage437_to_unicode16, sizeof saved_unicode_map);
        saved = true;
    }
    reset_keyboard();
    fuzz_settle_error("the previous input");
    FuzzedDataProvider in(data, size);
    fuzz_args a(in);
    for (int n = 0; n < 400 && !a.done(); n++) {
        const char *name = event(a);
        fuzz_settle_error(name);
        check_keyboard(name);
    }
    return 0;
}
