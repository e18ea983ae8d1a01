// STR$: numbers as text with a sign position. Non-negative numbers begin with a space, negative
// ones with '-'; floating-point values show at most 7 (SINGLE) or 16 (DOUBLE) significant digits,
// in fixed notation while that is short enough and in exponent notation otherwise.
#include <charconv>
#include <cmath>

#include "strings/strings_internal.h"

using namespace tqs_internal;

char tqs_str_buffer[64];
char tqs_str_buffer2[64];

namespace {

// The significant digits of a value rounded to `count` digits, and the decimal exponent of the
// first one.
struct rounded {
    char digits[20];
    int exponent;
};

// Rounds |v| to `count` significant digits (the exact decimal value, rounded to nearest).
void round_to_digits(double v, int count, char *buffer, rounded &result) {
    std::to_chars_result res =
        std::to_chars(buffer, buffer + 64, std::fabs(v), std::chars_format::scientific, count - 1);
    // The text reads d.ddd...e+XX (no point when count is 1).
    const char *p = buffer;
    int n = 0;
    result.digits[n++] = *p++;
    if (*p == '.') p++;
    while (*p != 'e') result.digits[n++] = *p++;
    p++;
    bool negative_exponent = *p == '-';
    p++;
    int e = 0;
    for (; p < res.ptr; p++) e = e * 10 + (*p - '0');
    result.exponent = negative_exponent ? -e : e;
}

// The common rule of SINGLE and DOUBLE, for `significant` digits (7 or 16) and its exponent letter.
tqs *float_text(double v, int significant, char letter, int32_t reserve) {
    tqs *s = tqs_new(reserve, 1);
    char *out = reinterpret_cast<char *>(s->data);
    char *o = out;
    *o++ = std::signbit(v) ? '-' : ' ';
    if (!std::isfinite(v)) {
        // The classic machine had no such values; they show as a word after the sign position.
        const char *word = std::isnan(v) ? "NAN" : "INF";
        if (std::isnan(v)) out[0] = ' ';
        for (; *word; word++) *o++ = *word;
        s->length = static_cast<int32_t>(o - out);
        return s;
    }
    rounded result;
    round_to_digits(v, significant, tqs_str_buffer, result);
    if (significant == 16 && result.digits[15] == '9') {
        // A last digit of 9 is usually the binary value showing through (1.9999999999999998):
        // one digit less folds it into the next value, carrying into a new power of ten if need be.
        round_to_digits(v, 15, tqs_str_buffer2, result);
        result.digits[15] = '0';
    }
    int d = significant;
    while (d > 0 && result.digits[d - 1] == '0') d--;
    if (d == 0) {
        out[0] = ' ';
        out[1] = '0';
        s->length = 2;
        return s;
    }
    int g = result.exponent;
    if (g <= significant - 1 && g - d >= -(significant + 1)) {
        if (g >= 0) {
            for (int i = 0; i <= g; i++) *o++ = i < d ? result.digits[i] : '0';
            if (d > g + 1) {
                *o++ = '.';
                for (int i = g + 1; i < d; i++) *o++ = result.digits[i];
            }
        } else {
            // Below 1 the zero before the point is left out: " .5", "-.25".
            *o++ = '.';
            for (int i = 1; i < -g; i++) *o++ = '0';
            for (int i = 0; i < d; i++) *o++ = result.digits[i];
        }
    } else {
        *o++ = result.digits[0];
        if (d > 1) {
            *o++ = '.';
            for (int i = 1; i < d; i++) *o++ = result.digits[i];
        }
        *o++ = letter;
        *o++ = g < 0 ? '-' : '+';
        int e = g < 0 ? -g : g;
        if (e >= 100) *o++ = static_cast<char>('0' + e / 100);
        *o++ = static_cast<char>('0' + e / 10 % 10);
        *o++ = static_cast<char>('0' + e % 10);
    }
    s->length = static_cast<int32_t>(o - out);
    return s;
}

} // namespace

tqs *tqs_str(int64_t value) { return integer_str(magnitude_of(value), value < 0, 20); }
tqs *tqs_str(int16_t value) { return integer_str(uint32_t{magnitude_of(value)}, value < 0, 6); }
tqs *tqs_str(int8_t value) { return integer_str(uint32_t{magnitude_of(value)}, value < 0, 4); }
tqs *tqs_str(uint64_t value) { return integer_str(value, false, 21); }
tqs *tqs_str(uint32_t value) { return integer_str(value, false, 11); }
tqs *tqs_str(uint16_t value) { return integer_str(uint32_t{value}, false, 6); }
tqs *tqs_str(uint8_t value) { return integer_str(uint32_t{value}, false, 4); }

tqs *tqs_str(float value) { return float_text(static_cast<double>(value), 7, 'E', 16); }
tqs *tqs_str(double value) { return float_text(value, 16, 'D', 32); }
tqs *tqs_str(long double value) { return float_text(static_cast<double>(value), 16, 'D', 32); }
