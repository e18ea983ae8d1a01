// The scan-code queue behind the emulated keyboard port 0x60: a press queues the key's scan code,
// a release the scan code + 128, as the PC's keyboard controller sends them. Under the keyboard
// lock.
//
// A byte equal to the last one queued is not queued again (a key held down repeats its press, but
// the port shows the key going down once), and a full queue drops its oldest byte.
#include <cstring>

#include "input/keyboard_internal.h"
#include "libtq.h"

uint8_t port60h_event[256];
int32_t port60h_events = 0;

namespace {

constexpr int32_t RELEASED = 128; // added to a key's scan code when the key goes up

void queue_scan_byte(int32_t value) {
    const uint8_t byte = static_cast<uint8_t>(value);
    constexpr int32_t capacity = sizeof port60h_event;
    if (port60h_events < 0 || port60h_events > capacity) port60h_events = 0;
    if (port60h_events > 0 && port60h_event[port60h_events - 1] == byte) return;
    if (port60h_events == capacity) {
        std::memmove(port60h_event, port60h_event + 1, capacity - 1);
        port60h_events = capacity - 1;
    }
    port60h_event[port60h_events++] = byte;
}

} // namespace

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

int32_t key_scan(int32_t code) {
    const int32_t row = table_row(code);
    if (row < 0) return modifier_scan(code);
    const int32_t *cells = key_translation_table[row];
    // An extended or keypad row that produces nothing is a key the keyboard does not have.
    if (row >= KEY_ROW_EXTENDED && cells[COL_PLAIN] == 0) return 0;
    return cells[COL_SCAN];
}

void scan_codes_clear() { port60h_events = 0; }

void scancodedown(int32_t scan) {
    keyboard_guard hold(keyboard_mutex);
    queue_scan_byte(scan);
}

void scancodeup(int32_t scan) {
    keyboard_guard hold(keyboard_mutex);
    queue_scan_byte(scan + RELEASED);
}
