// What a module compiled by tqc needs beyond the runtime's entry points: the dialect's integer
// arithmetic with its overflow and division errors, conversions that round to even, array
// storage behind descriptors, the numeric and string functions the runtime leaves to compiled
// code (LEN, VAL, HEX$, OCT$, CSRLIN, the math functions), PRINT's TAB and SPC, and the seams
// through which a headless runner keeps END and the timed waits from blocking.
//
// Everything runs on the program thread. Every helper that fails raises the runtime error with
// error() and returns a harmless value, as the runtime's own statements do.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

#include "libtq.h"

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace tqc {

// ---- statements that wait or end -----------------------------------------------------------------

// A headless runner sets these: END would wait for a key and SLEEP for the clock. Null in a real
// program, which then calls the runtime. `end` must not return.
struct run_hooks {
    void (*end)() = nullptr;
    void (*sleep)(int32_t seconds, int32_t passed) = nullptr;
    void (*delay)(double seconds) = nullptr;
    void (*limit)(double rate) = nullptr;
};
inline run_hooks hooks;

// END and the end of the main module: "Press any key to continue", a key, the orderly end.
[[noreturn]] inline void end_statement() {
    if (hooks.end) hooks.end();
    sub_end();
}
// SYSTEM: the orderly end at once, without the last key.
[[noreturn]] inline void system_statement() {
    if (hooks.end) hooks.end();
    close_program = 1;
    end();
}
inline void sleep_statement(int32_t seconds, int32_t passed) {
    if (hooks.sleep)
        hooks.sleep(seconds, passed);
    else
        sub_sleep(seconds, passed);
}
inline void delay_statement(double seconds) {
    if (hooks.delay)
        hooks.delay(seconds);
    else
        sub__delay(seconds);
}
inline void limit_statement(double rate) {
    if (hooks.limit)
        hooks.limit(rate);
    else
        sub__limit(rate);
}

// Division by zero in the program's own arithmetic (\ and MOD). The runtime's error(11) is the
// path of the processor's division fault, which ends the program at once without naming a line;
// here the error is an ordinary one, reported by the statement frame with its line like any other.
inline void division_by_zero() {
    if (new_error) return;
    libtq_log(LOGLEVEL_ERROR, LOGSCOPE_LIBTQ, __FILE__, __func__, __LINE__, "ZORV Error %d reported: %s", 11,
              error_text(11));
    new_error = 11;
    tqevent = 1;
}

// ---- integer arithmetic ------------------------------------------------------------------------------
// INTEGER, LONG and _INTEGER64 arithmetic stays in its type; a result that does not fit raises
// error 6 (Overflow) and gives 0. Division by zero raises error 11.

template <typename T> inline T add(T a, T b) {
    T result;
    if (__builtin_add_overflow(a, b, &result)) [[unlikely]] {
        error(6);
        return 0;
    }
    return result;
}
template <typename T> inline T sub(T a, T b) {
    T result;
    if (__builtin_sub_overflow(a, b, &result)) [[unlikely]] {
        error(6);
        return 0;
    }
    return result;
}
template <typename T> inline T mul(T a, T b) {
    T result;
    if (__builtin_mul_overflow(a, b, &result)) [[unlikely]] {
        error(6);
        return 0;
    }
    return result;
}
template <typename T> inline T neg(T a) {
    if (a == std::numeric_limits<T>::min()) [[unlikely]] {
        error(6);
        return 0;
    }
    return static_cast<T>(-a);
}
// `\`: the quotient truncated toward zero.
template <typename T> inline T idiv(T a, T b) {
    if (b == 0) [[unlikely]] {
        division_by_zero();
        return 0;
    }
    if (b == -1) return neg(a);
    return static_cast<T>(a / b);
}
// MOD: the remainder takes the sign of the dividend.
template <typename T> inline T imod(T a, T b) {
    if (b == 0) [[unlikely]] {
        division_by_zero();
        return 0;
    }
    if (b == -1) return 0;
    return static_cast<T>(a % b);
}
template <typename T> inline T iabs(T a) { return a < 0 ? neg(a) : a; }

// Relations and logical results: -1 for true, 0 for false.
inline int16_t truth(bool b) { return b ? int16_t(-1) : int16_t(0); }

// ---- conversions -------------------------------------------------------------------------------------

// Rounds to the nearest integer, ties to even (the processor's rounding mode of the program
// thread). The caller has checked that the value lies within the 64-bit range.
inline int64_t round_even(double v) {
#if defined(__x86_64__)
    return _mm_cvtsd_si64(_mm_set_sd(v));
#else
    return static_cast<int64_t>(std::nearbyint(v));
#endif
}

// A floating-point value to an integer type: rounded to even; outside the type's range (or not a
// number) error 6 and 0.
template <typename T> inline T to_int(double v) {
    if (!(v > -9223372036854775808.0 && v < 9223372036854775808.0)) [[unlikely]] {
        if (v == -9223372036854775808.0 && sizeof(T) == 8) return std::numeric_limits<T>::min();
        error(6);
        return 0;
    }
    const int64_t r = round_even(v);
    if (r < static_cast<int64_t>(std::numeric_limits<T>::min()) ||
        r > static_cast<int64_t>(std::numeric_limits<T>::max())) [[unlikely]] {
        error(6);
        return 0;
    }
    return static_cast<T>(r);
}
// A wider integer to a narrower one: error 6 when it does not fit.
template <typename T, typename S> inline T narrow(S v) {
    if (v < static_cast<S>(std::numeric_limits<T>::min()) || v > static_cast<S>(std::numeric_limits<T>::max()))
        [[unlikely]] {
        error(6);
        return 0;
    }
    return static_cast<T>(v);
}

// An array subscript: floating-point subscripts round to even; anything outside 32 bits fails the
// bounds check that follows.
inline int64_t subscript(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return std::numeric_limits<int32_t>::min();
    return round_even(v);
}
inline int64_t subscript(int64_t v) { return v; }

// ---- numeric functions -------------------------------------------------------------------------------

// `^`: a negative base with a fractional exponent raises error 5.
template <typename T> inline T power(T a, T b) {
    if (a < 0 && std::floor(b) != b) {
        error(5);
        return 0;
    }
    return static_cast<T>(std::pow(static_cast<double>(a), static_cast<double>(b)));
}
template <typename T> inline T sqr(T v) {
    if (v < 0) {
        error(5);
        return 0;
    }
    return std::sqrt(v);
}
template <typename T> inline T log(T v) {
    if (v <= 0) {
        error(5);
        return 0;
    }
    return std::log(v);
}
template <typename T> inline int16_t sgn(T v) { return v > 0 ? int16_t(1) : v < 0 ? int16_t(-1) : int16_t(0); }

// ---- strings -----------------------------------------------------------------------------------------
// Operands are left to the statement's clean-up, as the comparisons leave theirs.

inline int32_t len(tqs *s) { return s->length; }

// A new temporary holding `n` bytes of `text`.
inline tqs *text_temp(const char *text, size_t n) {
    tqs *s = tqs_new(static_cast<int32_t>(n), 1);
    if (n) std::memcpy(s->data, text, n);
    return s;
}

// HEX$ and OCT$ of the value's own width: INTEGER gives at most 4 hex digits, LONG 8.
template <typename U> inline tqs *radix_text(U v, unsigned shift) {
    char buffer[24];
    size_t n = 0;
    const U mask = static_cast<U>((1u << shift) - 1);
    do {
        buffer[sizeof buffer - 1 - n++] = "0123456789ABCDEF"[v & mask];
        v = static_cast<U>(v >> shift);
    } while (v != 0);
    return text_temp(buffer + sizeof buffer - n, n);
}
inline tqs *hex(int16_t v) { return radix_text(static_cast<uint16_t>(v), 4); }
inline tqs *hex(int32_t v) { return radix_text(static_cast<uint32_t>(v), 4); }
inline tqs *hex(int64_t v) { return radix_text(static_cast<uint64_t>(v), 4); }
inline tqs *oct(int16_t v) { return radix_text(static_cast<uint16_t>(v), 3); }
inline tqs *oct(int32_t v) { return radix_text(static_cast<uint32_t>(v), 3); }
inline tqs *oct(int64_t v) { return radix_text(static_cast<uint64_t>(v), 3); }

// VAL: the number at the start of the text. Blanks anywhere are skipped; the number ends at the
// first byte that cannot continue it; "D" marks a double-precision exponent like "E"; &H, &O and
// &B prefixes read hexadecimal, octal and binary, up to 4 digits as an INTEGER, up to 8 as a LONG.
inline double val(const tqs *s) {
    std::string text;
    for (int32_t i = 0; i < s->length; i++) {
        const char c = static_cast<char>(s->data[i]);
        if (c != ' ' && c != '\t' && c != '\n') text.push_back(c);
    }
    if (text.size() >= 2 && text[0] == '&') {
        const char kind = static_cast<char>(text[1] & ~0x20);
        const unsigned shift = kind == 'H' ? 4 : kind == 'O' ? 3 : kind == 'B' ? 1 : 0;
        if (shift == 0) return 0;
        uint64_t value = 0;
        size_t digits = 0;
        for (size_t i = 2; i < text.size() && digits < 64; i++, digits++) {
            char c = text[i];
            unsigned d = c >= '0' && c <= '9'                       ? unsigned(c - '0')
                         : (c & ~0x20) >= 'A' && (c & ~0x20) <= 'F' ? unsigned((c & ~0x20) - 'A' + 10)
                                                                    : 99;
            if (d >= (1u << shift)) break;
            value = (value << shift) | d;
        }
        const unsigned bits = static_cast<unsigned>(digits) * shift;
        if (bits <= 16) return static_cast<int16_t>(static_cast<uint16_t>(value));
        if (bits <= 32) return static_cast<int32_t>(static_cast<uint32_t>(value));
        return static_cast<double>(static_cast<int64_t>(value));
    }
    // The longest prefix that reads as a decimal number, with D accepted as the exponent letter.
    size_t n = 0;
    if (n < text.size() && (text[n] == '+' || text[n] == '-')) n++;
    size_t digits = 0;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9') n++, digits++;
    if (n < text.size() && text[n] == '.') {
        n++;
        while (n < text.size() && text[n] >= '0' && text[n] <= '9') n++, digits++;
    }
    if (digits == 0) return 0;
    if (n < text.size() && ((text[n] & ~0x20) == 'E' || (text[n] & ~0x20) == 'D')) {
        size_t e = n + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-')) e++;
        if (e < text.size() && text[e] >= '0' && text[e] <= '9') {
            text[n] = 'E';
            n = e;
            while (n < text.size() && text[n] >= '0' && text[n] <= '9') n++;
        }
    }
    text.resize(n);
    return std::strtod(text.c_str(), nullptr);
}

// STRING$(n, text): n copies of the first byte of the text (error 5 for an empty text).
inline tqs *string_of(int32_t n, tqs *text) {
    if (text->length == 0) {
        error(5);
        return tqs_new(0, 1);
    }
    return func_string(n, text->data[0]);
}

// ---- screen ------------------------------------------------------------------------------------------

// CSRLIN: the cursor row of the write page.
inline int16_t csrlin() { return static_cast<int16_t>(write_page->cursor_y); }

// PRINT's items: each is set into the statement's string, fitted and printed. False once an error
// is pending, which ends the statement.
inline bool print_item(tqs *local, tqs *value) {
    tqs_set(local, value);
    if (new_error) return false;
    makefit(local);
    tqs_print(local, 0);
    return !new_error;
}
// A number prints as its STR$ text and one space.
template <typename T> inline tqs *number_text(T value) { return tqs_add(tqs_str(value), tqs_new_txt_len(" ", 1)); }
// TAB(n): spaces up to column n, on the next line when the cursor is already past it.
inline void print_tab(int32_t column) {
    const int32_t width =
        write_page->text ? write_page->width
                         : write_page->width / (font_width_of(write_page->font) ? font_width_of(write_page->font) : 1);
    if (column < 1) column = 1;
    if (width > 0 && column > width) column = (column - 1) % width + 1;
    if (func_pos(0) > column) newline();
    while (!new_error && func_pos(0) < column) print_bytes(reinterpret_cast<const uint8_t *>(" "), 1, 0);
}
// SPC(n): n spaces.
inline void print_spc(int32_t count) {
    for (int32_t i = 0; i < count && !new_error; i++) print_bytes(reinterpret_cast<const uint8_t *>(" "), 1, 0);
}

// ---- arrays ------------------------------------------------------------------------------------------
// Every array lives behind a descriptor: slots last dimension first, the first subscript varying
// fastest. Element storage is cleared; string elements each hold an empty string.

// Storage for the descriptor and the elements: the static pool for the main module's arrays,
// which live as long as the program, the heap for arrays local to a SUB call.
enum class storage { static_pool, heap };

template <int N> struct bounds {
    int64_t lo[N];
    int64_t hi[N];
};

// Makes the array or raises an error: 9 for an upper bound below the lower one, 7 when the elements
// would not fit in memory. `is_string` fills string elements.
template <int N>
inline array_descriptor<N> *dim(array_descriptor<N> *a, const bounds<N> &b, size_t element_size, bool is_string,
                                storage where) {
    if (a->data) {
        error(10); // Duplicate definition: the array exists already
        return a;
    }
    uint64_t total = 1;
    for (int k = 0; k < N; k++) {
        if (b.hi[k] < b.lo[k] || b.lo[k] < INT32_MIN || b.hi[k] > INT32_MAX) {
            error(9);
            return a;
        }
        total *= static_cast<uint64_t>(b.hi[k] - b.lo[k] + 1);
        if (total > (uint64_t(1) << 28)) {
            error(7);
            return a;
        }
    }
    const size_t bytes = static_cast<size_t>(total) * element_size;
    void *data = where == storage::static_pool ? mem_static_malloc(bytes ? bytes : 8) : std::malloc(bytes ? bytes : 8);
    if (!data) {
        error(7);
        return a;
    }
    std::memset(data, 0, bytes);
    if (is_string)
        for (uint64_t i = 0; i < total; i++) static_cast<tqs **>(data)[i] = tqs_new(0, 0);
    int32_t multiplier = 1;
    for (int k = 0; k < N; k++) {
        const int32_t count = static_cast<int32_t>(b.hi[k] - b.lo[k] + 1);
        a->dim[N - 1 - k] = array_dimension{static_cast<int32_t>(b.lo[k]), count, multiplier, 0};
        multiplier *= count;
    }
    a->flags = ARRAY_FLAG_ALLOCATED | (where == storage::static_pool ? ARRAY_FLAG_STATIC : 0);
    a->lock = new_mem_lock();
    a->lock->type = 4;
    a->data = data;
    return a;
}

// A new empty descriptor from the static pool (main module) or the heap (SUB call).
template <int N> inline array_descriptor<N> *descriptor(storage where) {
    void *p = where == storage::static_pool ? mem_static_malloc(sizeof(array_descriptor<N>))
                                            : std::malloc(sizeof(array_descriptor<N>));
    auto *a = static_cast<array_descriptor<N> *>(p);
    *a = array_descriptor<N>{};
    return a;
}

// The offset of an element: each subscript less its lower bound, checked against its count. A bad
// subscript raises error 9 and names the first element.
template <int N> inline ptrszint offset(const array_descriptor<N> *a, const int64_t (&s)[N]) {
    ptrszint index = 0;
    for (int k = 0; k < N; k++) {
        const array_dimension &d = a->dim[N - 1 - k];
        const ptrszint i =
            array_check(static_cast<uint32_t>(s[k]) - static_cast<uint32_t>(d.lbound), static_cast<uptrszint>(d.count));
        if (i == 0 && static_cast<uint32_t>(s[k]) - static_cast<uint32_t>(d.lbound) != 0) return 0;
        index += i * d.multiplier;
    }
    return index;
}

// The element named by the subscripts. An array not made yet (a DIM with computed bounds that has
// not run) raises error 9 and gives a scratch element.
template <typename T, int N> inline T &element(array_descriptor<N> *a, const int64_t (&s)[N]) {
    if (!a->data) [[unlikely]] {
        error(9);
        if constexpr (std::is_same_v<T, tqs *>) {
            static tqs *scratch_string = tqs_new(0, 0);
            return scratch_string;
        } else {
            static T scratch;
            scratch = T{};
            return scratch;
        }
    }
    return static_cast<T *>(a->data)[offset(a, s)];
}

// Releases an array of a SUB call: its string elements, its storage and its descriptor.
template <int N> inline void release(array_descriptor<N> *a, bool is_string) {
    if (!a) return;
    if (a->data) {
        if (is_string) {
            uint64_t total = 1;
            for (int k = 0; k < N; k++) total *= static_cast<uint64_t>(a->dim[k].count);
            for (uint64_t i = 0; i < total; i++) tqs_free(static_cast<tqs **>(a->data)[i]);
        }
        std::free(a->data);
        free_mem_lock(a->lock);
    }
    std::free(a);
}

// A SUB's local array, released when the call returns however it returns.
template <int N> struct local_array {
    array_descriptor<N> *a;
    bool is_string;
    explicit local_array(bool strings) : a(descriptor<N>(storage::heap)), is_string(strings) {}
    ~local_array() { release(a, is_string); }
    local_array(const local_array &) = delete;
    local_array &operator=(const local_array &) = delete;
};

// A SUB's local string (or a by-value string argument), freed when it goes out of scope.
struct local_string {
    tqs *s = tqs_new(0, 0);
    local_string() = default;
    ~local_string() { tqs_free(s); }
    local_string(const local_string &) = delete;
    local_string &operator=(const local_string &) = delete;
};

// GOSUB's return points within one SUB or the main module. A RETURN with none raises error 3.
struct return_stack {
    std::vector<int32_t> points;
    bool push(int32_t point) {
        if (points.size() >= 65536) {
            error(7);
            return false;
        }
        points.push_back(point);
        return true;
    }
    int32_t pop() {
        if (points.empty()) {
            error(3);
            return 0;
        }
        const int32_t point = points.back();
        points.pop_back();
        return point;
    }
};

// RESTORE and READ: the program's DATA block and its read position.
struct data_block {
    const uint8_t *bytes;
    uint32_t size;
    uint32_t position;
};

template <typename T> inline T read_number(data_block &d) {
    if constexpr (std::is_same_v<T, float> || std::is_same_v<T, double>) {
        const uint32_t type = std::is_same_v<T, float> ? TYPE_SINGLE : (TYPE_FLOAT | 0x08C00000u | 64u);
        return static_cast<T>(func_read_float(d.bytes, &d.position, d.size, type));
    } else if constexpr (std::is_same_v<T, int64_t>) {
        return func_read_int64(d.bytes, &d.position, d.size);
    } else {
        const uint32_t type = 8 * sizeof(T);
        return static_cast<T>(static_cast<int64_t>(func_read_float(d.bytes, &d.position, d.size, type)));
    }
}

} // namespace tqc

namespace tqc {

// A by-value argument bound to a SUB's reference parameter: the temporary lives until the end of
// the statement's expression that holds the call.
template <typename T> inline T &lvalue(T &&v) { return v; }

// A by-value string argument: a copy the SUB may change, freed after the call.
struct string_arg {
    tqs *s;
    explicit string_arg(tqs *value) : s(tqs_new(0, 0)) { tqs_set(s, value); }
    ~string_arg() { tqs_free(s); }
    string_arg(const string_arg &) = delete;
    string_arg &operator=(const string_arg &) = delete;
};

// SWAP of two strings: their values change places, wherever the records live.
inline void swap_strings(tqs *a, tqs *b) {
    tqs *keep = tqs_new(0, 0);
    tqs_set(keep, a);
    tqs_set(a, b);
    tqs_set(b, keep);
    tqs_free(keep);
}

// A FUNCTION's string result handed to the caller as a temporary.
inline tqs *string_result(tqs *value) {
    tqs *out = tqs_new(0, 1);
    tqs_set(out, value);
    return out;
}

} // namespace tqc
