// Timed waits on a shared word: a thread sleeps until the word changes or the time runs out,
// and the thread that changes the word wakes it at once. The runtime's timed waits use this so
// that a key press ends a wait step without waiting for the step's end.
#pragma once

#include <atomic>
#include <cstdint>

namespace plat {

// Sleeps up to `us` microseconds while `word` holds `expected`. Returns early, without a
// spurious return, once the word holds another value and wake_word_waiters has been called.
void wait_word(const std::atomic<int32_t> &word, int32_t expected, int64_t us);

// Wakes every thread waiting on `word`. Call it after changing the word.
void wake_word_waiters(const std::atomic<int32_t> &word);

} // namespace plat
