#include <cmath>
#include <limits>

#include "string_test_support.h"

namespace {

class NumberTextTest : public StringTest {};

template <typename T> std::string str(T value) { return text_of(tqs_str(value)); }

TEST_F(NumberTextTest, WorkedExamples) {
    EXPECT_EQ(str(int32_t{0}), " 0");
    EXPECT_EQ(str(int32_t{42}), " 42");
    EXPECT_EQ(str(int32_t{-7}), "-7");
    EXPECT_EQ(str(uint8_t{255}), " 255");
    EXPECT_EQ(str(0.0f), " 0");
    EXPECT_EQ(str(-0.0f), " 0");
    EXPECT_EQ(str(1.5f), " 1.5");
    EXPECT_EQ(str(-0.5f), "-.5");
    EXPECT_EQ(str(0.001f), " .001");
    EXPECT_EQ(str(100.0f), " 100");
    EXPECT_EQ(str(1234567.0f), " 1234567");
    EXPECT_EQ(str(12345678.0f), " 1.234568E+07");
    EXPECT_EQ(str(10000000.0f), " 1E+07");
    EXPECT_EQ(str(1.0f / 3.0f), " .3333333");
    EXPECT_EQ(str(2.0f / 3.0f), " .6666667");
    EXPECT_EQ(str(0.0000001f), " .0000001");
    EXPECT_EQ(str(0.00000001f), " 1E-08");
    EXPECT_EQ(str(0.00000015f), " 1.5E-07");
    EXPECT_EQ(str(3.14159265f), " 3.141593");
    EXPECT_EQ(str(1E+38f), " 1E+38");
    EXPECT_EQ(str(0.1), " .1");
    EXPECT_EQ(str(0.1 + 0.2), " .3");
    EXPECT_EQ(str(1.0 / 3.0), " .3333333333333333");
    EXPECT_EQ(str(1E+15), " 1000000000000000");
    EXPECT_EQ(str(1E+16), " 1D+16");
    EXPECT_EQ(str(1.5E-17), " 1.5D-17");
    EXPECT_EQ(str(1E+100), " 1D+100");
    EXPECT_EQ(str(1.9999999999999998), " 2");
    EXPECT_EQ(str(0.9999999999999999), " 1");
}

TEST_F(NumberTextTest, IntegersHaveASignPositionAndNoPadding) {
    EXPECT_EQ(str(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
    EXPECT_EQ(str(std::numeric_limits<int64_t>::max()), " 9223372036854775807");
    EXPECT_EQ(str(std::numeric_limits<uint64_t>::max()), " 18446744073709551615");
    EXPECT_EQ(str(std::numeric_limits<int32_t>::min()), "-2147483648");
    EXPECT_EQ(str(std::numeric_limits<uint32_t>::max()), " 4294967295");
    EXPECT_EQ(str(int16_t{-32768}), "-32768");
    EXPECT_EQ(str(uint16_t{65535}), " 65535");
    EXPECT_EQ(str(int8_t{-128}), "-128");
    EXPECT_EQ(str(int8_t{0}), " 0");
    EXPECT_EQ(str(uint64_t{0}), " 0");
    EXPECT_EQ(str(int64_t{1000}), " 1000");
}

TEST_F(NumberTextTest, ResultsAreHeapTemporariesWithTheirTypesRoom) {
    ptrszint sp = tqs_heap_sp;
    tqs *s = tqs_str(int32_t{5});
    EXPECT_EQ(s->is_temp, 1);
    EXPECT_EQ(s->is_readonly, 0);
    EXPECT_EQ(s->data, tqs_heap + sp);
    EXPECT_EQ(tqs_heap_sp, sp + 11 + 32); // room for the longest LONG text
    tqs *d = tqs_str(2.5);
    EXPECT_EQ(tqs_heap_sp, (d->data - tqs_heap) + 32 + 32);
    tqs *f = tqs_str(2.5f);
    EXPECT_EQ(tqs_heap_sp, (f->data - tqs_heap) + 16 + 32);
}

TEST_F(NumberTextTest, FloatingPointNotationSwitchesAtTheDigitLimits) {
    EXPECT_EQ(str(123.456f), " 123.456");
    EXPECT_EQ(str(-1234567.0f), "-1234567");
    EXPECT_EQ(str(0.1f), " .1");
    EXPECT_EQ(str(-0.25f), "-.25");
    EXPECT_EQ(str(1.401298E-45f), " 1.401298E-45");
    EXPECT_EQ(str(-3.402823E+38f), "-3.402823E+38");
    // 16 digits stay fixed; the 17th integer digit switches to exponent notation.
    EXPECT_EQ(str(1234567890123456.0), " 1234567890123456");
    EXPECT_EQ(str(123456789012345678.0), " 1.234567890123457D+17");
    EXPECT_EQ(str(-1.5E-17), "-1.5D-17");
    EXPECT_EQ(str(1E-100), " 1D-100");
    EXPECT_EQ(str(1.5E+300), " 1.5D+300");
    EXPECT_EQ(str(0.0000000000000001), " .0000000000000001");
    EXPECT_EQ(str(0.00000000000000001), " 1D-17");
    EXPECT_EQ(str(-0.0), " 0");
    // A 16th digit of 9 is dropped by rounding to 15 digits.
    EXPECT_EQ(str(1.000000000000009), " 1.00000000000001");
    // _FLOAT values are shown as DOUBLE.
    EXPECT_EQ(str(0.1L), " .1");
    EXPECT_EQ(str(1E+16L), " 1D+16");
}

TEST_F(NumberTextTest, NonFiniteValuesShowAWord) {
    EXPECT_EQ(str(std::numeric_limits<double>::infinity()), " INF");
    EXPECT_EQ(str(-std::numeric_limits<float>::infinity()), "-INF");
    EXPECT_EQ(str(std::numeric_limits<double>::quiet_NaN()), " NAN");
    EXPECT_EQ(str(1E+4000L), " INF");
}

TEST_F(NumberTextTest, ToStrIsPlainText) {
    EXPECT_EQ(text_of(tqs__tostr(int32_t{42})), "42");
    EXPECT_EQ(text_of(tqs__tostr(int32_t{-42})), "-42");
    EXPECT_EQ(text_of(tqs__tostr(int8_t{0})), "0");
    EXPECT_EQ(text_of(tqs__tostr(std::numeric_limits<int64_t>::min())), "-9223372036854775808");
    EXPECT_EQ(text_of(tqs__tostr(std::numeric_limits<uint64_t>::max())), "18446744073709551615");

    EXPECT_EQ(text_of(tqs__tostr(1.5f)), "1.5");
    EXPECT_EQ(text_of(tqs__tostr(3.14159f, 0, 1)), "3"); // 0 digits count as 1
    EXPECT_EQ(text_of(tqs__tostr(3.14159f, 3, 1)), "3.14");
    EXPECT_EQ(text_of(tqs__tostr(3.14159f, 20, 1)), "3.14159"); // capped at 7
    EXPECT_EQ(text_of(tqs__tostr(12345678.0f)), "1.234568E+07");
    EXPECT_EQ(text_of(tqs__tostr(0.0001)), "0.0001");
    EXPECT_EQ(text_of(tqs__tostr(0.00001)), "1D-05");
    EXPECT_EQ(text_of(tqs__tostr(-1E+20)), "-1D+20");
    EXPECT_EQ(text_of(tqs__tostr(1.0 / 3.0)), "0.3333333333333333");
    EXPECT_EQ(text_of(tqs__tostr(1E-5L)), "1F-05");
    EXPECT_EQ(text_of(tqs__tostr(2.0L / 3.0L)), "0.6666666666666666667");
    EXPECT_EQ(new_error, 0u);

    tqs *bad = tqs__tostr(1.5, -1, 1);
    EXPECT_EQ(new_error, 5u);
    EXPECT_EQ(bad->length, 0);
    EXPECT_EQ(bad->is_readonly, 1);
    EXPECT_EQ(bad->is_temp, 1);
}

} // namespace
