// STR$ of random SINGLE and DOUBLE values against the C library's "%.7G" formatting of the same
// values. The values spread over many magnitudes, as a program's numbers do.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "libtq.h"

namespace {

constexpr size_t COUNT = 4096;

std::vector<double> random_values() {
    std::mt19937_64 rng(42);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    std::vector<double> values(COUNT);
    for (double &v : values) v = mantissa(rng) * std::pow(10.0, exponent(rng));
    return values;
}

const std::vector<double> &doubles() {
    static const std::vector<double> values = random_values();
    return values;
}

const std::vector<float> &singles() {
    static const std::vector<float> values = [] {
        std::vector<float> f;
        for (double v : doubles()) f.push_back(static_cast<float>(v));
        return f;
    }();
    return values;
}

void BM_StrDouble(benchmark::State &state) {
    const ptrszint base = tqs_tmp_list_nexti;
    size_t i = 0;
    for (auto _ : state) {
        tqs *s = tqs_str(doubles()[i++ % COUNT]);
        benchmark::DoNotOptimize(s->data);
        tqs_release_tmp(base, 0);
    }
}

void BM_StrSingle(benchmark::State &state) {
    const ptrszint base = tqs_tmp_list_nexti;
    size_t i = 0;
    for (auto _ : state) {
        tqs *s = tqs_str(singles()[i++ % COUNT]);
        benchmark::DoNotOptimize(s->data);
        tqs_release_tmp(base, 0);
    }
}

void BM_SnprintfDouble(benchmark::State &state) {
    char buffer[64];
    size_t i = 0;
    for (auto _ : state) {
        int n = std::snprintf(buffer, sizeof buffer, "%.7G", doubles()[i++ % COUNT]);
        benchmark::DoNotOptimize(n);
        benchmark::DoNotOptimize(buffer);
    }
}

void BM_SnprintfSingle(benchmark::State &state) {
    char buffer[64];
    size_t i = 0;
    for (auto _ : state) {
        int n = std::snprintf(buffer, sizeof buffer, "%.7G", static_cast<double>(singles()[i++ % COUNT]));
        benchmark::DoNotOptimize(n);
        benchmark::DoNotOptimize(buffer);
    }
}

BENCHMARK(BM_StrDouble);
BENCHMARK(BM_SnprintfDouble);
BENCHMARK(BM_StrSingle);
BENCHMARK(BM_SnprintfSingle);

} // namespace
