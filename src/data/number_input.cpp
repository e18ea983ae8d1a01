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

// Exponents with more significant digits than this cannot be meant.
constexpr int MAX_EXPONENT_DIGITS = 18;

// The bases a '&' prefix chooses, as n_hex holds them.
enum base : uint8_t { DECIMAL = 0, HEXADECIMAL = 1, OCTAL = 2, BINARY = 3 };

// Where the decimal parser stands in an item. The order counts: a point may come up to the integer
// part, an exponent letter up to the fraction.
enum class step { start, integer_part, fraction, exponent_letter, exponent, type_suffix };

bool is_type_suffix(uint8_t c) {
    return c == '!' || c == '#' || c == '$' || c == '%' || c == '&' || c == '`' || c == '~';
}

bool is_exponent_letter(uint8_t c) { return c == 'D' || c == 'E' || c == 'F' || c == 'd' || c == 'e' || c == 'f'; }

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

// Appends a significant digit, unless N_MAX_DIGITS are stored already.
n_input store_digit(uint8_t c) {
    if (n_digits == N_MAX_DIGITS) return n_input::too_many_digits;
    n_digit[n_digits++] = static_cast<char>(c);
    return n_input::number;
}

// An item that begins with '&': the base letter, then its digits, leading zeros included, and at
// most a type suffix after them.
n_input parse_prefixed(const uint8_t *data, uint32_t *position, uint32_t size) {
    uint32_t pos = *position + 1; // past the '&'
    if (pos >= size) {
        *position = pos;
        return n_input::syntax_error;
    }
    uint8_t c = data[pos++];
    *position = pos;
    switch (c) {
    case 'H':
    case 'h': n_hex = HEXADECIMAL; break;
    case 'O':
    case 'o': n_hex = OCTAL; break;
    case 'B':
    case 'b': n_hex = BINARY; break;
    default: return n_input::syntax_error; // a ',' here is consumed too
    }
    bool suffixed = false;
    while (pos < size) {
        c = data[pos++];
        *position = pos;
        if (c == ',') break;
        if (prefixed_digit(c) >= 0) {
            if (suffixed) return n_input::syntax_error;
            if (store_digit(c) != n_input::number) return n_input::too_many_digits;
        } else if (is_type_suffix(c)) {
            suffixed = true;
        } else {
            return n_input::syntax_error;
        }
    }
    return n_input::number;
}

// A decimal item, taken one byte at a time. Zeros before the first significant digit are not
// stored; they only move the decimal exponent.
struct decimal_item {
    step at = step::start;
    bool exponent_negative = false;
    int64_t exponent = 0;
    int exponent_digits = 0;

    // Anything but n_input::number ends the item.
    n_input take(uint8_t c) {
        if (c >= '0' && c <= '9') return take_digit(c);
        if (c == '-' || c == '+') {
            if (at == step::start) {
                n_neg = c == '-';
                at = step::integer_part;
            } else if (at == step::exponent_letter) {
                exponent_negative = c == '-';
                at = step::exponent;
            } else {
                return n_input::syntax_error;
            }
        } else if (c == '.') {
            if (at > step::integer_part) return n_input::syntax_error;
            if (n_digits == 0) n_exp = -1;
            at = step::fraction;
        } else if (is_exponent_letter(c)) {
            if (at > step::fraction) return n_input::syntax_error;
            at = step::exponent_letter;
        } else if (is_type_suffix(c)) {
            at = step::type_suffix;
        } else {
            return n_input::syntax_error;
        }
        return n_input::number;
    }

    n_input take_digit(uint8_t c) {
        switch (at) {
        case step::start:
        case step::integer_part:
            at = step::integer_part;
            if (c == '0' && n_digits == 0) return n_input::number;
            if (n_digits > 0) n_exp++;
            return store_digit(c);
        case step::fraction:
            if (c == '0' && n_digits == 0) {
                n_exp--;
                return n_input::number;
            }
            return store_digit(c);
        case step::exponent_letter:
        case step::exponent:
            at = step::exponent;
            if (c == '0' && exponent_digits == 0) return n_input::number;
            if (exponent_digits == MAX_EXPONENT_DIGITS) return n_input::too_many_digits;
            exponent_digits++;
            exponent = exponent * 10 + (c - '0');
            return n_input::number;
        case step::type_suffix: break;
        }
        return n_input::syntax_error;
    }
};

n_input parse_decimal(const uint8_t *data, uint32_t *position, uint32_t size) {
    decimal_item item;
    n_input result = n_input::number;
    uint32_t pos = *position;
    while (pos < size && result == n_input::number) {
        uint8_t c = data[pos++];
        if (c == ',') break;
        result = item.take(c);
    }
    *position = pos;
    if (result != n_input::number) return result;
    n_exp += item.exponent_negative ? -item.exponent : item.exponent;
    if (n_digits == 0) {
        // Zero has no sign.
        n_exp = 0;
        n_neg = 0;
    }
    return n_input::number;
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
    if (n_hex == HEXADECIMAL && n_digits > 16) return false;
    if (n_hex == OCTAL && (n_digits > 22 || (n_digits == 22 && n_digit[0] >= '2'))) return false;
    if (n_hex == BINARY && n_digits > 64) return false;
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

// The cases every conversion shares, with `value` set: no digits are 0, and a prefixed number is
// its word, its sign coming only from its top bit. Returns the conversion's result, or -1 when
// the number is decimal and the conversion's own rules decide.
template <typename T> int32_t zero_or_prefixed(T &value) {
    value = 0;
    if (n_digits == 0) return 1;
    if (n_hex == DECIMAL) return -1;
    uint64_t word;
    if (!prefixed_word(word)) return 0;
    value = static_cast<T>(static_cast<int64_t>(word));
    return 1;
}

} // namespace

int32_t n_inputnumberfromdata(const uint8_t *data, uint32_t *position, uint32_t size) {
    n_digits = 0;
    n_exp = 0;
    n_neg = 0;
    n_hex = DECIMAL;
    if (!data || *position >= size) return static_cast<int32_t>(n_input::no_item);
    n_input result =
        data[*position] == '&' ? parse_prefixed(data, position, size) : parse_decimal(data, position, size);
    n_digit[n_digits] = 0;
    return static_cast<int32_t>(result);
}

int32_t n_roundincrement() {
    int64_t i = n_exp + 1;
    return i >= 0 && i < n_digits && n_digit[i] >= '5' ? 1 : 0;
}

int32_t n_float() {
    if (int32_t result = zero_or_prefixed(n_float_value); result >= 0) return result;
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
    n_float_value = static_cast<long double>(value);
    return 1;
}

int32_t n_int64() {
    if (int32_t result = zero_or_prefixed(n_int64_value); result >= 0) return result;
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
    if (int32_t result = zero_or_prefixed(n_uint64_value); result >= 0) return result;
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
