// The program thread's side of the display lock. While the program thread rebuilds the screen's
// pages, the composer must not read them: the program thread asks for the lock and waits until
// the composer, between two composition passes, grants it.
#include "libtq.h"

std::atomic<int32_t> lock_display{0};
std::atomic<int32_t> lock_display_required{0};
std::atomic<int32_t> screen_last_valid{0};

bool display_lock_wait() {
    int32_t expected = 0;
    lock_display.compare_exchange_strong(expected, 1);
    while (lock_display.load() != 2) {
        // Once the program is ending the composer has stopped, and the grant would never come.
        if (stop_program.load()) {
            lock_display.store(0);
            return false;
        }
        libtq_sleep_ms(0);
    }
    return true;
}

bool display_lock_take() {
    if (!autodisplay.load() || !lock_display_required.load()) return false;
    if (!display_lock_wait()) end();
    return true;
}

void display_lock_release() { lock_display.store(0); }
