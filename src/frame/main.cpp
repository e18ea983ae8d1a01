// The process entry: prepares the emulated machine, starts the program and timer threads, and
// runs the housekeeping cycle until the program ends.
#include "libtq.h"

int main(int argc, char **argv) {
    libtq_prepare(argc, argv);
    libtq_thread_start(libtq_thread_new(), TQMAIN, nullptr);
    libtq_thread_start(libtq_thread_new(), TIMERTHREAD, nullptr);
    MAIN_LOOP(nullptr);
    return 0;
}
