// Program data: the READ statements that take the items of a compiled program's DATA block in
// order, the number parser they share with the runtime's other numeric input, the conversions of
// a parsed number, and the rounding that turns a floating-point value into an integer.
//
// A DATA block is plain text: every item followed by a comma, no spaces. The compiled program
// owns the block and its 32-bit read position and passes both to every READ.
//
// Threads: program thread only. The parsed-number state below is rewritten by every parse and
// read right after it by the conversions.
#pragma once

#include "libtq/common.h"

// ---- the parsed number ---------------------------------------------------------------------------

constexpr int32_t N_MAX_DIGITS = 256;

extern uint16_t n_digits;              // significant digits stored, at most 256
extern char n_digit[N_MAX_DIGITS + 1]; // the digits as text, leading zeros left out
extern int64_t n_exp;                  // decimal exponent of the first digit: d1.d2d3... x 10^n_exp
extern uint8_t n_neg;                  // 1 when the number began with a minus sign
extern uint8_t n_hex;                  // 0 decimal, 1 hexadecimal, 2 octal, 3 binary
extern long double n_float_value;      // result of n_float
extern int64_t n_int64_value;          // result of n_int64
extern uint64_t n_uint64_value;        // result of n_uint64

// What the number parser found in an item; n_inputnumberfromdata returns these numbers.
enum class n_input : int32_t {
    number = 0,          // a number, possibly zero, is in the parsed-number state
    too_many_digits = 1, // more significant digits than N_MAX_DIGITS, or than 18 in the exponent
    no_item = 2,         // the position is at or beyond the end of the data
    syntax_error = 3,
};

// Parses the item at `*position` and moves the position past it and its comma, or past the byte
// that ended it early. Returns an n_input number.
int32_t n_inputnumberfromdata(const uint8_t *data, uint32_t *position, uint32_t size);
// Each returns 1 with its value set, or 0 when the number does not fit.
int32_t n_float();
int32_t n_int64();
int32_t n_uint64();
// 1 when the first digit after the integer part is 5 or more.
int32_t n_roundincrement();

// ---- READ ---------------------------------------------------------------------------------------

// Bits of a READ target's type descriptor.
constexpr uint32_t TYPE_SIZE_MASK = 0x1FF;
constexpr uint32_t TYPE_UNSIGNED = 0x10000000;
constexpr uint32_t TYPE_FLOAT = 0x20000000;
constexpr uint32_t TYPE_SINGLE = 0x28C00020;

// Each returns 0 after an error: 4 "Out of DATA" (the position stays at the end), 2 "Syntax
// error" or 6 "Overflow" (the position goes back to the start of the bad item). They do nothing
// while an error is pending.
long double func_read_float(const uint8_t *data, uint32_t *position, uint32_t size, uint32_t type);
int64_t func_read_int64(const uint8_t *data, uint32_t *position, uint32_t size);
uint64_t func_read_uint64(const uint8_t *data, uint32_t *position, uint32_t size);
// Assigns the item's text to `target`. A leading double quote makes commas part of the text up
// to the closing quote; anything but a comma after the closing quote raises error 4, empties the
// target and leaves the position at the start of the item.
void sub_read_string(const uint8_t *data, uint32_t *position, uint32_t size, tqs *target);

// Rounds with the calling thread's rounding mode (the program thread rounds to nearest, ties to
// even). Values above the signed range up to 2^64 give the unsigned value's bits.
int64_t round_to_int64(long double x);
