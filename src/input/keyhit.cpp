// _KEYHIT, _KEYDOWN and _KEYCLEAR: the program thread's readers of the key queues.
#include "input/keyboard_internal.h"
#include "libtq.h"

int32_t func__keyhit() {
    if (new_error) return 0;
    keyboard_guard hold(keyboard_mutex);
    constexpr int32_t mask = KEYHIT_SIZE - 1;
    if ((keyhit_next & mask) == (keyhit_nextfree & mask)) return 0;
    const int32_t code = keyhit[keyhit_next & mask].code;
    keyhit_next = (keyhit_next + 1) & mask;
    return code;
}

int32_t func__keydown(int32_t code) {
    if (new_error) return 0;
    if (code <= 0) {
        error(5);
        return 0;
    }
    return keyheld(code) ? TQ_TRUE : TQ_FALSE;
}

void sub__keyclear(int32_t which, int32_t passed) {
    if (new_error) return;
    if (passed && (which < 1 || which > 3)) {
        error(5);
        return;
    }
    // Under the keyboard lock, the key events are not writing the buffer while both of its
    // indices move.
    keyboard_guard hold(keyboard_mutex);
    if (!passed || which == 1) keyboard_buffer_init();
    if (!passed || which == 2) keyhit_next = keyhit_nextfree = 0;
    if (!passed || which == 3) port60h_events = 0;
}
