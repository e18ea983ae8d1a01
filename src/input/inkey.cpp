// INKEY$: the program thread's side of the BIOS keyboard buffer.
//
// The buffer has one consumer, the program thread, which reads the entry at the head and then
// moves the head; the key events write the entry at the tail and then move the tail. Neither side
// waits for the other.
#include <atomic>

#include "libtq.h"

namespace {
std::atomic_ref<uint16_t> buffer_index(uint32_t address) {
    return std::atomic_ref<uint16_t>(*reinterpret_cast<uint16_t *>(cmem + address));
}
} // namespace

tqs *tqs_inkey() {
    if (new_error) return tqs_new(0, 1);
    tqs *result = tqs_new(2, 1);
    const uint16_t head = buffer_index(BIOS_KEYBOARD_HEAD).load(std::memory_order_relaxed);
    const uint16_t tail = buffer_index(BIOS_KEYBOARD_TAIL).load(std::memory_order_acquire);
    // A head that a program moved off the buffer reads as empty rather than outside it.
    if (head == tail || head < 30 || head > 60) {
        result->length = 0;
        return result;
    }
    const uint8_t character = cmem[0x400 + head], scan = cmem[0x400 + head + 1];
    if (character != 0 || scan == 0) {
        result->data[0] = character;
        result->length = 1;
    } else {
        result->data[0] = 0;
        result->data[1] = scan;
    }
    buffer_index(BIOS_KEYBOARD_HEAD)
        .store(head + 2 > 60 ? 30 : static_cast<uint16_t>(head + 2), std::memory_order_release);
    return result;
}

void keyboard_buffer_init() {
    buffer_index(BIOS_KEYBOARD_HEAD).store(30);
    buffer_index(BIOS_KEYBOARD_TAIL).store(30);
}
