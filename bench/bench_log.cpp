// Cost of the diagnostic log: a call while logging is off against a call of an empty function
// with the same arguments, and an ERROR entry with its stack trace once the symbol tables of the
// modules on the stack have been read.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "frame/logging_internal.h"
#include "libtq.h"

namespace {

__attribute__((noinline)) void empty_log(int32_t level, int32_t scope, const char *file, const char *function,
                                         int32_t line, const char *format, ...) {
    asm volatile("" : : "r"(level), "r"(scope), "r"(file), "r"(function), "r"(line), "r"(format) : "memory");
}

void BM_EmptyFunctionCall(benchmark::State &state) {
    for (auto _ : state) empty_log(LOGLEVEL_INFO, LOGSCOPE_LIBTQ, __FILE__, __func__, __LINE__, "frame %d", 1);
}
BENCHMARK(BM_EmptyFunctionCall);

void BM_DisabledLogCall(benchmark::State &state) {
    unsetenv("ZORVEX_LOG_HANDLERS");
    libtq_log_init();
    for (auto _ : state) libtq_log(LOGLEVEL_INFO, LOGSCOPE_LIBTQ, __FILE__, __func__, __LINE__, "frame %d", 1);
}
BENCHMARK(BM_DisabledLogCall);

// Written to /dev/null, so that only the log's own work is measured.
void BM_ErrorEntryWithTrace(benchmark::State &state) {
    setenv("ZORVEX_LOG_HANDLERS", "file", 1);
    setenv("ZORVEX_LOG_FILE_PATH", "/dev/null", 1);
    libtq_log_init();
    libtq_log(LOGLEVEL_ERROR, LOGSCOPE_LIBTQ, __FILE__, __func__, __LINE__, "first trace reads the symbols");
    const int read_before = libtq_log_symbol_tables_read();
    for (auto _ : state) libtq_log(LOGLEVEL_ERROR, LOGSCOPE_LIBTQ, __FILE__, __func__, __LINE__, "error %d", 9);
    // Symbol tables read during the timed loop: none.
    state.counters["tables_read"] = libtq_log_symbol_tables_read() - read_before;
    unsetenv("ZORVEX_LOG_HANDLERS");
    libtq_log_init();
}
BENCHMARK(BM_ErrorEntryWithTrace);

} // namespace
