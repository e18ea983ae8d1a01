// Runtime errors and the statement frame's entry into the runtime.
//
// A runtime operation that fails does not return an error to the compiled code: it records the
// error number with error() and returns a harmless value. Every compiled statement ends with the
// statement frame, one test of `tqevent`; when it is set the frame calls evnt(), which parks the
// program thread while it is paused or ending, reports a pending error with its source line, or
// dispatches trapped events. The first error of a statement wins; later ones are ignored until
// the error has been reported.
#include <cstdarg>
#include <cstdio>
#include <new>
#include <string>

#include "frame/frame_internal.h"
#include "libtq.h"
#include "platform/platform.h"

std::atomic<int32_t> tqevent{0};
uint32_t new_error = 0;
int32_t r = 0;
uint32_t error_err = 0;
int32_t error_goto_line = 0;
int32_t error_handling = 0;
int32_t error_retry = 0;

namespace {

uint32_t error_line = 0;
uint32_t error_include_line = 0;
const char *error_include_file = nullptr;
std::string program_name;
bool program_name_known = false;

// The fatal numbers end the process at once after their box. Returns the box title, or null when
// `n` is not fatal.
const char *fatal_title(int32_t n, char *buffer, size_t size) {
    switch (n) {
    case 11:
    case 256:
    case 259:
    case 260:
    case 261:
    case 270:
    case 271: return "Critical Error";
    case 257: return "Critical Error #1";
    default: break;
    }
    if (n >= 502 && n <= 518) {
        std::snprintf(buffer, size, "Critical Error #%d", n - 500);
        return buffer;
    }
    return nullptr;
}

const char *fatal_message(int32_t n) {
    switch (n) {
    case 11: return "Division by zero";
    case 256: return "Out of stack space";
    case 259: return "Cannot find dynamic library file";
    case 260:
    case 261: return "Sub/Function does not exist in dynamic library";
    case 270: return "_GL command called outside of SUB _GL's scope";
    case 271: return "END/SYSTEM called within SUB _GL's scope";
    default: return "Out of memory";
    }
}

// The file name part of the program's own path, as it was started.
const std::string &cached_program_name() {
    if (!program_name_known) {
        std::string path =
            (func_command_count > 0 && func_command_array && func_command_array[0]) ? func_command_array[0] : "";
        size_t cut = path.find_last_of("\\/");
        program_name = cut == std::string::npos ? path : path.substr(cut + 1);
        program_name_known = true;
    }
    return program_name;
}

__attribute__((format(printf, 1, 2))) std::string format_text(const char *format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string out(static_cast<size_t>(n < 0 ? 0 : n), '\0');
    std::vsnprintf(out.data(), out.size() + 1, format, again);
    va_end(again);
    return out;
}

} // namespace

void error(int32_t n) {
    libtq_log(LOGLEVEL_ERROR, LOGSCOPE_LIBTQ, __FILE__, __func__, __LINE__, "ZORV Error %d reported: %s", n,
              error_text(n));
    char title_buffer[32];
    if (const char *title = fatal_title(n, title_buffer, sizeof title_buffer)) {
        gui_alert(fatal_message(n), title, "ok");
        plat::exit_process(0);
    }
    if (new_error) return;
    new_error = n > 0 ? static_cast<uint32_t>(n) : 5u;
    tqevent = 1;
}

void error_set_line(uint32_t line, uint32_t include_line, const char *include_file) {
    error_line = line;
    error_include_line = include_line;
    error_include_file = include_file;
}

void clear_error() { new_error = 0; }
uint32_t get_error_err() { return error_err; }
double get_error_erl() { return error_line; }
uint32_t func__errorline() { return error_line; }
uint32_t func__inclerrorline() { return error_include_line; }
const char *error_include_file_name() { return error_include_file; }

void fix_error() {
    uint32_t n = new_error;
    bool critical = n >= 300 && n <= 315;
    std::string message, title;
    try {
        uint32_t line = error_include_line ? error_include_line : error_line;
        const char *where = error_include_line ? (error_include_file ? error_include_file : "") : "main module";
        message = format_text("Line: %u (in %s)\n%s%s", line, where, error_text(static_cast<int32_t>(n)),
                              critical ? "" : "\nContinue?");
        title = format_text("%s%u - %s", critical ? "Critical Error #" : "Unhandled Error #", n,
                            cached_program_name().c_str());
    } catch (const std::bad_alloc &) {
        plat::exit_process(0);
    }
    if (critical) {
        gui_alert(message.c_str(), title.c_str(), "ok");
        plat::exit_process(0);
    }
    int answer = gui_alert(message.c_str(), title.c_str(), "yesno");
    if (answer == 0 || answer == 2) {
        close_program = 1;
        end();
    }
    new_error = 0;
}

void events() {
    // The trapped-event tables (key, timer and game-device traps) are walked here. This runtime
    // installs no traps, so there is nothing to dispatch.
}

void evnt(uint32_t line, uint32_t include_line, const char *include_file) {
    tqevent = 0;
    r = 0;
    while (suspend_program.load() || stop_program.load()) {
        if (stop_program.load()) end();
        plat::sleep_ms(10);
    }
    if (new_error) {
        error_set_line(line, include_line, include_file);
        fix_error();
    } else {
        events();
    }
}

void division_by_zero_handler(int) { error(11); }

void libtq_set_fpu_control_word(uint16_t word) { plat::set_fpu_control_word(word); }
void libtq_install_division_handler(void (*handler)(int)) { plat::install_division_handler(handler); }
