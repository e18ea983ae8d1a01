// The BIOS keyboard data inside the emulated conventional memory: the keyboard buffer that INKEY$
// reads, and the keyboard flag bytes.
//
// The buffer is a ring of 16 two-byte entries (character code, scan code) at 0040:001E-0040:003D;
// the head (0040:001A) and the tail (0040:001C) hold offsets within segment 0x40. It has one
// writer, the key events under the keyboard lock, and one reader, the program thread, without
// the lock: the writer writes the entry at the tail and then moves the tail, the reader reads the
// entry at the head and then moves the head. Each index is a 16-bit word stored whole, so neither
// side waits for the other. A program may move either index anywhere: a tail outside the ring
// drops keys, a head outside it reads as empty, and nothing is written outside the ring.
#include <atomic>

#include "input/keyboard_internal.h"
#include "input/ring.h"
#include "libtq.h"

namespace {

constexpr uint32_t BIOS_DATA_SEGMENT = 0x400; // segment 0x40 as an offset into cmem
using bios_ring =
    ring<BIOS_KEYBOARD_BUFFER - BIOS_DATA_SEGMENT, 2, (BIOS_KEYBOARD_BUFFER_END - BIOS_KEYBOARD_BUFFER) / 2>;

std::atomic_ref<uint16_t> buffer_index(uint32_t address) {
    return std::atomic_ref<uint16_t>(*reinterpret_cast<uint16_t *>(cmem + address));
}

// The flag bytes are read by the program thread without the keyboard lock.
void store_bios_byte(uint32_t address, uint8_t value) {
    std::atomic_ref<uint8_t>(cmem[address]).store(value, std::memory_order_relaxed);
}

} // namespace

void bios_buffer_put(uint8_t character, uint8_t scan) {
    const uint16_t head = buffer_index(BIOS_KEYBOARD_HEAD).load(std::memory_order_acquire);
    const uint16_t tail = buffer_index(BIOS_KEYBOARD_TAIL).load(std::memory_order_relaxed);
    if (!bios_ring::inside(tail) || bios_ring::full(head, tail)) return;
    cmem[BIOS_DATA_SEGMENT + tail] = character;
    cmem[BIOS_DATA_SEGMENT + tail + 1] = scan;
    buffer_index(BIOS_KEYBOARD_TAIL).store(static_cast<uint16_t>(bios_ring::next(tail)), std::memory_order_release);
}

bool bios_buffer_take(uint8_t &character, uint8_t &scan) {
    const uint16_t head = buffer_index(BIOS_KEYBOARD_HEAD).load(std::memory_order_relaxed);
    const uint16_t tail = buffer_index(BIOS_KEYBOARD_TAIL).load(std::memory_order_acquire);
    if (bios_ring::empty(head, tail) || !bios_ring::inside(head)) return false;
    character = cmem[BIOS_DATA_SEGMENT + head];
    scan = cmem[BIOS_DATA_SEGMENT + head + 1];
    buffer_index(BIOS_KEYBOARD_HEAD).store(static_cast<uint16_t>(bios_ring::next(head)), std::memory_order_release);
    return true;
}

void keyboard_buffer_init() {
    buffer_index(BIOS_KEYBOARD_HEAD).store(bios_ring::first);
    buffer_index(BIOS_KEYBOARD_TAIL).store(bios_ring::first);
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
