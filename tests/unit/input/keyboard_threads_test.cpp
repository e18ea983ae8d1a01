// The keyboard shared by the threads that write it (the window thread's key events, the
// housekeeping thread's lock-key polling) and the program thread that reads it.
#include <gtest/gtest.h>

#include <thread>

#include "keyboard_test_support.h"

namespace {

TEST(KeyboardThreaded, EveryPressAndReleaseReachesTheProgramThreadInOrder) {
    reset_keyboard();
    constexpr int strokes = 3000;
    std::atomic<bool> done{false};
    std::thread window([&] {
        for (int i = 0; i < strokes; i++) {
            const int32_t c = 'a' + i % 26;
            keydown(c);
            keyup(c);
        }
        done = true;
    });
    std::thread housekeeping([&] {
        while (!done.load()) {
            keyheld_add(KEY_STATE_SCROLLLOCK);
            update_shift_state();
            keyheld_remove(KEY_STATE_SCROLLLOCK);
            update_shift_state();
        }
    });
    std::string typed;
    std::vector<int32_t> hits;
    auto read = [&] {
        typed += inkey();
        for (int32_t k = func__keyhit(); k; k = func__keyhit()) hits.push_back(k);
        func__keydown('a');
    };
    while (!done.load()) read();
    window.join();
    housekeeping.join();
    read();
    read();

    std::vector<int32_t> expected;
    for (int i = 0; i < strokes; i++) {
        expected.push_back('a' + i % 26);
        expected.push_back(-('a' + i % 26));
    }
    EXPECT_EQ(hits, expected);
    // The buffer may have been full now and then: what arrived is the typed text with gaps.
    ASSERT_FALSE(typed.empty());
    size_t at = 0;
    for (char c : typed) {
        while (at < strokes && 'a' + static_cast<int>(at % 26) != c) at++;
        ASSERT_LT(at, static_cast<size_t>(strokes)) << "out of order: " << typed;
        at++;
    }
    reset_keyboard();
}

} // namespace
