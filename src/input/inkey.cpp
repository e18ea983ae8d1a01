// INKEY$: the program thread takes the oldest entry of the BIOS keyboard buffer, without waiting
// for the key events (the buffer's reader needs no lock). A program that finds no key is usually
// waiting for one: it asks for a composition of what it drew (only when that changed).
#include "input/keyboard_internal.h"
#include "libtq.h"

tqs *tqs_inkey() {
    if (new_error) return tqs_new(0, 1);
    tqs *result = tqs_new(2, 1);
    uint8_t character = 0, scan = 0;
    if (!bios_buffer_take(character, scan)) {
        result->length = 0;
        composition_request();
    } else if (character != 0 || scan == 0) {
        result->data[0] = character;
        result->length = 1;
    } else {
        result->data[0] = 0; // an extended key: CHR$(0) + CHR$(scan)
        result->data[1] = scan;
    }
    return result;
}
