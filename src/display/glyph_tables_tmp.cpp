// Placeholder glyph tables until text output brings the real ones.
#include "display/frames_internal.h"

uint8_t charset8x8[256 * 64];
uint8_t charset8x16[256 * 128];
