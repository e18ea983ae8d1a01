// System services: random numbers.
//
// The generator is the classic PC dialect's 24-bit linear congruential generator, so that a
// program seeded the same way draws the same numbers. Its state belongs to the program thread.
#pragma once

#include "libtq/common.h"

// The generator's state: only the low 24 bits are ever set after a step. RUN sets both back to
// 0x50000.
extern uint32_t rnd_seed;
// The seed of the start of the run, which RANDOMIZE USING restarts from.
extern uint32_t rnd_seed_first;

// RND: the next number in [0, 1). Without an argument (`passed` 0) as RND(1); RND(0) repeats
// the last number; a negative argument reseeds from its bit pattern first.
float func_rnd(float x, int32_t passed);
// RANDOMIZE: `kind` 1 for RANDOMIZE x, 3 for RANDOMIZE USING x, anything else for RANDOMIZE
// without an argument, which asks for the seed at the cursor.
void sub_randomize(double x, int32_t kind);
