// The words through which the threads agree on the end of the program, and the program
// thread's final stop.
#include "libtq.h"
#include "platform/platform.h"

std::atomic<uint8_t> close_program{0};
std::atomic<int32_t> exit_value{0};
std::atomic<int32_t> exit_blocked{0};
std::atomic<uint8_t> stop_program{0};
std::atomic<uint8_t> suspend_program{0};
std::atomic<int32_t> exit_ok{0};
std::atomic<int32_t> exit_code{0};
std::atomic<int32_t> autodisplay{1};
std::atomic<int32_t> frame{0};
std::atomic<int32_t> vertical_retrace_in_progress{0};
std::atomic<int32_t> vertical_retrace_happened{0};
std::atomic<int32_t> dont_call_sub_gl{0};

// The program thread parks here once the program stops. Bit 1 of exit_ok tells the
// housekeeping thread that the program thread will touch nothing any more; the process then
// ends around it.
void end() {
    dont_call_sub_gl = 1;
    exit_ok.fetch_or(1);
    while (!stop_program.load()) plat::sleep_ms(16);
    for (;;) plat::sleep_ms(16);
}

int32_t stop_program_state() { return stop_program.load(); }
