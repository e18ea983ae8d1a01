// A compiled program that raises a runtime error from a SUB, for the tests of the log's stack
// traces in a normal and in a stripped executable.
#include "libtq.h"

__attribute__((noinline)) void SUB_FAIL() {
    error(9);
    asm volatile("" ::: "memory");
}

__attribute__((noinline)) void TQMAIN(void *) {
    SUB_FAIL();
    asm volatile("" ::: "memory");
}

int main(int argc, char **argv) {
    libtq_prepare(argc, argv);
    TQMAIN(nullptr);
    return 0;
}
