// The runtime frame: threads, the program-end words, the statement frame, runtime errors,
// arrays and their lifetime records, the clock, and the start-up entry for tests.
#pragma once

#include "libtq/common.h"

// ---- start-up ----------------------------------------------------------------------------------

// Prepares the emulated machine as the process entry does before it opens the window and starts
// its threads. Afterwards statements run on the calling thread, with no window and no other
// runtime thread: this is how tests and benchmarks drive the runtime. Call it once per process.
void libtq_prepare(int argc, char **argv);

// The compiled main module, provided by the program.
void TQMAIN(void *argument);

// The command line (arguments after the program name, joined by single spaces) and the
// arguments as the process received them. Written once at start-up, read-only afterwards.
void command_initialize(int argc, char **argv);
extern const char *command_line_text;
extern int func_command_count;
extern char **func_command_array;

// ---- threads -------------------------------------------------------------------------------------

struct libtq_thread;
struct libtq_mutex;
struct libtq_condvar;

libtq_thread *libtq_thread_new();
void libtq_thread_start(libtq_thread *thread, void (*function)(void *), void *argument);
void libtq_thread_join(libtq_thread *thread);
void libtq_thread_free(libtq_thread *thread);

libtq_mutex *libtq_mutex_new();
void libtq_mutex_free(libtq_mutex *m);
void libtq_mutex_lock(libtq_mutex *m);
void libtq_mutex_unlock(libtq_mutex *m);

libtq_condvar *libtq_condvar_new();
void libtq_condvar_free(libtq_condvar *c);
void libtq_condvar_wait(libtq_condvar *c, libtq_mutex *m);
void libtq_condvar_signal(libtq_condvar *c);
void libtq_condvar_broadcast(libtq_condvar *c);

// A one-shot signal: one side finishes it once, any number of sides wait for it.
struct completion {
    int32_t done; // 0 until finished; read and written under `lock`
    libtq_mutex *lock;
    libtq_condvar *cond;
};
void completion_init(completion *c);
void completion_wait(completion *c);
void completion_finish(completion *c);
void completion_clear(completion *c);

// Sleeps the calling thread for the given number of milliseconds (0 yields).
void libtq_sleep_ms(int64_t ms);

// ---- program end -----------------------------------------------------------------------------------
// Shared by every thread without a lock; each word is read and written whole (atomically).
// Waiting sides poll them with short sleeps.

extern std::atomic<uint8_t> close_program;   // ask for an orderly end (END, Alt+F4, "no" to an error box)
extern std::atomic<int32_t> exit_value;      // 1: close button / Alt+F4 while blocked; 2: Ctrl+Break while blocked
extern std::atomic<int32_t> exit_blocked;    // 1 once the program has called _EXIT
extern std::atomic<uint8_t> stop_program;    // set by the housekeeping thread when the end has begun
extern std::atomic<uint8_t> suspend_program; // the program thread is paused at a statement boundary
extern std::atomic<int32_t> exit_ok;         // bit 1: program thread parked; bit 2: timer thread done
extern std::atomic<int32_t> exit_code;       // status passed to libtq_exit
extern std::atomic<int32_t> autodisplay;     // 1 while frames are composed automatically
extern std::atomic<int32_t> frame;           // count of housekeeping display steps
extern std::atomic<int32_t> vertical_retrace_in_progress;
extern std::atomic<int32_t> vertical_retrace_happened;
extern std::atomic<int32_t> dont_call_sub_gl;

// END, and the end of the main module: "Press any key to continue" on the bottom text row, a key,
// then the orderly end. Never returns.
[[noreturn]] void sub_end();
// The program thread's final stop: reports that it has parked, then sleeps for ever.
[[noreturn]] void end();
int32_t stop_program_state();

// ---- statement frame and runtime errors --------------------------------------------------------------
// The error state belongs to the program thread; only `tqevent` is also written by other threads.

