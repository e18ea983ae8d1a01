// What every fuzz target shares: the emulated machine prepared once, headless, on the fuzzer's
// thread; fatal errors turned into findings; the error state handled as compiled code sees it;
// and a reader that turns the fuzzer's bytes into the arguments statements take.
//
// A target reports a broken rule with FUZZ_CHECK: the message goes to standard error and the
// process aborts, so libFuzzer keeps the input that broke it.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <type_traits>
#include <vector>

#include "libtq.h"

// Prepares the machine once. A message box of a fatal error, which would end the process,
// aborts instead.
void fuzz_prepare();

[[noreturn]] void fuzz_fail(const char *format, ...) __attribute__((format(printf, 1, 2)));
#define FUZZ_CHECK(condition, ...)                                                                                     \
    do {                                                                                                               \
        if (!(condition)) fuzz_fail(__VA_ARGS__);                                                                      \
    } while (0)

// A runtime error is a normal result of a statement. Checks that the pending one is a number the
// runtime has a message for, then clears the error state, as the error handler of a program that
// resumes would, so that the next statement runs. Returns the error number it cleared.
uint32_t fuzz_settle_error(const char *statement);

// Arguments drawn from the fuzzer's bytes: mostly values near the edges that statements test
// (zero, one, the 16-bit and 32-bit limits, not-a-number, the infinities), otherwise raw bits.
class fuzz_args {
  public:
    explicit fuzz_args(FuzzedDataProvider &in);
    bool done() const { return in_.remaining_bytes() == 0; }
    bool flag() { return note(in_.ConsumeBool()); }
    template <typename T> T pick(const std::vector<T> &from) { return note(one_of(from)); }
    int32_t in_range(int32_t low, int32_t high) { return note(in_.ConsumeIntegralInRange<int32_t>(low, high)); }
    // Bit mask of `bits` optional arguments.
    int32_t passed(int bits) { return note(static_cast<int32_t>(in_.ConsumeIntegral<uint8_t>() & ((1u << bits) - 1))); }
    int32_t integer() { return note(any_integer()); }
    uint32_t colour() { return note(any_colour()); }
    float coordinate() { return note(any_coordinate()); }
    double real() { return note(any_real()); }
    // Bytes for PRINT and the like, at most `most` of them.
    std::vector<uint8_t> bytes(size_t most);

    // With FUZZ_TRACE set in the environment, every value taken is written to standard error as
    // it is taken, and `end_of_statement` ends the line with the statement's name and error: a
    // finding's input then reads as the statements it ran.
    void end_of_statement(const char *name, uint32_t error);

  private:
    template <typename T> T one_of(const std::vector<T> &from) {
        return from[in_.ConsumeIntegralInRange<size_t>(0, from.size() - 1)];
    }
    template <typename T> T note(T value) {
        if constexpr (std::is_arithmetic_v<T>)
            if (trace_) note_value(static_cast<double>(value));
        return value;
    }
    void note_value(double value);
    int32_t any_integer();
    uint32_t any_colour();
    float any_coordinate();
    double any_real();
    FuzzedDataProvider &in_;
    bool trace_;
};
