// Helpers of the keyboard tests: a clean keyboard, and the four views of it as plain values.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "input/key_codes.h"
#include "libtq.h"
#include "test_support.h"

// No key held, nothing queued, no trap armed, no program-control state left over.
inline void reset_keyboard() {
    reset_error_state();
    while (keyheld_n > 0) keyheld_remove(keyheld_buffer[0]);
    for (int32_t &slot : keyup_mask) slot = 0;
    keyup_mask_last = -1;
    for (onkey_record &k : onkey) k.armed = k.state = k.counter = 0, k.text = nullptr;
    sub__keyclear(0, 0);
    update_shift_state();
    sleep_break = 0;
    keydown_glyph = 0;
    bindkey = 0;
}

inline std::string inkey() {
    tqs *s = tqs_inkey();
    std::string out(reinterpret_cast<const char *>(s->data), static_cast<size_t>(s->length));
    tqs_free(s);
    return out;
}

// Every INKEY$ result until the buffer is empty.
inline std::vector<std::string> inkey_all() {
    std::vector<std::string> out;
    for (std::string s = inkey(); !s.empty(); s = inkey()) out.push_back(s);
    return out;
}

inline std::vector<int32_t> keyhits() {
    std::vector<int32_t> out;
    for (int32_t k = func__keyhit(); k; k = func__keyhit()) out.push_back(k);
    return out;
}

inline std::vector<int32_t> scan_codes() { return {port60h_event, port60h_event + port60h_events}; }

inline uint8_t bios_byte(uint32_t address) {
    return std::atomic_ref<uint8_t>(cmem[address]).load(std::memory_order_relaxed);
}

inline void press(std::initializer_list<int32_t> codes) {
    for (int32_t c : codes) keydown(c);
}
inline void release(std::initializer_list<int32_t> codes) {
    for (int32_t c : codes) keyup(c);
}
