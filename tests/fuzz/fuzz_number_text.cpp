// STR$ and _TOSTR$ of every numeric type, and the text read back by the number parser: every
// text keeps the form it promises (the sign position, at most 7 or 16 significant digits, no
// trailing zeros, the exponent's letter and digits), and reads back as the value it shows: the
// integer itself, or the double nearest to the value rounded to the digits shown.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_support.h"

namespace {

std::string text_of(const tqs *s) {
    return std::string(reinterpret_cast<const char *>(s->data), static_cast<size_t>(s->length));
}

// Parses `text` as one DATA item; false (after checking that the parser took all of it) when it is
// no number.
bool parse_whole(const std::string &text) {
    uint32_t position = 0;
    const auto size = static_cast<uint32_t>(text.size());
    const int32_t result = n_inputnumberfromdata(reinterpret_cast<const uint8_t *>(text.data()), &position, size);
    FUZZ_CHECK(result == 0 && position == size, "the parser took %u of \"%s\" with result %d", position, text.c_str(),
               result);
    return true;
}

// A signed or unsigned integer's text: STR$ puts a space where a non-negative number's sign
// would be, _TOSTR$ writes the digits alone; both read back as the value.
template <typename T> void integer_round_trip(T value, int32_t longest) {
    const ptrszint base = tqs_tmp_list_nexti;
    const std::string str = text_of(tqs_str(value)), plain = text_of(tqs__tostr(value));
    tqs_release_tmp(base, 0);
    const bool negative = value < 0;
    FUZZ_CHECK(static_cast<int32_t>(str.size()) <= longest && str.size() >= 2 && str[0] == (negative ? '-' : ' ') &&
                   str.compare(negative ? 0 : 1, std::string::npos, plain) == 0,
               "STR$ \"%s\", _TOSTR$ \"%s\"", str.c_str(), plain.c_str());
    parse_whole(plain);
    if constexpr (std::is_signed_v<T>) {
        FUZZ_CHECK(n_int64() && n_int64_value == static_cast<int64_t>(value), "\"%s\" read back as %lld", plain.c_str(),
                   static_cast<long long>(n_int64_value));
    } else {
        FUZZ_CHECK(n_uint64() && n_uint64_value == static_cast<uint64_t>(value), "\"%s\" read back as %llu",
                   plain.c_str(), static_cast<unsigned long long>(n_uint64_value));
    }
}

// The form of a floating-point STR$: sign position, the significant digits (no more than
// `significant`, none of them trailing zeros after the point), and an exponent of the type's
// letter with two digits below 100 and three from there.
void check_float_form(const std::string &text, int significant, char letter) {
    FUZZ_CHECK(text.size() >= 2 && (text[0] == ' ' || text[0] == '-'), "STR$ gave \"%s\"", text.c_str());
    if (text == " NAN" || text == " INF" || text == "-INF") return;
    const size_t e = text.find(letter);
    const std::string mantissa = text.substr(1, e == std::string::npos ? std::string::npos : e - 1);
    int digits = 0;
    bool leading = true;
    for (char c : mantissa) {
        FUZZ_CHECK((c >= '0' && c <= '9') || c == '.', "STR$ gave \"%s\"", text.c_str());
        if (c >= '1' && c <= '9') leading = false;
        if (c >= '0' && c <= '9' && !leading) digits++;
    }
    FUZZ_CHECK(digits <= significant, "STR$ \"%s\" shows %d digits", text.c_str(), digits);
    const size_t point = mantissa.find('.');
    if (point != std::string::npos)
        FUZZ_CHECK(mantissa.back() != '0' && mantissa.back() != '.', "STR$ \"%s\" ends its fraction in '%c'",
                   text.c_str(), mantissa.back());
    if (e == std::string::npos) return;
    const std::string exponent = text.substr(e + 1);
    FUZZ_CHECK(exponent.size() >= 3 && exponent.size() <= 4 && (exponent[0] == '+' || exponent[0] == '-') &&
                   (exponent.size() == 3) == (std::atoi(exponent.c_str() + 1) < 100),
               "STR$ \"%s\" has exponent \"%s\"", text.c_str(), exponent.c_str());
}

// The double nearest to `value` rounded to `digits` significant digits, as C's printf rounds.
double rounded_to(double value, int digits) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*e", digits - 1, value);
    return std::strtod(text, nullptr);
}

// STR$ of a SINGLE (`significant` 7) or a DOUBLE (16) reads back as the double nearest to the
// value rounded to the digits shown. A DOUBLE whose 16th digit is 9 shows 15.
void float_round_trip(double value, const std::string &text, int significant, char letter) {
    check_float_form(text, significant, letter);
    if (!std::isfinite(value)) return;
    int digits = significant;
    if (significant == 16) {
        char sixteen[64];
        std::snprintf(sixteen, sizeof sixteen, "%.15e", value);
        if (sixteen[std::signbit(value) ? 17 : 16] == '9') digits = 15;
    }
    const double expected = rounded_to(value, digits);
    parse_whole(text.substr(text[0] == ' ' ? 1 : 0));
    if (!std::isfinite(expected)) {
        // Rounded up past the largest double: the text names a value no double holds.
        FUZZ_CHECK(n_float() == 0, "STR$ \"%s\" of %.17g read back as %Lg", text.c_str(), value, n_float_value);
        return;
    }
    FUZZ_CHECK(n_float() == 1 && static_cast<double>(n_float_value) == expected,
               "STR$ \"%s\" of %.17g read back as %.17Lg, not %.17g", text.c_str(), value, n_float_value, expected);
}

