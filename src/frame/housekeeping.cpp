// The housekeeping and timer threads, and the exit sequence.
//
// The housekeeping thread cycles every 16 ms. When the program asks to end (close_program, or
// the close button's bit of exit_value while the program has not taken over ending itself), it
// sets stop_program, raises tqevent so that the program thread enters the statement frame, and
// waits until both the program thread has parked (exit_ok bit 1) and the timer thread has
// finished (bit 2) before it ends the process.
#include "libtq.h"
#include "platform/platform.h"

namespace {
[[noreturn]] void exit_sequence() {
    stop_program = 1;
    tqevent = 1;
    while (exit_ok.load() != 3) plat::sleep_ms(16);
    libtq_exit(exit_code.load());
}
} // namespace

// The emulated BIOS tick counter at 0040:006C: milliseconds since midnight times 0.0182.
static void update_bios_ticks() {
    double ms = func_timer(0.001, 1) * 1000.0;
    uint64_t ticks = static_cast<uint64_t>(static_cast<double>(static_cast<uint64_t>(ms) % 86400000ull) * 0.0182);
    cmem[BIOS_TIMER_TICKS] = static_cast<uint8_t>(ticks);
    cmem[BIOS_TIMER_TICKS + 1] = static_cast<uint8_t>(ticks >> 8);
    cmem[BIOS_TIMER_TICKS + 2] = static_cast<uint8_t>(ticks >> 16);
}

void MAIN_LOOP(void *) {
    bool parity = false;
    for (;;) {
        if (exit_value.load() && !exit_blocked.load()) exit_sequence();
        update_bios_ticks();
        plat::sleep_ms(15);
        vertical_retrace_happened = 1;
        vertical_retrace_in_progress = 1;
        plat::sleep_ms(1);
        if (close_program.load()) exit_sequence();
        parity = !parity;
        if (parity) {
            // Frames are composed on every second cycle, about thirty times a second.
            if (autodisplay.load()) display();
            frame.fetch_add(1);
        }
        vertical_retrace_in_progress = 0;
        if (!parity) keyboard_poll_lock_keys();
    }
}

void TIMERTHREAD(void *) {
    while (!stop_program.load()) plat::sleep_ms(1);
    exit_ok.fetch_or(2);
}

void libtq_exit(int32_t code) {
    libtq_log_info("Program exiting with code: %d\n", code);
    if (libtq_is_glut_up()) libtq_glut_exit_program(code);
    plat::exit_process(code);
}
