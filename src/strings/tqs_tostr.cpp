// _TOSTR$: numbers as plain text, no sign position. Floating-point values use the general
// format with a chosen number of significant digits.
#include <charconv>
#include <cstdio>
#include <type_traits>

#include "strings/strings_internal.h"

using namespace tqs_internal;

namespace {

constexpr int32_t RESERVE = 32;

tqs *integer_text(uint64_t magnitude, bool negative) {
    tqs *s = tqs_new(RESERVE, 1);
    char *out = reinterpret_cast<char *>(s->data);
    char *o = out;
    if (negative) *o++ = '-';
    s->length = static_cast<int32_t>(std::to_chars(o, out + RESERVE, magnitude).ptr - out);
    return s;
}

// The precision: 0 counts as 1, and it never exceeds what the type holds.
int precision(int32_t digits, int32_t has_digits, int cap) {
    if (!has_digits) return cap;
    if (digits == 0) return 1;
    return digits > cap ? cap : digits;
}

// The general format of `value` with `digits` significant digits, at most `cap`, in a new
// temporary; the last 'E' becomes `letter`, which names the type.
template <typename F> tqs *float_text(F value, int32_t digits, int32_t has_digits, int cap, char letter) {
    if (has_digits && digits < 0) {
        error(5);
        return tqs_new_txt_len(nullptr, 0);
    }
    int p = precision(digits, has_digits, cap);
    int n;
    if constexpr (std::is_same_v<F, long double>)
        n = std::snprintf(tqs_str_buffer, sizeof tqs_str_buffer, "%.*LG", p, value);
    else
        n = std::snprintf(tqs_str_buffer, sizeof tqs_str_buffer, "%.*G", p, static_cast<double>(value));
    if (n < 0 || n > RESERVE - 1) {
        error(51);
        return tqs_new(0, 1);
    }
    tqs *s = tqs_new(RESERVE, 1);
    std::memcpy(s->data, tqs_str_buffer, static_cast<size_t>(n));
    s->length = n;
    for (int i = n - 1; i >= 0; i--) {
        if (s->data[i] == 'E') {
            s->data[i] = static_cast<uint8_t>(letter);
            break;
        }
    }
    return s;
}

} // namespace

tqs *tqs__tostr(int64_t value) { return integer_text(magnitude_of(value), value < 0); }
tqs *tqs__tostr(int32_t value) { return integer_text(magnitude_of(value), value < 0); }
tqs *tqs__tostr(int16_t value) { return integer_text(magnitude_of(value), value < 0); }
tqs *tqs__tostr(int8_t value) { return integer_text(magnitude_of(value), value < 0); }
tqs *tqs__tostr(uint64_t value) { return integer_text(value, false); }
tqs *tqs__tostr(uint32_t value) { return integer_text(value, false); }
tqs *tqs__tostr(uint16_t value) { return integer_text(value, false); }
tqs *tqs__tostr(uint8_t value) { return integer_text(value, false); }

tqs *tqs__tostr(float value, int32_t digits, int32_t has_digits) {
    return float_text(value, digits, has_digits, 7, 'E');
}
tqs *tqs__tostr(double value, int32_t digits, int32_t has_digits) {
    return float_text(value, digits, has_digits, 16, 'D');
}
tqs *tqs__tostr(long double value, int32_t digits, int32_t has_digits) {
    return float_text(value, digits, has_digits, 19, 'F');
}
