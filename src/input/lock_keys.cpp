// The lock keys: Caps Lock, Num Lock and Scroll Lock as the system keeps them, taken over at
// start-up and polled by the housekeeping thread, and the statements that read and set them.
// Also the keyboard's start-up.
//
// The system's toggle state is the truth where it has one. Where it has none (no display, or no
// indicator for the lock), the runtime's own state stands: held KEY_CAPSLOCK, KEY_NUMLOCK and
// KEY_STATE_SCROLLLOCK, changed by presses of the keys.
#include "input/keyboard_internal.h"
#include "libtq.h"
#include "platform/keyboard.h"

namespace {

struct lock_key_codes {
    plat::lock_key key;
    int32_t held_code;    // held while the lock is on
    bool reported_as_key; // its changes are presses and releases of the key, not only a held state
};
constexpr lock_key_codes caps_lock{plat::lock_key::caps_lock, KEY_CAPSLOCK, true};
constexpr lock_key_codes num_lock{plat::lock_key::num_lock, KEY_NUMLOCK, true};
constexpr lock_key_codes scroll_lock{plat::lock_key::scroll_lock, KEY_STATE_SCROLLLOCK, false};

// Brings the runtime's state of one lock to `on`. Caps Lock and Num Lock are reported as key
// presses and releases (so that turning them on wakes SLEEP); Scroll Lock's state is only held.
// True when something changed.
bool follow_lock(const lock_key_codes &lock, bool on) {
    keyboard_guard hold(keyboard_mutex);
    if ((keyheld(lock.held_code) != 0) == on) return false;
    if (!lock.reported_as_key) {
        if (on)
            keyheld_add(lock.held_code);
        else
            keyheld_remove(lock.held_code);
    } else if (on) {
        keydown_bound(lock.held_code, system_key_bind(lock.held_code));
    } else {
        keyup_vk(lock.held_code);
    }
    return true;
}

bool lock_on(const lock_key_codes &lock) {
    const int state = plat::lock_key_state(lock.key);
    return state < 0 ? keyheld(lock.held_code) != 0 : state == 1;
}

void set_lock(const lock_key_codes &lock, int32_t mode) {
    if (new_error) return;
    const bool on = lock_on(lock);
    const bool wanted = mode == 1 ? true : mode == 2 ? false : !on;
    if (wanted == on) return;
    if (plat::lock_key_state(lock.key) < 0) {
        if (follow_lock(lock, wanted)) update_shift_state();
        return;
    }
    plat::toggle_lock_key(lock.key);
}

// Keys the window library does not report, from the platform's key watcher.
void report_watched_key(plat::watched_key key, bool pressed) {
    switch (key) {
    case plat::watched_key::pause: zorv_custom_event(2, KEY_PAUSE, pressed ? 1 : 0); break;
    case plat::watched_key::break_key: zorv_custom_event(2, KEY_BREAK, pressed ? 1 : 0); break;
    case plat::watched_key::scroll_lock:
        if (pressed)
            keydown_vk(KEY_SCROLLLOCK);
        else
            keyup_vk(KEY_SCROLLLOCK);
        break;
    }
}

bool key_watcher_started = false; // housekeeping thread

} // namespace

void keyboard_init() {
    onkey_preset_keys();
    if (plat::lock_key_state(plat::lock_key::scroll_lock) == 1) keyheld_add(KEY_STATE_SCROLLLOCK);
    struct held_at_start {
        plat::modifier_key key;
        int32_t code;
    };
    static constexpr held_at_start modifiers[] = {
        {plat::modifier_key::scroll_lock, KEY_SCROLLLOCK}, {plat::modifier_key::shift_left, KEY_LSHIFT},
        {plat::modifier_key::shift_right, KEY_RSHIFT},     {plat::modifier_key::ctrl_left, KEY_LCTRL},
        {plat::modifier_key::ctrl_right, KEY_RCTRL},       {plat::modifier_key::alt_left, KEY_LALT},
        {plat::modifier_key::alt_right, KEY_RALT},
    };
    for (const held_at_start &m : modifiers)
        if (plat::key_held_down(m.key)) keydown_bound(m.code, system_key_bind(m.code));
    for (const lock_key_codes *lock : {&caps_lock, &num_lock})
        if (plat::lock_key_state(lock->key) == 1) keydown_bound(lock->held_code, system_key_bind(lock->held_code));
    update_shift_state();
    keyboard_guard hold(keyboard_mutex);
    keyhit_clear();
    keyboard_buffer_init();
}

void keyboard_poll_lock_keys() {
    if (!key_watcher_started && libtq_is_glut_up()) {
        key_watcher_started = true;
        plat::watch_window_keys(window_handle, report_watched_key);
    }
    bool changed = false;
    for (const lock_key_codes *lock : {&scroll_lock, &caps_lock, &num_lock}) {
        const int state = plat::lock_key_state(lock->key);
        if (state >= 0) changed |= follow_lock(*lock, state == 1);
    }
    if (changed) update_shift_state();
}

int32_t func__capslock() { return !new_error && lock_on(caps_lock) ? TQ_TRUE : TQ_FALSE; }
int32_t func__numlock() { return !new_error && lock_on(num_lock) ? TQ_TRUE : TQ_FALSE; }
int32_t func__scrolllock() { return !new_error && lock_on(scroll_lock) ? TQ_TRUE : TQ_FALSE; }
void sub__capslock(int32_t mode) { set_lock(caps_lock, mode); }
void sub__numlock(int32_t mode) { set_lock(num_lock, mode); }
void sub__scrolllock(int32_t mode) { set_lock(scroll_lock, mode); }
