// A program for the keyboard's window tests. It reports on standard error, one line per fact, and
// its first argument chooses what it does:
//   keys   - reports every INKEY$ result, every _KEYHIT record, _KEYDOWN of every pressed code
//            while it is reported, and the lock states whenever they change;
//   sleep  - SLEEP 1 again and again, reporting how long each lasted and what INKEY$ then held;
//   wake   - SLEEP (no time) again and again, reporting the monotonic clock when each returned;
//   locks  - turns Caps Lock and Num Lock on and off with the statements and reports the states;
//   rnd    - reports RND and RANDOMIZE results from the start of the run;
//   randomize - RANDOMIZE without a seed: reports the seed typed and the screen's first row.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "libtq.h"

namespace {

uint32_t line = 1;
void statement() { tq_statement_frame(line++); }

__attribute__((format(printf, 1, 2))) void report(const char *format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fflush(stderr);
}

std::string inkey_hex() {
    tqs *s = tqs_inkey();
    std::string out;
    char byte[4];
    for (int32_t i = 0; i < s->length; i++) {
        std::snprintf(byte, sizeof byte, i ? " %02X" : "%02X", s->data[i]);
        out += byte;
    }
    tqs_free(s);
    return out;
}

int32_t locks() { return (func__capslock() & 1) | (func__numlock() & 2) | (func__scrolllock() & 4); }

[[noreturn]] void keys() {
    report("ready\n");
    int32_t last_locks = -1;
    for (;;) {
        for (std::string s = inkey_hex(); !s.empty(); s = inkey_hex()) report("inkey %s\n", s.c_str());
        for (int32_t k = func__keyhit(); k; k = func__keyhit()) {
            report("keyhit %d\n", k);
            if (k > 0) report("keydown %d %d\n", k, func__keydown(k));
        }
        if (int32_t now = locks(); now != last_locks) {
            report("locks %d\n", now);
            last_locks = now;
        }
        libtq_sleep_ms(2);
        statement();
    }
}

[[noreturn]] void sleep_loop() {
    report("ready\n");
    for (;;) {
        int64_t start = GetTicks();
        sub_sleep(1, 1);
        statement();
        int64_t took = GetTicks() - start;
        std::string s = inkey_hex();
        report("slept %lld inkey %s\n", static_cast<long long>(took), s.c_str());
        while (!inkey_hex().empty()) {
        }
    }
}

[[noreturn]] void wake_loop() {
    report("ready\n");
    for (;;) {
        sub_sleep(0, 0);
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        statement();
        // The X server stamps events in milliseconds of the same monotonic clock.
        report("woke %.3f\n", static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6);
        while (!inkey_hex().empty()) {
        }
    }
}

void locks_sequence() {
    report("locks %d\n", locks());
    sub__capslock(1);
    report("capslock-on %d\n", func__capslock());
    sub__capslock(2);
    report("capslock-off %d\n", func__capslock());
    sub__numlock(0);
    report("numlock-toggled %d\n", func__numlock());
    sub__numlock(0);
    report("numlock-toggled %d\n", func__numlock());
    report("done\n");
}

void rnd_sequence() {
    float a = func_rnd(0, 0), b = func_rnd(0, 0), c = func_rnd(0, 0);
    report("rnd %.7g %.7g %.7g\n", static_cast<double>(a), static_cast<double>(b), static_cast<double>(c));
    sub_randomize(1, 3);
    a = func_rnd(0, 0);
    func_rnd(0, 0);
    sub_randomize(1, 3);
    b = func_rnd(0, 0);
    report("using %.7g %.7g seed %X\n", static_cast<double>(a), static_cast<double>(b), rnd_seed);
    report("done\n");
}

void randomize_prompt() {
    report("ready\n");
    sub_randomize(0, 0);
    std::string row;
    for (int32_t column = 0; column < write_page->width; column++)
        row += static_cast<char>(write_page->pixels[static_cast<size_t>(column) * 2]);
    row.erase(row.find_last_not_of(' ') + 1);
    report("seed %X row %s\n", rnd_seed, row.c_str());
}

[[noreturn]] void idle() {
    for (;;) {
        libtq_sleep_ms(5);
        statement();
    }
}

} // namespace

void TQMAIN(void *) {
    const char *mode = func_command_count > 1 ? func_command_array[1] : "keys";
    if (std::strcmp(mode, "sleep") == 0) sleep_loop();
    if (std::strcmp(mode, "wake") == 0) wake_loop();
    if (std::strcmp(mode, "locks") == 0) locks_sequence();
    if (std::strcmp(mode, "rnd") == 0) rnd_sequence();
    if (std::strcmp(mode, "randomize") == 0) randomize_prompt();
    if (std::strcmp(mode, "keys") == 0) keys();
    idle();
}
