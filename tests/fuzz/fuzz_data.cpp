// The DATA reader and the number parser on any block of bytes, read with any mix of READ targets.
// The block lives in a buffer of exactly its size, so the address sanitizer sees any read past it.
// Each READ must leave the position where the rules say (past the item, back at its start after
// a syntax error or an overflow, at the end when the data is out), raise only the errors READ
// raises, and give the value an independent conversion of the item's text gives.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>

#include "fuzz_support.h"

namespace {

constexpr uint32_t OUT_OF_DATA = 4, SYNTAX_ERROR = 2, OVERFLOW_ERROR = 6;

// The item that starts at `start`: its bytes up to the next comma.
std::string item_at(const std::vector<uint8_t> &block, uint32_t start) {
    uint32_t end = start;
    while (end < block.size() && block[end] != ',') end++;
    return std::string(block.begin() + start, block.begin() + end);
}

// A plain decimal item that the C library converts whole (an exponent letter D or F read as E),
// with no more significant digits than the parser converts exactly and an exponent it takes;
// false for anything else. `value` is the exact value to extended precision, `nearest` the
// double nearest to it.
bool plain_decimal(const std::string &item, long double &value, double &nearest) {
    std::string text;
    int significant = 0, exponent_digits = 0;
    bool leading = true, exponent = false;
    for (char c : item) {
        if (c == 'd' || c == 'D' || c == 'f' || c == 'F' || c == 'e') c = 'E';
        if (c == 'E') {
            if (exponent) return false;
            exponent = true;
            leading = true;
        } else if (c >= '1' && c <= '9') {
            leading = false;
            (exponent ? exponent_digits : significant)++;
        } else if (c == '0') {
            if (!leading) (exponent ? exponent_digits : significant)++;
        } else if (c != '.' && c != '-' && c != '+') {
            return false;
        }
        text.push_back(c);
    }
    // "1.5E" reads as 1.5 in a program; the C library stops before the E.
    if (!text.empty() && text.back() == 'E') text.pop_back();
    if (text.empty() || significant > 17 || exponent_digits > 18) return false;
    char *end = nullptr;
    errno = 0;
    value = std::strtold(text.c_str(), &end);
    if (end != text.c_str() + text.size() || errno != 0 || !std::isfinite(value)) return false;
    nearest = std::strtod(text.c_str(), nullptr);
    return true;
}

// The rules every READ keeps, whatever it read.
void check_read(const char *what, uint32_t start, uint32_t position, uint32_t size, uint32_t error) {
    FUZZ_CHECK(position <= size, "%s left the position at %u of %u", what, position, size);
    if (error == OUT_OF_DATA) {
        FUZZ_CHECK(start >= size || position == start, "%s: Out of DATA at %u of %u moved to %u", what, start, size,
                   position);
    } else if (error == SYNTAX_ERROR || error == OVERFLOW_ERROR) {
        FUZZ_CHECK(position == start, "%s: error %u moved the position from %u to %u", what, error, start, position);
    } else {
        FUZZ_CHECK(error == 0, "%s raised error %u", what, error);
        FUZZ_CHECK(position > start, "%s read an item without moving past it (at %u)", what, start);
    }
}

void check_parsed_digits() {
    FUZZ_CHECK(n_digits <= N_MAX_DIGITS, "the parser stored %u digits", n_digits);
    for (uint16_t i = 0; i < n_digits; i++) {
        const char c = n_digit[i];
        const bool digit = (c >= '0' && c <= '9') || (n_hex == 1 && ((c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')));
        FUZZ_CHECK(digit, "the parser stored digit %d: '%c'", i, c);
    }
    if (n_hex == 0 && n_digits > 0) FUZZ_CHECK(n_digit[0] != '0', "a decimal number's first stored digit is 0");
}

// READ into a floating-point target of `bits` bits, against the C library's conversion.
void read_float(const std::vector<uint8_t> &block, uint32_t &position, uint32_t bits) {
    const uint32_t start = position, size = static_cast<uint32_t>(block.size());
    const long double value = func_read_float(block.data(), &position, size, TYPE_FLOAT | bits);
    const uint32_t error = fuzz_settle_error("READ (floating point)");
    check_read("READ (floating point)", start, position, size, error);
    if (error == 0) check_parsed_digits();
    long double expected;
    double wanted;
    if (start >= size || !plain_decimal(item_at(block, start), expected, wanted)) return;
    const bool single_overflow = bits < 64 && std::fabs(expected) > 3.402823466E+38L;
    if (std::fabs(expected) > 1.7976931348623157E308L || single_overflow) {
        FUZZ_CHECK(error == OVERFLOW_ERROR, "READ of \"%s\" gave %Lg, error %u", item_at(block, start).c_str(), value,
                   error);
        return;
    }
    FUZZ_CHECK(error == 0, "READ of \"%s\" raised error %u", item_at(block, start).c_str(), error);
    // The parser converts to the double nearest to the item.
    FUZZ_CHECK(static_cast<double>(value) == wanted || (wanted == 0 && value == 0),
               "READ of \"%s\" gave %.17Lg, the C library %.17g", item_at(block, start).c_str(), value, wanted);
}

// READ into a 64-bit integer, signed or not: the value rounded half away from zero, or Overflow
// when that lies outside the type.
template <typename T> void read_integer64(const std::vector<uint8_t> &block, uint32_t &position) {
    constexpr bool is_signed = std::is_signed_v<T>;
    const char *what = is_signed ? "READ (64-bit integer)" : "READ (unsigned 64-bit integer)";
    const uint32_t start = position, size = static_cast<uint32_t>(block.size());
    const T value = is_signed ? static_cast<T>(func_read_int64(block.data(), &position, size))
                              : static_cast<T>(func_read_uint64(block.data(), &position, size));
    const uint32_t error = fuzz_settle_error(what);
    check_read(what, start, position, size, error);
    long double expected;
    double nearest;
    if (start >= size || !plain_decimal(item_at(block, start), expected, nearest)) return;
    const long double rounded = std::round(expected);
    if (rounded < (is_signed ? -0x1p63L : 0) || rounded >= (is_signed ? 0x1p63L : 0x1p64L)) {
        FUZZ_CHECK(error == OVERFLOW_ERROR, "%s of \"%s\" gave %.0Lf", what, item_at(block, start).c_str(),
                   static_cast<long double>(value));
        return;
    }
    FUZZ_CHECK(error == 0 && value == static_cast<T>(rounded),
               "%s of \"%s\" gave %.0Lf (error %u), rounding gives %.0Lf", what, item_at(block, start).c_str(),
               static_cast<long double>(value), error, rounded);
}

// READ into an integer target of up to 32 bits, signed or not.
void read_small_integer(const std::vector<uint8_t> &block, uint32_t &position, uint32_t type) {
    const uint32_t start = position, size = static_cast<uint32_t>(block.size());
    const long double value = func_read_float(block.data(), &position, size, type);
    const uint32_t error = fuzz_settle_error("READ (integer)");
    check_read("READ (integer)", start, position, size, error);
    if (error) return;
    const int bits = static_cast<int>(std::min<uint32_t>(type & TYPE_SIZE_MASK, 64));
    if (bits == 0) return; // no target has no bits
    FUZZ_CHECK(value == std::nearbyint(value), "READ into an integer gave %Lg", value);
    // A prefixed number is bits: its top bit makes it negative in a signed target.
    const bool is_unsigned = type & TYPE_UNSIGNED;
    const long double low = is_unsigned ? 0 : -std::ldexp(1.0L, bits - 1);
    const long double high = is_unsigned ? std::ldexp(1.0L, bits) - 1 : std::ldexp(1.0L, bits - 1) - 1;
    FUZZ_CHECK(value >= low && value <= high, "READ into a %d-bit integer (type %08x) gave %Lg", bits, type, value);
}

// READ into a string: the item's text, quoted or not, checked against the rules written out here.
void read_string(const std::vector<uint8_t> &block, uint32_t &position, tqs *target) {
    const uint32_t start = position, size = static_cast<uint32_t>(block.size());
    sub_read_string(block.data(), &position, size, target);
    const uint32_t error = fuzz_settle_error("READ (string)");
    check_read("READ (string)", start, position, size, error);
    if (start >= size) return;
    std::string expected;
    uint32_t end = start;
    bool bad = false;
    if (block[start] == '"') {
        end = start + 1;
        while (end < size && block[end] != '"') expected.push_back(static_cast<char>(block[end++]));
        if (end < size) end++;
        if (end < size) bad = block[end++] != ',';
    } else {
        while (end < size && block[end] != ',') expected.push_back(static_cast<char>(block[end++]));
        if (end < size) end++;
    }
    if (bad) {
        FUZZ_CHECK(error == OUT_OF_DATA && target->length == 0, "READ of a quoted text followed by more gave error %u",
                   error);
        return;
    }
    FUZZ_CHECK(position == end && target->length == static_cast<int32_t>(expected.size()) &&
                   std::memcmp(target->data, expected.data(), expected.size()) == 0,
               "READ of a string at %u gave %d bytes, ended at %u; the rules give %zu bytes, end %u", start,
               target->length, position, expected.size(), end);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz_prepare();
    fuzz_settle_error("the previous input");
    if (size < 2) return 0;
    // The first bytes choose the READ targets in turn, the rest is the block.
    const size_t choices = std::min<size_t>(data[0] % 16 + 1, size - 1);
    const std::vector<uint8_t> schedule(data + 1, data + 1 + choices);
    const std::vector<uint8_t> block(data + 1 + choices, data + size);
    static tqs *target = tqs_new(0, 0);
    const ptrszint base = tqs_tmp_list_nexti;
    uint32_t position = 0;
    for (size_t n = 0; n < 4 * block.size() + 8; n++) {
        const uint8_t choice = schedule[n % schedule.size()];
        const uint32_t before = position;
        switch (choice % 8) {
        case 0: read_float(block, position, 32); break;
        case 1: read_float(block, position, choice & 8 ? 64 : 80); break;
        case 2: read_integer64<int64_t>(block, position); break;
        case 3: read_integer64<uint64_t>(block, position); break;
        case 4:
        case 5: {
            static const uint32_t sizes[] = {8, 16, 32, 1, 64, 0, 7, 0x1FF};
            read_small_integer(block, position, sizes[(choice >> 3) % 8] | (choice & 0x80 ? TYPE_UNSIGNED : 0));
            break;
        }
        default: read_string(block, position, target); break;
        }
        tqs_release_tmp(base, 0);
        if (position >= block.size()) break;
        // A program meets a bad item again on its next READ; step over it to read the rest.
        if (position == before) {
            while (position < block.size() && block[position] != ',') position++;
            if (position < block.size()) position++;
        }
    }
    return 0;
}
