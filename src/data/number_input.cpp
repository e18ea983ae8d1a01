// The number parser shared by READ and the runtime's other numeric input, and the conversions of
// a parsed number to a floating-point value or a 64-bit integer.
//
// A parsed decimal number is kept as its significant digits and the decimal exponent of the
// first one, so that range tests compare digit texts and never overflow.
#include <charconv>

#include "libtq.h"

uint16_t n_digits = 0;
char n_digit[N_MAX_DIGITS + 1];
int64_t n_exp = 0;
uint8_t n_neg = 0;
uint8_t n_hex = 0;
long double n_float_value = 0;
int64_t n_int64_value = 0;
uint64_t n_uint64_value = 0;

namespace {

// Leading digits of the largest values, for the overflow tests.
constexpr const char *range_int64_max = "9223372036854775807";
constexpr const char *range_int64_neg_max = "9223372036854775808";
constexpr const char *range_uint64_max = "18446744073709551615";
constexpr const char *range_float_max = "17976931348623157";

constexpr int32_t PARSED = 0, TOO_MANY_DIGITS = 1, NO_ITEM = 2, SYNTAX = 3;
// Exponents with more significant digits than this cannot be meant.
constexpr int32_t MAX_EXPONENT_DIGITS = 18;

bool is_type_suffix(uint8_t c) {
    return c == '!' || c == '#' || c == '$' || c == '%' || c == '&' || c == '`' || c == '~';
}

// The value of `c` as a digit of the prefixed base, or -1.
int prefixed_digit(uint8_t c) {
    int v = -1;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    static constexpr int limit[] = {10, 16, 8, 2};
    return v >= 0 && v < limit[n_hex] ? v : -1;
}

int32_t parse_prefixed(const uint8_t *data, uint32_t *position, uint32_t size) {
    uint32_t pos = *position + 1; // past the '&'
    if (pos >= size) {
        *position = pos;
        return SYNTAX;
    }
    uint8_t c = data[pos++];
    *position = pos;
    switch (c) {
    case 'H':
    case 'h': n_hex = 1; break;
    case 'O':
    case 'o': n_hex = 2; break;
    case 'B':
    case 'b': n_hex = 3; break;
    default: return SYNTAX; // a ',' here is consumed too
    }
    bool suffixed = false;
    while (pos < size) {
        c = data[pos++];
        *position = pos;
        if (c == ',') break;
        if (prefixed_digit(c) >= 0) {
            if (suffixed) return SYNTAX;
            if (n_digits == N_MAX_DIGITS) return TOO_MANY_DIGITS;
            n_digit[n_digits++] = static_cast<char>(c);
        } else if (is_type_suffix(c)) {
            suffixed = true;
        } else {
            return SYNTAX;
        }
    }
    return PARSED;
}

// Compares the stored digits from the left with a range text: true when the number is larger
// at the first difference. Missing digits are zeros, so a shorter equal prefix is not larger.
bool exceeds(const char *range) {
    for (int i = 0; i < n_digits && range[i]; i++) {
        if (n_digit[i] != range[i]) return n_digit[i] > range[i];
    }
    return false;
}

// The word of a prefixed number, or false when it has more bits than 64.
bool prefixed_word(uint64_t &word) {
    static constexpr int bits_per_digit[] = {0, 4, 3, 1};
    int bits = bits_per_digit[n_hex];
    if (n_hex == 1 && n_digits > 16) return false;
    if (n_hex == 2 && (n_digits > 22 || (n_digits == 22 && n_digit[0] >= '2'))) return false;
    if (n_hex == 3 && n_digits > 64) return false;
    word = 0;
    for (int i = 0; i < n_digits; i++) {
        word = (word << bits) | static_cast<uint64_t>(prefixed_digit(static_cast<uint8_t>(n_digit[i])));
    }
    return true;
}

// The integer part of a decimal number: the digits padded with zeros to n_exp + 1 digits. The
// callers have made sure it fits.
uint64_t integer_part() {
    uint64_t v = 0;
    for (int64_t i = 0; i <= n_exp; i++) v = v * 10 + static_cast<uint64_t>(i < n_digits ? n_digit[i] - '0' : 0);
    return v;
}

} // namespace

