// SLEEP's timing.
//
// Wake-up: how long after a key press SLEEP returns. Another thread presses Shift through keydown,
// as the window thread does, a few milliseconds into the wait (so that the press lands inside a
// wait step), and the time from the press to SLEEP's return is measured. For comparison the same
// is measured for a wait that only looks at sleep_break between plain 9 ms sleeps.
//
// Spread: SLEEP 1 with no key, 100 times: how far each lasts from 1000 ms.
//
// Each benchmark reports its time per iteration as the measured latency or duration, and the
// distribution as counters: median, 95th percentile, maximum, and the share within 2 ms.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <semaphore>
#include <thread>
#include <vector>

#include "input/key_codes.h"
#include "libtq.h"

namespace {

using clock_type = std::chrono::steady_clock;

double ms_between(clock_type::time_point a, clock_type::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

void report_distribution(benchmark::State &state, std::vector<double> values, double target, double tolerance) {
    if (values.empty()) return;
    std::sort(values.begin(), values.end());
    size_t within = 0;
    for (double v : values) within += v >= target - tolerance && v <= target + tolerance;
    state.counters["median_ms"] = values[values.size() / 2];
    state.counters["p95_ms"] = values[std::min(values.size() - 1, values.size() * 95 / 100)];
    state.counters["max_ms"] = values.back();
    state.counters["min_ms"] = values.front();
    state.counters["within_2ms_pct"] = 100.0 * static_cast<double>(within) / static_cast<double>(values.size());
}

// A thread that presses Shift `delay_us` after each release of `go`, and notes when.
struct presser {
    std::binary_semaphore go{0};
    std::atomic<bool> stop{false};
    std::atomic<int64_t> delay_us{3000};
    clock_type::time_point pressed_at;
    std::atomic<bool> pressed{false};
    std::thread thread{[this] {
        for (;;) {
            go.acquire();
            if (stop) return;
            std::this_thread::sleep_for(std::chrono::microseconds(delay_us.load()));
            pressed_at = clock_type::now();
            pressed = true;
            keydown(KEY_LSHIFT);
            keyup(KEY_LSHIFT);
        }
    }};
    ~presser() {
        stop = true;
        go.release();
        thread.join();
    }
};

// The same wait as SLEEP without its wake-up: sleep_break is only looked at between 9 ms sleeps.
void polling_sleep(int32_t seconds) {
    sleep_break = 0;
    const int64_t start = GetTicks();
    for (;;) {
        if (sleep_break.load()) return;
        const int64_t left = seconds * 1000 - (GetTicks() - start);
        if (left <= 0) return;
        libtq_sleep_ms(left < 10 ? left : 9);
    }
}

template <void (*wait)(int32_t)> void wake_latency(benchmark::State &state) {
    presser p;
    std::vector<double> latencies;
    int64_t n = 0;
    for (auto _ : state) {
        // Presses land 2 to 8.5 ms into the wait, spread over a wait step.
        p.delay_us = 2000 + (n++ * 737) % 6500;
        p.pressed = false;
        p.go.release();
        wait(1);
        const clock_type::time_point returned = clock_type::now();
        while (!p.pressed.load()) std::this_thread::yield();
        const double latency = ms_between(p.pressed_at, returned);
        latencies.push_back(latency);
        state.SetIterationTime(latency / 1000.0);
        std::this_thread::sleep_for(std::chrono::milliseconds(2)); // let the release pass
    }
    report_distribution(state, latencies, 1.0, 1.0); // "within 2 ms" here means 0 to 2 ms
}

void sleep_wait(int32_t seconds) { sub_sleep(seconds, 1); }

void BM_SleepWakeAfterKeydown(benchmark::State &state) { wake_latency<sleep_wait>(state); }
void BM_PollingWaitWakeAfterKeydown(benchmark::State &state) { wake_latency<polling_sleep>(state); }

void BM_Sleep1WithoutKey(benchmark::State &state) {
    std::vector<double> durations;
    for (auto _ : state) {
        const clock_type::time_point start = clock_type::now();
        sub_sleep(1, 1);
        const double took = ms_between(start, clock_type::now());
        durations.push_back(took);
        state.SetIterationTime(took / 1000.0);
    }
    report_distribution(state, durations, 1000.0, 2.0);
}

BENCHMARK(BM_SleepWakeAfterKeydown)->Iterations(200)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PollingWaitWakeAfterKeydown)->Iterations(200)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sleep1WithoutKey)->Iterations(100)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
