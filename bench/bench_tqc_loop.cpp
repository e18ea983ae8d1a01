// A numeric loop compiled by tqc (bench_tqc_loop.bas: single-precision arithmetic and a LONG
// checksum with MOD, a million times, with every statement's frame and the integer overflow
// checks) against the same arithmetic written by hand in C++. Both must print the same numbers;
// the ratio of their times is the cost of the compiled form.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "libtq.h"
#include "libtq/compiled.h"

namespace bench_loop {
void TQMAIN(void *);
}

namespace {

struct program_ended {};
[[noreturn]] void end_hook() { throw program_ended{}; }

// The first row of the visible text page, right-trimmed.
std::string first_row() {
    const img_struct *page = display_page.load();
    std::string text;
    for (int c = 0; page->text && c < page->width; c++) text += static_cast<char>(page->pixels[c * 2]);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

struct loop_result {
    int32_t x_scaled, checksum;
};

loop_result by_hand() {
    float x = 1, v = 0;
    int32_t s = 0;
    for (int32_t i = 1; i <= 1000000; i++) {
        const float a = -0.25f * x - 0.01f * v;
        v = v + a * 0.01f;
        x = x + v * 0.01f;
        s = (s + i * 3) % 65521;
    }
    return {static_cast<int32_t>(std::nearbyint(x * 100000.0f)), s};
}

std::string printed(loop_result r) {
    auto number = [](int32_t n) { return (n < 0 ? "" : " ") + std::to_string(n) + " "; };
    std::string line = number(r.x_scaled) + number(r.checksum);
    while (line.back() == ' ') line.pop_back();
    return line;
}

void BM_LoopByHand(benchmark::State &state) {
    for (auto _ : state) {
        loop_result r = by_hand();
        benchmark::DoNotOptimize(r);
    }
}

void BM_LoopCompiledByTqc(benchmark::State &state) {
    tqc::hooks.end = end_hook;
    for (auto _ : state) {
        try {
            bench_loop::TQMAIN(nullptr);
        } catch (const program_ended &) {
        }
    }
    const std::string want = printed(by_hand()), got = first_row();
    if (got != want) state.SkipWithError(("the compiled loop printed [" + got + "], by hand [" + want + "]").c_str());
}

BENCHMARK(BM_LoopByHand)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoopCompiledByTqc)->Unit(benchmark::kMillisecond);

} // namespace