extern std::atomic<int32_t> tqevent; // set to 1 when the program thread must call evnt
extern uint32_t new_error;           // pending runtime error, 0 when none
extern int32_t r;                    // retry flag, read right after evnt
extern uint32_t error_err;
extern int32_t error_goto_line;
extern int32_t error_handling;
extern int32_t error_retry;

void error(int32_t n);
void evnt(uint32_t line, uint32_t include_line, const char *include_file);
void events();
void error_set_line(uint32_t line, uint32_t include_line, const char *include_file);
void fix_error();
void clear_error();
uint32_t get_error_err();
double get_error_erl();
uint32_t func__errorline();
uint32_t func__inclerrorline();
void division_by_zero_handler(int signal);

// What a compiled main module does on entry: set the x87 control word (0x037F: 64-bit
// significands, round to nearest, exceptions masked) and install the division handler.
void libtq_set_fpu_control_word(uint16_t word);
void libtq_install_division_handler(void (*handler)(int));

// The text of a runtime error number ("Unprintable error" for numbers without one).
const char *error_text(int32_t n);

// The statement frame that compiled code runs after every statement of source line `line`.
// It costs one test of `tqevent` when nothing is pending. It returns true when the statement
// must be executed again from its start.
inline bool tq_statement_frame(uint32_t line) {
    if (__builtin_expect(tqevent.load(std::memory_order_relaxed) != 0, 0)) {
        evnt(line, 0, nullptr);
        return r != 0;
    }
    return false;
}

// ---- message boxes -----------------------------------------------------------------------------

// Shows a modal box with the error icon and the first button as the default. `buttons` is "ok" or
// "yesno". Returns 1 for ok or yes and 0 for no.
int gui_alert(const char *message, const char *title, const char *buttons);

// Tests answer boxes through this seam: while a responder is set, it is called instead of
// showing a box, and its answer is returned.
using gui_alert_responder_fn = int (*)(const char *message, const char *title, const char *buttons);
void gui_alert_set_responder(gui_alert_responder_fn responder);

// ---- arrays and their lifetime records ------------------------------------------------------------

// Lifetime record attached to arrays and memory blocks.
struct mem_lock {
    uint64_t id;  // unique for the life of the process; 0 once released
    int32_t type; // 1: owns `offset`, released with the lock; 3: a module's scope; 4: an array
    void *offset; // the owned block for type 1
};
extern mem_lock *mem_lock_tmp; // the record new_mem_lock made last
extern uint64_t mem_lock_id;
mem_lock *new_mem_lock();
void free_mem_lock(mem_lock *lock);

// Array descriptor. Dimension slots are stored last dimension first; element storage is
// contiguous and `data` points at the element at the lower bound.
constexpr int32_t ARRAY_FLAG_ALLOCATED = 1;
constexpr int32_t ARRAY_FLAG_STATIC = 2;
struct array_dimension {
    int32_t lbound;     // lower bound
    int32_t count;      // number of elements
    int32_t multiplier; // index multiplier (1 for the last slot)
    int32_t unused;
};
template <int N> struct array_descriptor {
    void *data;
    int32_t unused1;
    int32_t flags;
    int32_t unused3;
    array_dimension dim[N];
    mem_lock *lock;
};

// Returns `index` when it is below `count` compared as unsigned; otherwise raises error 9 and
// returns 0.
inline ptrszint array_check(uptrszint index, uptrszint count) {
    if (static_cast<uint32_t>(index) < static_cast<uint32_t>(count)) return static_cast<ptrszint>(index);
    error(9);
    return 0;
}

// ---- clock ------------------------------------------------------------------------------------------

// Fixes the zero point of the millisecond clock. Called first thing at start-up.
void clock_init();
// Milliseconds since clock_init, from the monotonic counter, rounded to the nearest millisecond.
// Any thread may call it.
int64_t GetTicks();

// ---- the runtime's threads ----------------------------------------------------------------------

// The housekeeping thread: watches for the end of the program and performs the final exit.
void MAIN_LOOP(void *argument);
// The timer thread: marks timed events as due until the program stops.
void TIMERTHREAD(void *argument);
// Ends the process with `code`.
[[noreturn]] void libtq_exit(int32_t code);
