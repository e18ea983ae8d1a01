// The _KEYHIT queue: every press as its code and every release as the negated code, in order, for
// _KEYHIT on the program thread. And the key-up mask, which keeps out the release of a key whose
// press an ON KEY trap or a KEY text took.
//
// Both live under the keyboard lock. The queue's positions are always inside its ring: only the
// key events and _KEYCLEAR move them.
#include "input/keyboard_internal.h"
#include "input/ring.h"
#include "libtq.h"

keyhit_record keyhit[KEYHIT_SIZE];
int32_t keyhit_nextfree = 0;
int32_t keyhit_next = 0;
int32_t keyup_mask[KEYUP_MASK_SIZE];
int32_t keyup_mask_last = -1;

namespace {

using keyhit_ring = ring<0, 1, KEYHIT_SIZE>;

// A mask whose last slot was set out of range starts again from empty.
void keep_keyup_mask_last_inside() {
    if (keyup_mask_last < -1 || keyup_mask_last >= KEYUP_MASK_SIZE) keyup_mask_last = -1;
}

} // namespace

void keyhit_append(int32_t code, int32_t keypad) {
    if (keyhit_ring::full(keyhit_next, keyhit_nextfree)) keyhit_next = keyhit_ring::next(keyhit_next);
    keyhit[keyhit_nextfree] = {code, keypad};
    keyhit_nextfree = keyhit_ring::next(keyhit_nextfree);
}

void keyhit_clear() { keyhit_next = keyhit_nextfree = 0; }

int32_t func__keyhit() {
    if (new_error) return 0;
    {
        keyboard_guard hold(keyboard_mutex);
        if (!keyhit_ring::empty(keyhit_next, keyhit_nextfree)) {
            const int32_t code = keyhit[keyhit_next].code;
            keyhit_next = keyhit_ring::next(keyhit_next);
            return code;
        }
    }
    // Nothing pressed: the program is probably waiting, so what it drew is shown now.
    composition_request();
    return 0;
}

// A key held down repeats its press but is released once, so it is entered once.
void keyup_mask_add(int32_t code) {
    keep_keyup_mask_last_inside();
    int32_t free_slot = -1;
    for (int32_t i = 0; i <= keyup_mask_last; i++) {
        if (keyup_mask[i] == code) return;
        if (keyup_mask[i] == 0 && free_slot < 0) free_slot = i;
    }
    if (free_slot >= 0)
        keyup_mask[free_slot] = code;
    else if (keyup_mask_last < KEYUP_MASK_SIZE - 1)
        keyup_mask[++keyup_mask_last] = code;
}

bool keyup_mask_take(int32_t code) {
    keep_keyup_mask_last_inside();
    for (int32_t i = 0; i <= keyup_mask_last; i++)
        if (keyup_mask[i] == code) {
            keyup_mask[i] = 0;
            while (keyup_mask_last >= 0 && keyup_mask[keyup_mask_last] == 0) keyup_mask_last--;
            return true;
        }
    return false;
}
