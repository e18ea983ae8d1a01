// The entry of every benchmark program: prepares the emulated machine headless, as the tests do,
// then runs the program's benchmarks.
#include <benchmark/benchmark.h>

#include "libtq.h"

int main(int argc, char **argv) {
    libtq_prepare(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
