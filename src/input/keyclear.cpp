// _KEYCLEAR: empties the keyboard buffer, the _KEYHIT queue, the scan-code queue, or all three.
#include "input/keyboard_internal.h"
#include "libtq.h"

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
    if (!passed || which == 2) keyhit_clear();
    if (!passed || which == 3) scan_codes_clear();
}
