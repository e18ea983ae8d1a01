// _DELAY and _LIMIT: waits that keys do not end. Both sleep in steps of 9 ms with the statement
// frame's event check between steps, and finish with one exact short sleep.
#include "libtq.h"

double limit_last_boundary = 0;

void sub__delay(double seconds) {
    int64_t start = GetTicks();
    if (new_error) return;
    if (!(seconds >= 0 && seconds <= 2147483.647)) { // NaN included
        error(5);
        return;
    }
    const double wait = seconds * 1000.0;
    int64_t previous = start;
    for (;;) {
        const int64_t now = GetTicks();
        const int64_t elapsed = now - start;
        if (wait <= static_cast<double>(elapsed)) return;
        int64_t left = static_cast<int64_t>(wait - static_cast<double>(elapsed));
        if (left == 0) left = 1;
        if (left <= 9) {
            libtq_sleep_ms(left);
            return;
        }
        // A clock that went backwards moves the start with it.
        if (elapsed < 0) start += now - previous;
        previous = now;
        libtq_sleep_ms(9);
        evnt(0, 0, nullptr);
    }
}

void sub__limit(double rate) {
    if (new_error) return;
    if (!(rate > 0) || 1000.0 / rate > 60000.0) { // NaN included
        error(5);
        return;
    }
    const double period = 1000.0 / rate;
    for (;;) {
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
        int64_t left = static_cast<int64_t>(period - elapsed);
        if (left == 0) left = 1;
        if (left < 10) {
            libtq_sleep_ms(left);
        } else {
            libtq_sleep_ms(9);
            evnt(0, 0, nullptr);
        }
    }
}
