#include "fuzz_support.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>

namespace {

int abort_on_fatal_box(const char *message, const char *title, const char *buttons) {
    (void)buttons;
    fuzz_fail("a fatal error box: %s: %s", title ? title : "", message ? message : "");
}

float float_from_bits(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

} // namespace

void fuzz_prepare() {
    static bool prepared = false;
    if (prepared) return;
    prepared = true;
    char name[] = "fuzz";
    char *argv[] = {name, nullptr};
    // Start-up moves into the executable's folder; the fuzzer's corpus and artifact paths are
    // relative to where it was started.
    const std::filesystem::path started_in = std::filesystem::current_path();
    libtq_prepare(1, argv);
    std::filesystem::current_path(started_in);
    gui_alert_set_responder(abort_on_fatal_box);
}

void fuzz_fail(const char *format, ...) {
    std::fputs("fuzz finding: ", stderr);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
    std::abort();
}

uint32_t fuzz_settle_error(const char *statement) {
    const uint32_t n = new_error;
    if (n) {
        FUZZ_CHECK(std::strcmp(error_text(static_cast<int32_t>(n)), "Unprintable error") != 0,
                   "%s raised error %u, which the runtime has no message for", statement, n);
    }
    new_error = 0;
    tqevent = 0;
    r = 0;
    return n;
}

fuzz_args::fuzz_args(FuzzedDataProvider &in) : in_(in), trace_(std::getenv("FUZZ_TRACE") != nullptr) {}

void fuzz_args::note_value(double value) { std::fprintf(stderr, " %.9g", value); }

void fuzz_args::end_of_statement(const char *name, uint32_t error) {
    if (trace_) std::fprintf(stderr, "  -> %s, error %u\n", name ? name : "(skipped)", error);
}

int32_t fuzz_args::any_integer() {
    static const std::vector<int32_t> edges = {0,     1,     -1,  2,      7,         8,         15,      16,
                                               25,    40,    43,  50,     60,        80,        255,     256,
                                               319,   320,   479, 480,    639,       640,       32767,   32768,
                                               65535, 65536, -2,  -32768, INT32_MAX, INT32_MIN, 1 << 20, (1 << 20) + 1};
    switch (in_.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: return one_of(edges);
    case 1: return in_.ConsumeIntegralInRange<int32_t>(-4, 100);
    default: return in_.ConsumeIntegral<int32_t>();
    }
}

uint32_t fuzz_args::any_colour() {
    static const std::vector<uint32_t> edges = {
        0, 1, 3, 7, 15, 16, 63, 255, 256, 0x3F3F3F, 0x7F00FF00, 0x80FF0000, 0xFFFFFFFF, 0xFF000000, 0x00FFFFFF};
    return in_.ConsumeBool() ? one_of(edges) : in_.ConsumeIntegral<uint32_t>();
}

float fuzz_args::any_coordinate() {
    constexpr float inf = std::numeric_limits<float>::infinity();
    static const std::vector<float> edges = {0.0f,
                                             -0.0f,
                                             0.5f,
                                             -0.5f,
                                             1.5f,
                                             2.5f,
                                             319.5f,
                                             639.5f,
                                             1e9f,
                                             -1e9f,
                                             3e9f,
                                             -3e9f,
                                             1e30f,
                                             -1e30f,
                                             2147483520.0f,
                                             -2147483648.0f,
                                             std::numeric_limits<float>::max(),
                                             std::numeric_limits<float>::lowest(),
                                             std::numeric_limits<float>::denorm_min(),
                                             inf,
                                             -inf,
                                             std::numeric_limits<float>::quiet_NaN()};
    switch (in_.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: return one_of(edges);
    case 1: return static_cast<float>(in_.ConsumeIntegralInRange<int32_t>(-100, 700));
    case 2: return static_cast<float>(in_.ConsumeIntegralInRange<int32_t>(-2000, 2000)) / 8.0f;
    default: return float_from_bits(in_.ConsumeIntegral<uint32_t>());
    }
}

double fuzz_args::any_real() {
    switch (in_.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: return static_cast<double>(any_coordinate());
    case 1: return static_cast<double>(in_.ConsumeIntegralInRange<int32_t>(-700, 700)) / 100.0;
    case 2:
        return std::ldexp(static_cast<double>(in_.ConsumeIntegralInRange<int32_t>(-64, 64)),
                          in_.ConsumeIntegralInRange<int>(-1074, 1023));
    default: {
        const uint64_t bits = in_.ConsumeIntegral<uint64_t>();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    }
}

std::vector<uint8_t> fuzz_args::bytes(size_t most) {
    const size_t n = in_.ConsumeIntegralInRange<size_t>(0, most);
    return in_.ConsumeBytes<uint8_t>(n);
}
