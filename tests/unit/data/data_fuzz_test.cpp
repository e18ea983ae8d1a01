// Randomized inputs with a fixed seed: the DATA reader and the number conversions must never
// crash, read outside the data, or lose their place, and what they produce must be consistent.
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>

#include "data_test_support.h"

namespace {

const char alphabet[] = "0123456789012345678901234567890123456789+-.,,,,EeDdFf&HhOoBb!#%$`~ \"xZ";

std::string random_text(std::mt19937_64 &rng, size_t length) {
    std::string s(length, ' ');
    bool raw = rng() % 4 == 0; // sometimes any byte at all
    for (char &c : s) {
        c = raw ? static_cast<char>(rng() & 0xFF) : alphabet[rng() % (sizeof alphabet - 1)];
    }
    return s;
}

// Reads the whole block with randomly chosen readers, checking where every read leaves the
// position. Items that raise an error are stepped over by hand, as a program never would.
void read_everything(data_block &block, std::mt19937_64 &rng, tqs *target) {
    int reads = 0;
    while (reads++ < 1 << 22) {
        uint32_t start = block.position;
        switch (rng() % 5) {
        case 0: block.read_float(TYPE_SINGLE); break;
        case 1: block.read_float(static_cast<uint32_t>(rng() % 70) | (rng() % 2 ? TYPE_UNSIGNED : 0)); break;
        case 2: block.read_int64(); break;
        case 3: block.read_uint64(); break;
        default: sub_read_string(block.bytes.data(), &block.position, block.size(), target); break;
        }
        ASSERT_LE(block.position, block.size());
        if (new_error == 4) {
            reset_error_state();
            if (start >= block.size()) return;
            ASSERT_EQ(block.position, start); // only a bad quoted string gets here
        } else if (new_error) {
            ASSERT_TRUE(new_error == 2 || new_error == 6) << new_error;
            ASSERT_EQ(block.position, start);
            reset_error_state();
        } else {
            ASSERT_GT(block.position, start);
            continue;
        }
        while (block.position < block.size() && block.bytes[block.position] != ',') block.position++;
        if (block.position < block.size()) block.position++;
    }
    FAIL() << "the reader made no progress";
}

class DataFuzzTest : public DataTest {};

TEST_F(DataFuzzTest, RandomBlocksNeverEscapeTheirData) {
    std::mt19937_64 rng(20250611);
    tqs *target = tqs_new(0, 0);
    for (int round = 0; round < 3000; round++) {
        size_t length = rng() % 64;
        if (round % 500 == 0) length = 1 << 20; // a few blocks of a whole MiB
        data_block block(random_text(rng, length));
        read_everything(block, rng, target);
        if (HasFatalFailure()) break;
    }
    tqs_free(target);
}

TEST_F(DataFuzzTest, DecimalTextOfEveryDoubleReadsBackExactly) {
    std::mt19937_64 rng(7);
    char text[64];
    for (int i = 0; i < 200000; i++) {
        uint64_t bits = rng();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v)) continue;
        // The shortest text that reads back as v has at most 17 digits, all of which the
        // conversion keeps.
        char *end = std::to_chars(text, text + sizeof text - 1, v, std::chars_format::scientific).ptr;
        *end++ = ',';
        std::string item(text, end);
        data_block block(item);
        long double got = block.read_float(TYPE_DOUBLE);
        ASSERT_EQ(new_error, 0u) << item;
        ASSERT_EQ(static_cast<double>(got), v) << item;
        ASSERT_EQ(block.position, block.size());
    }
}

TEST_F(DataFuzzTest, DecimalTextOfEvery64BitIntegerReadsBackExactly) {
    std::mt19937_64 rng(11);
    char text[32];
    for (int i = 0; i < 100000; i++) {
        uint64_t u = rng() >> (rng() % 64);
        int64_t s = static_cast<int64_t>(rng()) >> (rng() % 64);
        char *end = std::to_chars(text, text + sizeof text, u).ptr;
        data_block ublock(std::string(text, end));
        ASSERT_EQ(ublock.read_uint64(), u) << u;
        end = std::to_chars(text, text + sizeof text, s).ptr;
        data_block sblock(std::string(text, end));
        ASSERT_EQ(sblock.read_int64(), s) << s;
        ASSERT_EQ(new_error, 0u);
    }
}

// Checks the shape of a STR$ text and that it names the value to the digits it shows.
void check_str(const std::string &text, double v, int significant, char letter) {
    ASSERT_FALSE(text.empty());
    ASSERT_TRUE(text[0] == ' ' || text[0] == '-') << text;
    ASSERT_EQ(text[0] == '-', std::signbit(v) && v != 0) << text;
    std::string number = text.substr(1);
    int digits = 0;
    bool in_exponent = false;
    for (char &c : number) {
        if (c == letter) {
            c = 'E';
            in_exponent = true;
        } else if (c >= '0' && c <= '9') {
            if (!in_exponent) digits++;
        } else {
            ASSERT_TRUE(c == '.' || (in_exponent && (c == '+' || c == '-'))) << text;
        }
    }
    ASSERT_LE(digits, significant + 1) << text; // a fixed text below 1 can show no more digits
    // No trailing zero after a point, and no point at the end of the digits.
    std::string mantissa = number.substr(0, number.find('E'));
    if (mantissa.find('.') != std::string::npos) {
        ASSERT_NE(mantissa.back(), '0') << text;
    }
    ASSERT_NE(mantissa.back(), '.') << text;
    double back = std::strtod(number.c_str(), nullptr);
    double tolerance = std::fabs(v) * (significant == 7 ? 6E-7 : 6E-15);
    ASSERT_LE(std::fabs(back - std::fabs(v)), tolerance) << text << " for " << v;
}

TEST_F(DataFuzzTest, StrOfRandomFloatingPointValuesIsWellFormed) {
    std::mt19937_64 rng(3);
    for (int i = 0; i < 200000; i++) {
        uint64_t bits = rng();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        uint32_t fbits = static_cast<uint32_t>(bits >> 17);
        float f;
        std::memcpy(&f, &fbits, sizeof f);
        if (std::isfinite(d)) {
            tqs *s = tqs_str(d);
            ASSERT_LE(s->length, 32);
            check_str(std::string(reinterpret_cast<char *>(s->data), static_cast<size_t>(s->length)), d, 16, 'D');
        }
        if (std::isfinite(f)) {
            tqs *s = tqs_str(f);
            ASSERT_LE(s->length, 16);
            check_str(std::string(reinterpret_cast<char *>(s->data), static_cast<size_t>(s->length)),
                      static_cast<double>(f), 7, 'E');
        }
        tqs_release_tmp(base, 0);
        if (HasFatalFailure()) return;
    }
}

} // namespace
