// The platform layer's keyboard: what the operating system knows about the keyboard beyond the
// window library's key callbacks. The lock keys' toggle states and the modifier keys held down
// when the program starts, the synthesised lock-key press that turns a lock on or off, whether the
// window has the input focus, and the keys the window library does not report (Pause, Ctrl+Break,
// Scroll Lock).
//
// All of it goes through a connection to the display of the platform layer's own, never through
// the window library's. Without a display every lock reads as off, no key is held, nothing is
// synthesised and the window counts as focused.
#pragma once

#include <cstdint>

namespace plat {

enum class lock_key { caps_lock, num_lock, scroll_lock };

// 1 when the lock is on, 0 when it is off, -1 when the system keeps no state for it (no display,
// or no indicator for that lock), in which case the runtime's own state stands.
int lock_key_state(lock_key key);

// Presses and releases the lock key through the system, which toggles its state.
void toggle_lock_key(lock_key key);

enum class modifier_key { scroll_lock, shift_left, shift_right, ctrl_left, ctrl_right, alt_left, alt_right };

// True while the key is physically held down.
bool key_held_down(modifier_key key);

// True when `native_window` (the window library's window) has the input focus, or when that
// cannot be known.
bool window_has_focus(void *native_window);

// Keys of the window that the window library does not report.
enum class watched_key { pause, break_key, scroll_lock };

// Starts watching `native_window` for presses and releases of Pause, Ctrl+Pause (Break) and
// Scroll Lock, reported through `report` on a thread of the platform layer. A Pause press made
// with Ctrl held is Break, and its release is reported as Break too, whatever Ctrl does
// meanwhile. Returns false when there is no display to watch; a second call does nothing.
bool watch_window_keys(void *native_window, void (*report)(watched_key key, bool pressed));

} // namespace plat
