// Timed waits on a shared word on Linux: a futex with an absolute deadline on the monotonic
// clock, so that signals and wake-ups that leave the word unchanged do not stretch the wait.
#include <cerrno>
#include <climits>
#include <ctime>

#include "platform/wait.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace plat {
namespace {
static_assert(sizeof(std::atomic<int32_t>) == sizeof(int32_t) && std::atomic<int32_t>::is_always_lock_free,
              "a futex needs the word itself");

int32_t *futex_address(const std::atomic<int32_t> &word) {
    return reinterpret_cast<int32_t *>(const_cast<std::atomic<int32_t> *>(&word));
}

timespec deadline_after(int64_t us) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    int64_t ns = static_cast<int64_t>(now.tv_nsec) + (us % 1000000) * 1000;
    timespec at{static_cast<time_t>(now.tv_sec + us / 1000000 + ns / 1000000000), static_cast<long>(ns % 1000000000)};
    return at;
}

bool passed(const timespec &deadline) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec > deadline.tv_sec || (now.tv_sec == deadline.tv_sec && now.tv_nsec >= deadline.tv_nsec);
}
} // namespace

void wait_word(const std::atomic<int32_t> &word, int32_t expected, int64_t us) {
    if (us <= 0) return;
    const timespec deadline = deadline_after(us);
    while (word.load(std::memory_order_acquire) == expected && !passed(deadline)) {
        // With FUTEX_WAIT_BITSET the timeout is an absolute time on the monotonic clock.
        long r = syscall(SYS_futex, futex_address(word), FUTEX_WAIT_BITSET_PRIVATE, expected, &deadline, nullptr,
                         FUTEX_BITSET_MATCH_ANY);
        if (r != 0 && errno == ETIMEDOUT) return;
    }
}

void wake_word_waiters(const std::atomic<int32_t> &word) {
    syscall(SYS_futex, futex_address(word), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
}

} // namespace plat
