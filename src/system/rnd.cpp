// RND and RANDOMIZE.
#include <bit>

#include "input/line_input.h"
#include "libtq.h"

uint32_t rnd_seed = 0x50000;
uint32_t rnd_seed_first = 0x50000;

namespace {

void rnd_step() { rnd_seed = (rnd_seed * 16598013u + 12820163u) & 0xFFFFFFu; }

// The 16 bits of a seed value that RANDOMIZE keeps: the high word of the double folded onto
// itself.
uint32_t seed_bits(double x) {
    const uint32_t high = static_cast<uint32_t>(std::bit_cast<uint64_t>(x) >> 32);
    return ((high >> 16) ^ high) & 0xFFFFu;
}

// Asks for a seed at the cursor until a number in range is typed.
int32_t ask_seed() {
    static constexpr char prompt[] = "Random-number seed (-32768 to 32767)? ";
    int32_t n = 0;
    do {
        print_bytes(reinterpret_cast<const uint8_t *>(prompt), static_cast<int32_t>(sizeof prompt - 1), 0);
    } while (!line_input_integer(-32768, 32767, n));
    return n;
}

} // namespace

float func_rnd(float x, int32_t passed) {
    if (new_error) return 0;
    if (!passed) x = 1;
    if (x < 0) {
        const uint32_t b = std::bit_cast<uint32_t>(x);
        rnd_seed = (b & 0xFFFFFFu) + (b >> 24);
        rnd_step();
    } else if (x != 0) { // positive, or not a number
        rnd_step();
    }
    return static_cast<float>(static_cast<double>(rnd_seed) / 16777216.0);
}

void sub_randomize(double x, int32_t kind) {
    if (new_error) return;
    if (kind == 3) {
        rnd_seed = (seed_bits(x) << 8) | (rnd_seed_first & 0xFFu);
        return;
    }
    if (kind == 1) {
        rnd_seed = (seed_bits(x) << 8) | (rnd_seed & 0xFFu);
        return;
    }
    const uint32_t n = static_cast<uint32_t>(ask_seed());
    if (new_error) return;
    rnd_seed = ((n & 0xFFFFu) << 8) | (rnd_seed & 0xFFu);
}
