// Diagnostic logging. Any thread may log; the settings are read from the environment once, at
// start-up, before the runtime's other threads exist, and only read afterwards.
#pragma once

#include <string>

#include "libtq/common.h"

enum loglevel : int32_t { LOGLEVEL_TRACE = 0, LOGLEVEL_INFO = 1, LOGLEVEL_WARN = 2, LOGLEVEL_ERROR = 3 };
enum logscope : int32_t {
    LOGSCOPE_RUNTIME = 0,
    LOGSCOPE_ZORV = 1,
    LOGSCOPE_LIBTQ = 2,
    LOGSCOPE_LIBTQ_AUDIO = 3,
    LOGSCOPE_LIBTQ_IMAGE = 4,
};

// Reads ZORVEX_LOG_HANDLERS, ZORVEX_LOG_SCOPES, ZORVEX_LOG_LEVEL and ZORVEX_LOG_FILE_PATH and
// sets up the handlers they ask for (replacing any set up before).
void libtq_log_init();
// Logs one event with a printf-style message. An ERROR entry carries a trace of every frame.
void libtq_log(int32_t level, int32_t scope, const char *file, const char *function, int32_t line, const char *format,
               ...) __attribute__((format(printf, 6, 7)));
// The same, but the trace of an ERROR entry keeps only the compiled program's own frames.
void libtq_log_zorv(int32_t level, int32_t scope, const char *file, const char *function, int32_t line,
                    const char *format, ...) __attribute__((format(printf, 6, 7)));
// Logs the text of a string as the message.
void libtq_log_tqs(int32_t level, int32_t scope, const char *file, const char *function, int32_t line, const tqs *text);
// The minimum level plus 1 while logging is on, else 5.
int32_t func__logminlevel();
const char *logLevelName(int32_t level);
const char *logScopeName(int32_t scope);

// The stack trace of the calling thread, one line per frame ("#0  [0x...] in name"), the logging
// frames left out. With `program_only`, only the compiled program's own frames.
std::string libtq_log_get_stacktrace(bool program_only);
// The name of the function that holds `address`; the module's path when its symbols cannot be
// read or none lies at or below the address; empty when no module holds it.
std::string libtq_log_resolve_symbol(const void *address);
// A compiled program's function name in readable form ("Main ZORV code", "NAME (ZORV)"). False,
// with `readable` unchanged, when `name` is not one of the compiled program's functions.
bool libtq_log_resolve_zorv_symbol(const char *name, std::string &readable);

// Logs from inside the runtime library with the caller's position.
#define libtq_log_trace(...) libtq_log(LOGLEVEL_TRACE, LOGSCOPE_LIBTQ, __FILE__, __func__, __LINE__, __VA_ARGS__)
#define libtq_log_info(...) libtq_log(LOGLEVEL_INFO, LOGSCOPE_LIBTQ, __FILE__, __func__, __LINE__, __VA_ARGS__)
#define libtq_log_warn(...) libtq_log(LOGLEVEL_WARN, LOGSCOPE_LIBTQ, __FILE__, __func__, __LINE__, __VA_ARGS__)
#define libtq_log_error(...) libtq_log(LOGLEVEL_ERROR, LOGSCOPE_LIBTQ, __FILE__, __func__, __LINE__, __VA_ARGS__)
