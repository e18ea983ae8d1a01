// The demo's compiled main module. For now it runs one statement and ends in order.
#include "libtq.h"

void TQMAIN(void *) {
    tq_statement_frame(1);
    close_program = 1;
    end();
}
