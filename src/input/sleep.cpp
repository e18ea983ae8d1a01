// SLEEP, and the waiting that every timed wait of the program thread shares.
//
// A waiting program thread sleeps on `program_wake`, a count that everything which may end or
// interrupt a wait advances: every key press (through sleep_break_signal) and the start of the
// program's end. So a wait sleeps to its end in one piece, and wakes only when there is something
// to do: the statement frame's event check (which parks the thread when the program ends, and
// holds it while the program is paused) then runs, and the wait decides whether it is over.
//
// As it begins to wait, the program thread asks for a composition, so that the picture it drew
// is shown at once (see src/display/compose_on_demand.cpp).
#include "libtq.h"
#include "platform/wait.h"

std::atomic<int32_t> sleep_break{0};
std::atomic<int32_t> program_wake{0};

void program_wake_signal() {
    program_wake.fetch_add(1, std::memory_order_release);
    plat::wake_word_waiters(program_wake);
}

void sleep_break_signal() {
    sleep_break.store(1, std::memory_order_release);
    program_wake_signal();
}

void program_wait(int32_t seen, int64_t ms) {
    // A wait without an end still looks again once an hour.
    constexpr int64_t longest_ms = 3600 * 1000;
    program_wait_begins();
    plat::wait_word(program_wake, seen, (ms < 0 || ms > longest_ms ? longest_ms : ms) * 1000);
    program_wait_ends();
}

void sub_sleep(int32_t seconds, int32_t) {
    if (new_error) return;
    sleep_break = 0;
    composition_request();
    const int64_t start = GetTicks();
    const double wait = seconds * 1000.0;
    // A key left in the buffer stays there for INKEY$; a key that buffered nothing (Shift alone)
    // only ends the wait.
    for (;;) {
        const int32_t seen = program_wake.load(std::memory_order_acquire);
        evnt(0, 0, nullptr);
        if (sleep_break.load() || stop_program.load()) return;
        if (wait <= 0) {
            program_wait(seen, -1);
            continue;
        }
        const int64_t now = GetTicks();
        if (now < start) return;
        const int64_t elapsed = now - start;
        if (wait <= static_cast<double>(elapsed)) return;
        int64_t left = static_cast<int64_t>(wait - static_cast<double>(elapsed));
        if (left == 0) left = 1;
        program_wait(seen, left);
    }
}
