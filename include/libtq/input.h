// Declarations of this subsystem are added as it is built.
#pragma once

#include "libtq/common.h"

// ---- the function-key label line ----------------------------------------------------------------

// Set by SCREEN and CLS when the label line must be drawn again; read by key_update. Program
// thread.
extern int32_t key_display_redraw;
// Draws the function-key label line on the last text row when KEY ON has switched it on. The
// line is off from start-up, and then there is nothing to draw.
void key_update();