int32_t n_inputnumberfromdata(const uint8_t *data, uint32_t *position, uint32_t size) {
    int step = 0;
    bool exponent_negative = false;
    int64_t exponent = 0;
    int exponent_digits = 0;
    n_digits = 0;
    n_exp = 0;
    n_neg = 0;
    n_hex = 0;
    if (!data || *position >= size) return NO_ITEM;
    if (data[*position] == '&') {
        int32_t result = parse_prefixed(data, position, size);
        n_digit[n_digits] = 0;
        return result;
    }

    uint32_t pos = *position;
    int32_t result = PARSED;
    while (pos < size) {
        uint8_t c = data[pos++];
        if (c == ',') break;
        if (c == '-' || c == '+') {
            if (step == 0) {
                n_neg = c == '-';
                step = 1;
            } else if (step == 3) {
                exponent_negative = c == '-';
                step = 4;
            } else {
                result = SYNTAX;
                break;
            }
        } else if (c == '.') {
            if (step > 1) {
                result = SYNTAX;
                break;
            }
            if (n_digits == 0) n_exp = -1;
            step = 2;
        } else if (c == 'D' || c == 'E' || c == 'F' || c == 'd' || c == 'e' || c == 'f') {
            if (step > 2) {
                result = SYNTAX;
                break;
            }
            step = 3;
        } else if (c >= '0' && c <= '9') {
            if (step == 5) {
                result = SYNTAX;
                break;
            }
            if (step <= 1) {
                step = 1;
                if (c == '0' && n_digits == 0) continue;
                if (n_digits > 0) n_exp++;
                if (n_digits == N_MAX_DIGITS) {
                    result = TOO_MANY_DIGITS;
                    break;
                }
                n_digit[n_digits++] = static_cast<char>(c);
            } else if (step == 2) {
                if (c == '0' && n_digits == 0) {
                    n_exp--;
                    continue;
                }
                if (n_digits == N_MAX_DIGITS) {
                    result = TOO_MANY_DIGITS;
                    break;
                }
                n_digit[n_digits++] = static_cast<char>(c);
            } else {
                step = 4;
                if (c == '0' && exponent_digits == 0) continue;
                if (exponent_digits == MAX_EXPONENT_DIGITS) {
                    result = TOO_MANY_DIGITS;
                    break;
                }
                exponent_digits++;
                exponent = exponent * 10 + (c - '0');
            }
        } else if (is_type_suffix(c)) {
            step = 5;
        } else {
            result = SYNTAX;
            break;
        }
    }
    *position = pos;
    n_digit[n_digits] = 0;
    if (result != PARSED) return result;
    n_exp += exponent_negative ? -exponent : exponent;
    if (n_digits == 0) {
        n_exp = 0;
        n_neg = 0;
    }
    return PARSED;
}

int32_t n_roundincrement() {
    int64_t i = n_exp + 1;
    return i >= 0 && i < n_digits && n_digit[i] >= '5' ? 1 : 0;
}

int32_t n_float() {
    n_float_value = 0;
    if (n_digits == 0) return 1;
    if (n_hex) {
        uint64_t word;
        if (!prefixed_word(word)) return 0;
        // The sign of a prefixed number comes only from its top bit.
        n_float_value = static_cast<long double>(static_cast<int64_t>(word));
        return 1;
    }
    if (n_exp >= 309) return 0;
    if (n_exp == 308 && exceeds(range_float_max)) return 0;
    if (n_exp <= -325) return 1;
    // At most 17 digits reach the conversion; the rest are dropped without rounding.
    char text[48];
    char *o = text;
    if (n_neg) *o++ = '-';
    *o++ = n_digit[0];
    *o++ = '.';
    if (n_digits == 1) *o++ = '0';
    for (int i = 1; i < n_digits && i < 17; i++) *o++ = n_digit[i];
    *o++ = 'E';
    o = std::to_chars(o, text + sizeof text, n_exp).ptr;
    double value = 0;
    std::from_chars_result parsed = std::from_chars(text, o, value);
    // Out of range can only mean an underflow here: the overflow was caught above.
    if (parsed.ec != std::errc()) value = 0;
    n_float_value = value;
    return 1;
}

int32_t n_int64() {
    n_int64_value = 0;
    if (n_digits == 0) return 1;
    if (n_hex) {
        uint64_t word;
        if (!prefixed_word(word)) return 0;
        n_int64_value = static_cast<int64_t>(word);
        return 1;
    }
    if (n_exp > 18) return 0;
    if (n_exp == 18 && exceeds(n_neg ? range_int64_neg_max : range_int64_max)) return 0;
    uint64_t magnitude = integer_part();
    // Rounding is half away from zero.
    if (n_roundincrement()) {
        uint64_t limit = n_neg ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
        if (magnitude == limit) return 0;
        magnitude++;
    }
    n_int64_value = n_neg ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    return 1;
}

int32_t n_uint64() {
    n_uint64_value = 0;
    if (n_digits == 0) return 1;
    if (n_hex) {
        uint64_t word;
        if (!prefixed_word(word)) return 0;
        n_uint64_value = word;
        return 1;
    }
    if (n_neg && n_exp >= 0) return 0;
    if (n_exp > 19) return 0;
    if (n_exp == 19 && exceeds(range_uint64_max)) return 0;
    uint64_t magnitude = integer_part();
    if (n_roundincrement()) {
        if (n_neg || magnitude == UINT64_MAX) return 0;
        magnitude++;
    }
    n_uint64_value = magnitude;
    return 1;
}
