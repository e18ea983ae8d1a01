// TIMER: seconds since local midnight, in steps of 1/18.2 second unless an accuracy is given.
#include <cmath>

#include "libtq.h"
#include "platform/platform.h"

double func_timer(double accuracy, int32_t passed) {
    if (new_error) return 0;
    const int64_t us = plat::wall_clock_us();
    const int64_t ms = us / 1000;
    const int64_t frac = ms % 1000;
    const plat::local_time t = plat::to_local_time(ms / 1000);
    const double day_ms = static_cast<double>((t.hour * 3600 + t.minute * 60 + t.second) * 1000LL + frac);
    double steps;
    if (passed) {
        if (accuracy <= 0) {
            error(5);
            return 0;
        }
        steps = 1.0 / accuracy;
    } else {
        steps = 18.2;
    }
    // Rounded to the nearest step, ties to even (the program thread's rounding mode).
    const double n = std::nearbyint(day_ms / 1000.0 * steps);
    const double result = n / steps;
    return passed ? result : static_cast<double>(static_cast<float>(result));
}
