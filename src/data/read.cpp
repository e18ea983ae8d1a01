// READ: takes the next item of a program's DATA block into a numeric or string target.
//
// After a syntax error or an overflow the read position goes back to the start of the bad item,
// so a later READ meets it again; at the end of the data it stays at the end.
#include <cmath>

#include "libtq.h"

namespace {

constexpr int32_t OUT_OF_DATA = 4, SYNTAX_ERROR = 2, OVERFLOW_ERROR = 6;
// The largest magnitude a SINGLE target accepts.
constexpr long double SINGLE_LIMIT = 3.402823466E+38L;

// Raises Overflow and puts the read position back at the start of the item; gives the value a
// failed READ returns.
long double reject_overflow(uint32_t *position, uint32_t start) {
    *position = start;
    error(OVERFLOW_ERROR);
    return 0;
}

// Parses the next item and converts it with `convert` (n_float, n_int64 or n_uint64). Returns
// true when its value is ready; otherwise the error is raised and the position is where the error
// leaves it. `start` receives the position of the item.
bool read_number(const uint8_t *data, uint32_t *position, uint32_t size, int32_t (*convert)(), uint32_t &start) {
    if (new_error) return false;
    start = *position;
    switch (static_cast<n_input>(n_inputnumberfromdata(data, position, size))) {
    case n_input::number:
        if (convert()) return true;
        break;
    case n_input::no_item: error(OUT_OF_DATA); return false;
    case n_input::syntax_error:
        *position = start;
        error(SYNTAX_ERROR);
        return false;
    case n_input::too_many_digits: break;
    }
    reject_overflow(position, start);
    return false;
}

} // namespace

long double func_read_float(const uint8_t *data, uint32_t *position, uint32_t size, uint32_t type) {
    uint32_t start;
    if (!read_number(data, position, size, n_float, start)) return 0;
    long double value = n_float_value;
    uint32_t bits = type & TYPE_SIZE_MASK;
    if (type & TYPE_FLOAT) {
        if (bits >= 64) return value;
        // A SINGLE holds no larger magnitude, whichever the sign.
        if (std::fabs(value) > SINGLE_LIMIT) return reject_overflow(position, start);
        return value;
    }
    const long double two63 = std::ldexp(1.0L, 63);
    if (value < -two63 || value > two63) return reject_overflow(position, start);
    if (bits > 64) bits = 64;
    // The same rounding as round_to_int64, kept in extended precision for the range test.
    long double d = std::nearbyint(value);
    bool whole_range = (type & TYPE_UNSIGNED) || n_hex;
    long double low = whole_range ? 0.0L : -std::ldexp(1.0L, static_cast<int>(bits) - 1);
    long double high = whole_range ? std::ldexp(1.0L, static_cast<int>(bits)) - 1 : -low - 1;
    if (d < low || d > high) return reject_overflow(position, start);
    // A prefixed number names bits: into a signed target its top bit is the sign.
    if (n_hex && !(type & TYPE_UNSIGNED) && d >= std::ldexp(1.0L, static_cast<int>(bits) - 1))
        d -= std::ldexp(1.0L, static_cast<int>(bits));
    return d;
}

int64_t func_read_int64(const uint8_t *data, uint32_t *position, uint32_t size) {
    uint32_t start;
    return read_number(data, position, size, n_int64, start) ? n_int64_value : 0;
}

uint64_t func_read_uint64(const uint8_t *data, uint32_t *position, uint32_t size) {
    uint32_t start;
    return read_number(data, position, size, n_uint64, start) ? n_uint64_value : 0;
}

void sub_read_string(const uint8_t *data, uint32_t *position, uint32_t size, tqs *target) {
    if (new_error || !target) return;
    uint32_t start = *position;
    if (!data || start >= size) {
        error(OUT_OF_DATA);
        tqs_set(target, tqs_new_txt_len(nullptr, 0));
        return;
    }
    uint32_t pos = start;
    uint32_t from, to;
    if (data[pos] == '"') {
        // Commas inside the quotes belong to the text.
        from = ++pos;
        while (pos < size && data[pos] != '"') pos++;
        to = pos;
        if (pos < size) pos++; // the closing quote
        if (pos < size) {
            if (data[pos] != ',') {
                *position = start;
                error(OUT_OF_DATA);
                tqs_set(target, tqs_new_txt_len(nullptr, 0));
                return;
            }
            pos++;
        }
    } else {
        from = pos;
        while (pos < size && data[pos] != ',') pos++;
        to = pos;
        if (pos < size) pos++;
    }
    *position = pos;
    tqs_set(target, tqs_new_txt_len(reinterpret_cast<const char *>(data + from), static_cast<int32_t>(to - from)));
}

int64_t round_to_int64(long double x) {
    const long double two63 = std::ldexp(1.0L, 63);
    if (x > 9223372036854775807.0L)
        return static_cast<int64_t>(static_cast<uint64_t>(std::llrint(x - two63)) | (uint64_t{1} << 63));
    return std::llrint(x);
}
