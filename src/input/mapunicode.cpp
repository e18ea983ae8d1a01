// _MAPUNICODE: the Unicode character that each code page 437 byte stands for.
#include "input/keyboard_internal.h"
#include "libtq.h"

int32_t func__mapunicode(int32_t index) {
    if (new_error) return 0;
    if (index < 0 || index > 255) {
        error(5);
        return 0;
    }
    return codepage437_to_unicode16[index];
}

void sub__mapunicode(int32_t code_point, int32_t index) {
    if (new_error) return;
    if (index < 0 || index > 255 || code_point < 0 || code_point > 65535) {
        error(5);
        return;
    }
    // Key input looks characters up in the map on the window thread.
    keyboard_guard hold(keyboard_mutex);
    codepage437_to_unicode16[index] = static_cast<uint16_t>(code_point);
}