// _TOSTR$ of a floating-point value: the general format with the precision asked for, no
// leading space, and the type's exponent letter; it reads back as what C's %G shows.
template <typename F> void tostr_round_trip(F value, int32_t digits, int32_t has_digits, int cap, char letter) {
    const ptrszint base = tqs_tmp_list_nexti;
    const std::string text = text_of(tqs__tostr(value, digits, has_digits));
    tqs_release_tmp(base, 0);
    if (has_digits && digits < 0) {
        FUZZ_CHECK(fuzz_settle_error("_TOSTR$") == 5 && text.empty(), "_TOSTR$ with %d digits gave \"%s\"", digits,
                   text.c_str());
        return;
    }
    FUZZ_CHECK(fuzz_settle_error("_TOSTR$") == 0 && !text.empty() && text.size() <= 31 && text[0] != ' ',
               "_TOSTR$ gave \"%s\"", text.c_str());
    const int precision = !has_digits ? cap : digits == 0 ? 1 : std::min(digits, cap);
    char c_text[64];
    std::snprintf(c_text, sizeof c_text, "%.*LG", precision, static_cast<long double>(value));
    std::string expected = c_text;
    const size_t e = expected.rfind('E');
    if (e != std::string::npos) expected[e] = letter;
    FUZZ_CHECK(text == expected, "_TOSTR$ gave \"%s\", %%G \"%s\"", text.c_str(), expected.c_str());
    if (!std::isfinite(value) || precision > 17) return;
    parse_whole(text);
    const double read_back = std::strtod(c_text, nullptr);
    if (std::isinf(read_back)) return; // beyond the doubles: an overflow, as READ reports it
    FUZZ_CHECK(n_float() == 1 && static_cast<double>(n_float_value) == read_back,
               "_TOSTR$ \"%s\" read back as %.17Lg, not %.17g", text.c_str(), n_float_value, read_back);
}

template <typename T> T from_bits(FuzzedDataProvider &in) {
    T value{};
    const std::vector<uint8_t> bytes = in.ConsumeBytes<uint8_t>(sizeof(T));
    if (!bytes.empty()) std::memcpy(&value, bytes.data(), bytes.size());
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz_prepare();
    fuzz_settle_error("the previous input");
    FuzzedDataProvider in(data, size);
    const ptrszint base = tqs_tmp_list_nexti;
    while (in.remaining_bytes() > 0) {
        const uint8_t kind = in.ConsumeIntegral<uint8_t>();
        const int32_t digits = in.ConsumeIntegralInRange<int32_t>(-2, 25), has_digits = kind >> 7;
        switch (kind % 11) {
        case 0: integer_round_trip(from_bits<int64_t>(in), 20); break;
        case 1: integer_round_trip(from_bits<int32_t>(in), 11); break;
        case 2: integer_round_trip(from_bits<int16_t>(in), 6); break;
        case 3: integer_round_trip(from_bits<int8_t>(in), 4); break;
        case 4: integer_round_trip(from_bits<uint64_t>(in), 21); break;
        case 5: integer_round_trip(from_bits<uint32_t>(in), 11); break;
        case 6: integer_round_trip(from_bits<uint16_t>(in), 6); break;
        case 7: integer_round_trip(from_bits<uint8_t>(in), 4); break;
        case 8: {
            const auto value = from_bits<float>(in);
            const std::string text = text_of(tqs_str(value));
            FUZZ_CHECK(text.size() <= 16, "STR$ of a SINGLE gave %zu bytes", text.size());
            float_round_trip(static_cast<double>(value), text, 7, 'E');
            tostr_round_trip(value, digits, has_digits, 7, 'E');
            break;
        }
        case 9: {
            const auto value = from_bits<double>(in);
            const std::string text = text_of(tqs_str(value));
            FUZZ_CHECK(text.size() <= 32, "STR$ of a DOUBLE gave %zu bytes", text.size());
            float_round_trip(value, text, 16, 'D');
            tostr_round_trip(value, digits, has_digits, 16, 'D');
            break;
        }
        default: {
            // An extended value from a double and a scale, so that it may lie beyond the doubles.
            const auto value = std::ldexp(static_cast<long double>(from_bits<double>(in)),
                                          in.ConsumeIntegralInRange<int>(-16000, 16000));
            const std::string text = text_of(tqs_str(value));
            FUZZ_CHECK(text.size() <= 32, "STR$ of a _FLOAT gave %zu bytes", text.size());
            float_round_trip(static_cast<double>(value), text, 16, 'D');
            tostr_round_trip(value, digits, has_digits, 19, 'F');
            break;
        }
        }
        tqs_release_tmp(base, 0);
        fuzz_settle_error("STR$");
    }
    return 0;
}
