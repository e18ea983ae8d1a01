// The function-key label line. It is off from start-up; while it is off, nothing is drawn and
// the last text row belongs to the program.
#include "libtq.h"

int32_t key_display_redraw = 0;

void key_update() {}
