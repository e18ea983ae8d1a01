// _DELAY and _LIMIT: waits that keys do not end. Each sleeps to its end in one piece; a key press
// or the start of the program's end wakes it early, for the statement frame's event check (which
// serves a pause or parks the thread), and it then sleeps on for what is left.
#include "libtq.h"

double limit_last_boundary = 0;

namespace {
// Sleeps up to `ms` (less when woken), then runs the event check. The first piece of a wait also
// asks for a composition, so that what the program drew is shown while it waits.
void wait_piece(int32_t seen, int64_t ms, bool &asked) {
    if (ms == 0) ms = 1;
    if (!asked) composition_request();
    asked = true;
    program_wait(seen, ms);
    evnt(0, 0, nullptr);
}
} // namespace

void sub__delay(double seconds) {
    int64_t start = GetTicks();
    if (new_error) return;
    if (!(seconds >= 0 && seconds <= 2147483.647)) { // NaN included
        error(5);
        return;
    }
    const double wait = seconds * 1000.0;
    int64_t previous = start;
    bool asked = false;
    for (;;) {
        const int32_t seen = program_wake.load(std::memory_order_acquire);
        const int64_t now = GetTicks();
        // A clock that went backwards moves the start with it.
        if (now - start < 0) start += now - previous;
        previous = now;
        const int64_t elapsed = now - start;
        if (wait <= static_cast<double>(elapsed)) return;
        wait_piece(seen, static_cast<int64_t>(wait - static_cast<double>(elapsed)), asked);
    }
}

void sub__limit(double rate) {
    if (new_error) return;
    if (!(rate > 0) || 1000.0 / rate > 60000.0) { // NaN included
        error(5);
        return;
    }
    const double period = 1000.0 / rate;
    bool asked = false;
    for (;;) {
        const int32_t seen = program_wake.load(std::memory_order_acquire);
        const double now = static_cast<double>(GetTicks());
        if (limit_last_boundary == 0 || limit_last_boundary > now) {
            limit_last_boundary = now;
            return;
        }
        const double elapsed = now - limit_last_boundary;
        if (elapsed == period) {
            limit_last_boundary += period;
            return;
        }
        if (elapsed > period) {
            // At most 32 ms late keeps the grid; later gives up the lost time and starts a new one.
            limit_last_boundary = elapsed > period + 32 ? now : limit_last_boundary + period;
            return;
        }
        wait_piece(seen, static_cast<int64_t>(period - elapsed), asked);
    }
}
