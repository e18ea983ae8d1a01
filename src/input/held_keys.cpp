// The held-key table: which keys are down now, in the order they went down, and _KEYDOWN.
//
// A key on the keypad also counts as the key it stands for: _KEYDOWN of "1" is true while keypad 1
// is held with Num Lock on, and _KEYDOWN of Up while keypad 8 is held with Num Lock off.
#include <cstdlib>
#include <cstring>

#include "input/keyboard_internal.h"
#include "libtq.h"

int32_t *keyheld_buffer = nullptr;
int32_t *keyheld_bind_buffer = nullptr;
int32_t keyheld_n = 0;
int32_t keyheld_size = 0;
int32_t bindkey = 0;

namespace {

int32_t held_index(int32_t code) {
    for (int32_t i = 0; i < keyheld_n; i++)
        if (keyheld_buffer[i] == code) return i;
    return -1;
}

// The twin of a key on the keypad, or 0: the character keys that the keypad also types, and the
// cursor keys that the keypad gives with Num Lock off.
int32_t keypad_twin(int32_t code) {
    switch (code) {
    case KEY_ENTER: return KEY_KEYPAD_ENTER;
    case '*': return KEY_KEYPAD_STAR;
    case '+': return KEY_KEYPAD_PLUS;
    case '-': return KEY_KEYPAD_MINUS;
    case '.': return KEY_KEYPAD_PERIOD;
    case '/': return KEY_KEYPAD_SLASH;
    case KEY_HOME: return KEY_KEYPAD_HOME;
    case KEY_UP: return KEY_KEYPAD_UP;
    case KEY_PGUP: return KEY_KEYPAD_PGUP;
    case KEY_LEFT: return KEY_KEYPAD_LEFT;
    case KEY_CENTER: return KEY_KEYPAD_CENTER;
    case KEY_RIGHT: return KEY_KEYPAD_RIGHT;
    case KEY_END: return KEY_KEYPAD_END;
    case KEY_DOWN: return KEY_KEYPAD_DOWN;
    case KEY_PGDN: return KEY_KEYPAD_PGDN;
    case KEY_INSERT: return KEY_KEYPAD_INSERT;
    case KEY_DELETE: return KEY_KEYPAD_DELETE;
    default: break;
    }
    if (code >= '0' && code <= '9') return KEY_KEYPAD_0 + (code - '0');
    return 0;
}

} // namespace

bool held(int32_t code) { return held_index(code) >= 0; }
bool shift_held() { return held(KEY_LSHIFT) || held(KEY_RSHIFT); }
bool ctrl_held() { return held(KEY_LCTRL) || held(KEY_RCTRL); }
bool alt_held() { return held(KEY_LALT) || held(KEY_RALT); }

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

void keydown_bound(int32_t code, int32_t bind) {
    keyboard_guard hold(keyboard_mutex);
    bindkey = bind;
    keydown(code);
}

int32_t func__keydown(int32_t code) {
    if (new_error) return 0;
    if (code <= 0) {
        error(5);
        return 0;
    }
    return keyheld(code) ? TQ_TRUE : TQ_FALSE;
}
