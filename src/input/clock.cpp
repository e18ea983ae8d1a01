// The runtime's millisecond clock: the monotonic counter, rounded to the nearest millisecond,
// counted from the moment clock_init ran.
#include "libtq.h"
#include "platform/platform.h"

namespace {
int64_t clock_frequency = 1;
int64_t clock_zero = 0;

int64_t counter_ms() {
    int64_t c = plat::counter();
    int64_t f = clock_frequency;
    int64_t q = c / f;
    int64_t rest = c - q * f;
    return q * 1000 + (rest * 1000 + f / 2) / f;
}
} // namespace

void clock_init() {
    clock_frequency = plat::counter_frequency();
    clock_zero = counter_ms();
}

int64_t GetTicks() { return counter_ms() - clock_zero; }
