// The process entry: prepares the emulated machine, creates the window, starts the program and
// timer threads, and becomes the window thread.
#include "libtq.h"

int main(int argc, char **argv) {
    libtq_prepare(argc, argv);
    libtq_glut_presetup(argc, argv);
    libtq_thread_start(libtq_thread_new(), TQMAIN, nullptr);
    libtq_thread_start(libtq_thread_new(), TIMERTHREAD, nullptr);
    // From now on a screen rebuild waits for the composer to let go of the pages.
    lock_display_required = 1;
    libtq_start_main_thread(argc, argv);
}
