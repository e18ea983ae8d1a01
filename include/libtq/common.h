// Basic types shared by every part of the runtime.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

// A signed and an unsigned integer wide enough to hold a pointer. Records that store an
// address in a word use these.
typedef intptr_t ptrszint;
typedef uintptr_t uptrszint;

// The string descriptor; see libtq/strings.h.
struct tqs;

// Truth values as the compiled programs see them.
constexpr int32_t TQ_TRUE = -1;
constexpr int32_t TQ_FALSE = 0;
