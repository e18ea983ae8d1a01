// Clock and sleeping on Linux.
#include <cerrno>
#include <ctime>

#include "platform/platform.h"

namespace plat {

int64_t counter() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

int64_t counter_frequency() { return 1000000000LL; }

int64_t wall_clock_us() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000LL + ts.tv_nsec / 1000;
}

local_time to_local_time(int64_t seconds_since_epoch) {
    time_t t = static_cast<time_t>(seconds_since_epoch);
    tm parts{};
    localtime_r(&t, &parts);
    return {parts.tm_hour, parts.tm_min, parts.tm_sec};
}

void sleep_us(int64_t us) {
    if (us <= 0) {
        timespec zero{0, 0};
        nanosleep(&zero, nullptr);
        return;
    }
    timespec left{static_cast<time_t>(us / 1000000), static_cast<long>((us % 1000000) * 1000)};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

void sleep_ms(int64_t ms) { sleep_us(ms * 1000); }

} // namespace plat
