// The housekeeping and timer threads, and the exit sequence.
//
// The housekeeping thread cycles every 16 ms. Its pauses between steps are timed waits that a
// request for a composition ends (the program thread asks as it begins to wait), so that a frame
// is composed at once without changing the cycle; while the program waits on a picture that does
// not blink, the cycle rests. When the program asks to end (close_program, or
// the close button's bit of exit_value while the program has not taken over ending itself), it
// sets stop_program, raises tqevent and wakes the program thread's wait so that it enters the
// statement frame, and waits until both the program thread has parked (exit_ok bit 1) and the
// timer thread has finished (bit 2) before it ends the process.
#include "frame/frame_internal.h"
#include "libtq.h"
#include "platform/platform.h"

namespace {
[[noreturn]] void exit_sequence() {
    stop_program = 1;
    stop_program.notify_all();
    tqevent = 1;
    program_wake_signal();
    while (exit_ok.load() != 3) plat::sleep_ms(16);
    libtq_exit(exit_code.load());
}
} // namespace

// The emulated BIOS tick counter at 0040:006C: 18.2 ticks a second since local midnight, from the
// time of day as TIMER gives it to the millisecond. The time is read from the clock here: TIMER is
// a statement of the program thread, and its error check would read that thread's error state.
void update_bios_ticks() {
    const int64_t now_ms = plat::wall_clock_us() / 1000;
    const plat::local_time t = plat::to_local_time(now_ms / 1000);
    const int64_t day_ms = (t.hour * 3600 + t.minute * 60 + t.second) * 1000LL + now_ms % 1000;
    const double timer = static_cast<double>(day_ms) / 1000.0; // TIMER(0.001), in seconds
    const auto ms = static_cast<uint64_t>(timer * 1000.0);
    const auto ticks = static_cast<uint32_t>(static_cast<double>(ms % 86400000ull) * 0.0182);
    // The program reads the bytes with PEEK at any moment; each is stored whole.
    for (uint32_t i = 0; i < 3; i++)
        std::atomic_ref<uint8_t>(cmem[BIOS_TIMER_TICKS + i]).store(static_cast<uint8_t>(ticks >> (8 * i)));
}

void MAIN_LOOP(void *) {
    bool parity = false;
    for (;;) {
        housekeeping_rest(); // while the program waits on a still picture
        if (exit_value.load() && !exit_blocked.load()) exit_sequence();
        update_bios_ticks();
        housekeeping_pause(15);
        vertical_retrace_happened = 1;
        vertical_retrace_in_progress = 1;
        housekeeping_pause(1);
        if (close_program.load()) exit_sequence();
        parity = !parity;
        if (parity) {
            // Frames are composed on every second cycle, about thirty times a second.
            compose_for_cycle();
            frame.fetch_add(1);
        }
        vertical_retrace_in_progress = 0;
        if (!parity) keyboard_poll_lock_keys();
    }
}

// No timed events are installed in this runtime: the timer thread only waits for the end.
void TIMERTHREAD(void *) {
    stop_program.wait(0);
    exit_ok.fetch_or(2);
}

void libtq_exit(int32_t code) {
    libtq_log_info("Program exiting with code: %d\n", code);
    if (libtq_is_glut_up()) libtq_glut_exit_program(code);
    plat::exit_process(code);
}
