// The platform layer: every call into the operating system goes through these functions, so
// that a port to another system replaces src/platform/<system>/ and nothing above it.
// The portable runtime includes this header and no operating-system header.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// ---- clock and sleeping ----
// The monotonic counter and its frequency (ticks per second).
int64_t counter();
int64_t counter_frequency();
// Microseconds since the epoch from the wall clock.
int64_t wall_clock_us();
// Local time of a moment given in whole seconds since the epoch (re-entrant).
struct local_time {
    int hour, minute, second;
};
local_time to_local_time(int64_t seconds_since_epoch);
void sleep_ms(int64_t ms);
void sleep_us(int64_t us);

// ---- process ----
// Ends the process at once with the given status, flushing the standard streams first.
[[noreturn]] void exit_process(int status);
// The path of the running executable, or an empty text when it cannot be read.
std::string executable_path();
// Changes the working directory; false when it could not be changed.
bool change_directory(const std::string &path);
// Installs `handler` for the integer-division signal.
void install_division_handler(void (*handler)(int));
// Sets the x87 control word (precision, rounding, exception masks) of the calling thread.
void set_fpu_control_word(uint16_t word);

// ---- message boxes ----
// A modal box with `title`, `message`, the button set "ok" or "yesno" and an icon ("error",
// "info", "warning"). Returns 1 for ok or yes, 0 for no. Without a desktop, the text goes to
// standard error and a yes/no answer is read from the terminal if there is one, else the first
// button is taken. While a desktop box is up, `give_up` (when given) is asked every few
// milliseconds; once it says yes the box is taken down and answers as a box closed without a
// button does: 0 for yes/no, 1 for ok.
int message_box(const char *title, const char *message, const char *buttons, const char *icon,
                bool (*give_up)() = nullptr);

// ---- the window's X connection ----
// Empty when the display can be reached; otherwise what is wrong, in words for the user ("DISPLAY
// is not set", "cannot connect to display :5"). Asked before the window library is started,
// which would otherwise end the process without saying why. From the first call on, losing the
// display on any connection ends the process with one line on standard error and status 1; a
// display that could be reached is watched through a connection kept open for it.
std::string display_problem();
// The display's name as the environment gives it, for messages.
std::string display_name();
// After the window exists (its drawing context current on the calling thread): every close request
// the window manager sends to the window is taken off the window library's connection and
// reported through `on_close` instead, so the window stays until the process exits. Every time a
// part of the window is uncovered `on_expose` is told, and every time it is moved or resized
// `on_configure`.
void intercept_window_events(void (*on_close)(), void (*on_expose)(), void (*on_configure)());
// The native handle of the window of the current drawing context.
void *current_native_window();
// Waits up to `ms` milliseconds for input on the window's connection or for wake_window_thread.
// Returns at once when events are already queued.
void wait_for_window_events(int64_t ms);
// Ends the window thread's wait in wait_for_window_events at once, or its next one if it is not
// waiting. Any thread may call it.
void wake_window_thread();
// Lets the window manager resize the window, or fixes its size at `width` x `height`.
void set_window_size_hints(bool resizable, int width, int height);

// ---- the call stack and the symbols of loaded modules ----
// The return addresses of the caller's callers, innermost first: at most `max` of them, starting
// with the address in the caller itself. Returns how many were written.
int stack_return_addresses(void **addresses, int max);
// The loaded module (the executable or a shared library) whose mapped segments contain
// `address`: its file path, and the amount by which the addresses of its symbols are moved in
// memory. False when no module contains the address.
bool module_containing(const void *address, std::string &path, uintptr_t &load_bias);

// The function symbols of one module, as they lie in memory.
struct symbol_table {
    struct function {
        uintptr_t address;
        uint64_t size; // 0 when the file does not say
        uint32_t name; // offset of the raw name in `names`
    };
    std::string names;               // every symbol's raw name, each ended by a zero byte
    std::vector<function> functions; // sorted by address
    // The raw name of the function with the greatest address not above `address`, unless that
    // function's known size ends before `address`; null when there is none.
    const char *name_at(uintptr_t address) const;
};
// Reads the symbol table of the executable file at `path` (the full table, or the dynamic one of a
// stripped file or shared library): function symbols of defined sections, each moved by
// `load_bias`. Returns an empty text on success, else what was wrong with the file ("failed to open
// file", "file is not an ELF file", "no ELF symbols", ...), with `table` left empty.
std::string read_symbol_table(const std::string &path, uintptr_t load_bias, symbol_table &table);
// A raw symbol name as a reader of the source would write it (retried without one leading
// underscore), or the raw name unchanged when it is not a mangled name.
std::string demangle(const char *raw_name);

} // namespace plat
