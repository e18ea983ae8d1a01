// SLEEP: the program thread waits for a time or for a key press.
//
// The wait runs in steps of 9 ms with the statement frame's event check between them, so that a
// pause, a trapped event or the end of the program is served while it waits. Each step is a wait
// on `sleep_break` that a key press ends at once; the last step sleeps exactly the milliseconds
// that are left.
#include "libtq.h"
#include "platform/wait.h"

std::atomic<int32_t> sleep_break{0};

void sleep_break_signal() {
    sleep_break.store(1, std::memory_order_release);
    plat::wake_word_waiters(sleep_break);
}

namespace {
// Sleeps `ms` milliseconds, or less when a key press sets sleep_break meanwhile.
void sleep_step(int64_t ms) { plat::wait_word(sleep_break, 0, ms * 1000); }
} // namespace

void sub_sleep(int32_t seconds, int32_t) {
    if (new_error) return;
    sleep_break = 0;
    const int64_t start = GetTicks();
    const double wait = seconds * 1000.0;
    // A key left in the buffer stays there for INKEY$; a key that buffered nothing (Shift alone)
    // only ends the wait.
    for (;;) {
        evnt(0, 0, nullptr);
        if (sleep_break.load() || stop_program.load()) return;
        if (wait <= 0) {
            sleep_step(9);
            continue;
        }
        const int64_t now = GetTicks();
        if (now < start) return;
        const int64_t elapsed = now - start;
        if (wait <= static_cast<double>(elapsed)) return;
        int64_t left = static_cast<int64_t>(wait - static_cast<double>(elapsed));
        if (left == 0) left = 1;
        if (left < 10) {
            sleep_step(left);
            return;
        }
        sleep_step(9);
    }
}
