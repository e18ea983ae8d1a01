// Diagnostic logging. Any thread may log; settings are fixed at start-up.
#pragma once

#include "libtq/common.h"

enum loglevel : int32_t { LOGLEVEL_TRACE = 0, LOGLEVEL_INFO = 1, LOGLEVEL_WARN = 2, LOGLEVEL_ERROR = 3 };
enum logscope : int32_t {
    LOGSCOPE_RUNTIME = 0,
    LOGSCOPE_ZORV = 1,
    LOGSCOPE_LIBTQ = 2,
    LOGSCOPE_LIBTQ_AUDIO = 3,
    LOGSCOPE_LIBTQ_IMAGE = 4,
};

void libtq_log_init();
void libtq_log(int32_t level, int32_t scope, const char *file, const char *function, int32_t line, const char *format,
               ...) __attribute__((format(printf, 6, 7)));
void libtq_log_zorv(int32_t level, int32_t scope, const char *file, const char *function, int32_t line,
                    const char *format, ...) __attribute__((format(printf, 6, 7)));
int32_t func__logminlevel();

// Logs from inside the runtime library with the caller's position.
#define libtq_log_info(...) libtq_log(LOGLEVEL_INFO, LOGSCOPE_LIBTQ, __FILE__, __func__, __LINE__, __VA_ARGS__)
#define libtq_log_error(...) libtq_log(LOGLEVEL_ERROR, LOGSCOPE_LIBTQ, __FILE__, __func__, __LINE__, __VA_ARGS__)
