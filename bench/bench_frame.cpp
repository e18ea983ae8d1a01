// Cost of the statement frame: a loop of trivial statements with the per-statement check against
// the same loop without it. Each statement updates a variable in the static pool, as compiled code
// does; the empty asm keeps each update in memory in both loops, so only the check differs.
#include <benchmark/benchmark.h>

#include "libtq.h"

namespace {

struct variables {
    int32_t frame;
    float anglex;
    float angley;
};

inline void keep(void *p) { asm volatile("" : : "r"(p) : "memory"); }

#define STATEMENTS(CHECK)                                                                                              \
    v->frame = v->frame + 1;                                                                                           \
    keep(v);                                                                                                           \
    CHECK(35);                                                                                                         \
    v->anglex = v->anglex + 3.0f;                                                                                      \
    keep(v);                                                                                                           \
    CHECK(38);                                                                                                         \
    v->angley = v->angley + 5.0f;                                                                                      \
    keep(v);                                                                                                           \
    CHECK(39);

#define FRAME_CHECK(line)                                                                                              \
    if (tq_statement_frame(line)) continue;
#define NO_CHECK(line)

void BM_StatementsWithoutFrame(benchmark::State &state) {
    auto *v = static_cast<variables *>(mem_static_malloc(sizeof(variables)));
    *v = {};
    for (auto _ : state) {
        for (int i = 0; i < 1000; i++) {
            STATEMENTS(NO_CHECK)
        }
    }
    benchmark::DoNotOptimize(v->frame);
    state.SetItemsProcessed(state.iterations() * 3000);
}

void BM_StatementsWithFrame(benchmark::State &state) {
    auto *v = static_cast<variables *>(mem_static_malloc(sizeof(variables)));
    *v = {};
    for (auto _ : state) {
        for (int i = 0; i < 1000; i++) {
            STATEMENTS(FRAME_CHECK)
        }
    }
    benchmark::DoNotOptimize(v->frame);
    state.SetItemsProcessed(state.iterations() * 3000);
}

BENCHMARK(BM_StatementsWithoutFrame);
BENCHMARK(BM_StatementsWithFrame);

} // namespace
