// Diagnostic logging. Until handlers can be configured, logging stays disabled: every event is
// dropped after one test.
#include "libtq.h"

namespace {
bool logging_enabled = false;
}

void libtq_log_init() { logging_enabled = false; }

void libtq_log(int32_t, int32_t, const char *, const char *, int32_t, const char *, ...) {
    if (!logging_enabled) return;
}

void libtq_log_zorv(int32_t, int32_t, const char *, const char *, int32_t, const char *, ...) {
    if (!logging_enabled) return;
}

int32_t func__logminlevel() { return 5; }
