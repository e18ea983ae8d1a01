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
// Shared by every thread without a lock; each word is atomic, read and written whole. Waiting sides
// poll them with short sleeps.

// Ask for an orderly end: END and a "no" to an error box (program thread), Alt+F4 and Ctrl+Break
// (window thread) set it; the housekeeping thread watches it.
extern std::atomic<uint8_t> close_program;
// Bit 1: the close button, or Alt+F4 after _EXIT; bit 2: Ctrl+Break after _EXIT. The window thread
// sets bits; _EXIT (program thread) reads and clears them; the housekeeping thread watches it.
extern std::atomic<int32_t> exit_value;
// 1 once the program has called _EXIT, 0 again at END (program thread); read by the others.
extern std::atomic<int32_t> exit_blocked;
// Set by the housekeeping thread when the end has begun; every thread watches it.
extern std::atomic<uint8_t> stop_program;
// The Pause key (window thread) holds the program thread at its next statement boundary.
extern std::atomic<uint8_t> suspend_program;
// Bit 1: the program thread has parked (it sets it); bit 2: the timer thread is done (it sets it).
// The housekeeping thread waits for both.
extern std::atomic<int32_t> exit_ok;
// The status the process ends with; read by the housekeeping thread. 0 in this runtime.
extern std::atomic<int32_t> exit_code;
// 1 while frames are composed automatically, 0 in manual display mode, -1 while _DISPLAY waits for
// the housekeeping thread to confirm the switch. The program thread writes 1 and -1, the composer
// turns -1 into 0.
extern std::atomic<int32_t> autodisplay;
// `frame` counts the housekeeping thread's display steps (it alone writes it); the composer takes
// the text blink and cursor phases from it.
extern std::atomic<int32_t> frame;
// The emulated vertical retrace, raised and lowered by the housekeeping thread each cycle. Nothing
// in this runtime reads them.
extern std::atomic<int32_t> vertical_retrace_in_progress;
extern std::atomic<int32_t> vertical_retrace_happened;
// Set by the program thread when it parks, so that the window thread calls no drawing routine of
// the program any more. Nothing in this runtime reads it.
extern std::atomic<int32_t> dont_call_sub_gl;

// END, and the end of the main module: "Press any key to continue" on the bottom text row, a key,
// then the orderly end. Never returns.
[[noreturn]] void sub_end();
// The program thread's final stop: reports that it has parked, then sleeps for ever.
[[noreturn]] void end();
int32_t stop_program_state();

// ---- statement frame and runtime errors --------------------------------------------------------------
// The error state belongs to the program thread: it alone reads and writes it. Other threads raise
// only the fatal errors, which end the process at once without touching it; they set `tqevent`.

extern std::atomic<int32_t> tqevent; // set to 1 by any thread that needs the program thread to call evnt
extern uint32_t new_error;           // pending runtime error, 0 when none
// `r` is the retry flag: compiled code runs the statement again when evnt leaves it non-zero. evnt
// clears it; nothing here sets it, since no error handler can ask for a retry.
extern int32_t r;
extern uint32_t error_err; // the ERR value
// The error-handler state of programs that install handlers; no program here does, so all three
// stay 0.
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
//
// The flag is read with one plain aligned load (atomic on this processor) that the compiler may
// not drop or move out of a loop but that orders nothing else: g++ treats every std::atomic load,
// even a relaxed one, as a barrier to the memory around it, so a tight numeric loop would store and
// reload all its variables at every statement.
inline int32_t tq_event_pending() {
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__SANITIZE_THREAD__)
    int32_t value;
    asm volatile("movl %1, %0" : "=r"(value) : "m"(tqevent));
    return value;
#else
    return tqevent.load(std::memory_order_relaxed);
#endif
}

inline bool tq_statement_frame(uint32_t line) {
    if (__builtin_expect(tq_event_pending() != 0, 0)) {
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

// Lifetime record attached to arrays and memory blocks. The pool of records and its two globals
// belong to the program thread; there is no lock.
struct mem_lock {
    uint64_t id;  // unique for the life of the process; 0 once released
    int32_t type; // 1: owns `offset`, released with the lock; 3: a module's scope; 4: an array
    void *offset; // the owned block for type 1
};
extern mem_lock *mem_lock_tmp; // the record new_mem_lock made last
extern uint64_t mem_lock_id;   // the id last handed out
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
