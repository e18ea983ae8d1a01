#include <cfloat>
#include <cmath>
#include <cstring>

#include "data_test_support.h"

namespace {

const char demo_data[] =
    "-1,-1,-1,1,-1,-1,1,1,-1,-1,1,-1,-1,-1,1,1,-1,1,1,1,1,-1,1,1,1,2,2,3,3,4,4,1,5,6,6,7,7,8,8,5,1,5,"
    "2,6,3,7,4,8,";

TEST_F(DataTest, TheDemoBlockReadsAsTheCornerAndEdgeTables) {
    data_block block(demo_data);
    ASSERT_EQ(block.size(), 108u);
    const float corners[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                                 {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
    const float from[12] = {1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4};
    const float to[12] = {2, 3, 4, 1, 6, 7, 8, 5, 5, 6, 7, 8};
    for (int i = 0; i < 8; i++) {
        for (int k = 0; k < 3; k++) EXPECT_EQ(static_cast<float>(block.read_float(TYPE_SINGLE)), corners[i][k]);
    }
    for (int i = 0; i < 12; i++) {
        EXPECT_EQ(static_cast<float>(block.read_float(TYPE_SINGLE)), from[i]);
        EXPECT_EQ(static_cast<float>(block.read_float(TYPE_SINGLE)), to[i]);
    }
    EXPECT_EQ(new_error, 0u);
    EXPECT_EQ(block.position, 108u);
    EXPECT_EQ(block.read_float(TYPE_SINGLE), 0);
    EXPECT_EQ(new_error, 4u);
    EXPECT_EQ(block.position, 108u);
}

TEST_F(DataTest, EveryWayOfWritingAHalfReadsAsAHalf) {
    data_block block(".5,0.5,5E-1,5D-1,+.5,1E2,1.5E,12#,7");
    for (int i = 0; i < 5; i++) EXPECT_EQ(block.read_float(TYPE_SINGLE), 0.5L) << i;
    EXPECT_EQ(block.read_float(TYPE_SINGLE), 100);
    EXPECT_EQ(block.read_float(TYPE_SINGLE), 1.5L); // an exponent without digits adds nothing
    EXPECT_EQ(block.read_float(TYPE_SINGLE), 12);
    EXPECT_EQ(block.read_float(TYPE_SINGLE), 7); // the last item needs no comma
    EXPECT_EQ(block.position, block.size());
    EXPECT_EQ(new_error, 0u);
}

TEST_F(DataTest, PrefixedNumbersNameBits) {
    data_block block("&H10,&O17,&B101,&H,&hff,&HFFFF,&H8000,&HFFFF,&H10000,");
    EXPECT_EQ(block.read_float(TYPE_SINGLE), 16);
    EXPECT_EQ(block.read_float(TYPE_SINGLE), 15);
    EXPECT_EQ(block.read_float(TYPE_SINGLE), 5);
    EXPECT_EQ(block.read_float(TYPE_SINGLE), 0);
    EXPECT_EQ(block.position, 19u); // the comma after &H is consumed
    EXPECT_EQ(block.read_float(8 | TYPE_UNSIGNED), 255);
    // Into a signed target the top bit is the sign.
    EXPECT_EQ(block.read_float(16), -1);
    EXPECT_EQ(block.read_float(16), -32768);
    EXPECT_EQ(block.read_float(16 | TYPE_UNSIGNED), 65535);
    EXPECT_EQ(new_error, 0u);
    uint32_t at = block.position;
    EXPECT_EQ(block.read_float(16), 0);
    EXPECT_EQ(new_error, 6u);
    EXPECT_EQ(block.position, at);
}

TEST_F(DataTest, MalformedItemsAreSyntaxErrorsAndTheReadPositionStaysAtTheItem) {
    const char *items[] = {"1 5,",  "12A,", "&G1,", "--1,",   "1..2,", "1E5E,", "1#2,", "1.5.,",
                           "&H1G,", "&,",   "&",    "&H1#1,", "1-,",   "E5-5,", "+-1,", "\"1\","};
    for (const char *item : items) {
        SCOPED_TRACE(item);
        data_block block(std::string("9,") + item);
        EXPECT_EQ(block.read_float(TYPE_SINGLE), 9);
        EXPECT_EQ(block.read_float(TYPE_SINGLE), 0);
        EXPECT_EQ(new_error, 2u);
        EXPECT_EQ(block.position, 2u);
        reset_error_state();
        EXPECT_EQ(block.read_int64(), 0);
        EXPECT_EQ(new_error, 2u);
        EXPECT_EQ(block.position, 2u);
        reset_error_state();
        EXPECT_EQ(block.read_uint64(), 0u);
        EXPECT_EQ(new_error, 2u);
        EXPECT_EQ(block.position, 2u);
        reset_error_state();
    }
}

TEST_F(DataTest, OddButWellFormedItems) {
    data_block block(",-0,000123,1E0000000000000000000005,E5,12!!,&B,");
    EXPECT_EQ(block.read_float(TYPE_SINGLE), 0); // an empty item is zero
    EXPECT_EQ(block.position, 1u);
    EXPECT_EQ(block.read_float(TYPE_SINGLE), 0);
    EXPECT_FALSE(std::signbit(n_float_value));
    EXPECT_EQ(block.read_float(TYPE_SINGLE), 123);
    EXPECT_EQ(block.read_float(TYPE_SINGLE), 100000);
    EXPECT_EQ(block.read_float(TYPE_SINGLE), 0);
    EXPECT_EQ(block.read_float(TYPE_SINGLE), 12);
    EXPECT_EQ(block.read_float(TYPE_SINGLE), 0);
    EXPECT_EQ(new_error, 0u);
}

TEST_F(DataTest, FloatingPointRanges) {
    struct row {
        const char *item;
        uint32_t type;
        double value;
        bool overflows;
    };
    const row rows[] = {
        {"3.4E38", TYPE_SINGLE, 3.4E38, false},
        {"3.5E38", TYPE_SINGLE, 0, true},
        {"-3.5E38", TYPE_SINGLE, 0, true}, // a SINGLE holds no larger magnitude of either sign
        {"3.5E38", TYPE_DOUBLE, 3.5E38, false},
        {"-3.5E38", TYPE_DOUBLE, -3.5E38, false},
        {"1E309", TYPE_SINGLE, 0, true},
        {"1E309", TYPE_DOUBLE, 0, true},
        {"1E309", TYPE_FLOAT80, 0, true},
        {"1.7976931348623157E308", TYPE_DOUBLE, DBL_MAX, false},
        {"1.79769313486231579999E308", TYPE_DOUBLE, DBL_MAX, false}, // digits past the 17th are dropped
        {"1.7976931348623158E308", TYPE_DOUBLE, 0, true},
        {"1.8E308", TYPE_DOUBLE, 0, true},
        {"1E-400", TYPE_DOUBLE, 0, false},
        {"1E-324", TYPE_DOUBLE, 0, false},
        {"-2.5E-310", TYPE_DOUBLE, -2.5E-310, false},
        {"123456789012345678901234", TYPE_DOUBLE, 1.2345678901234567E23, false},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.item);
        data_block block(std::string("0,") + r.item + ",");
        block.read_float(r.type);
        long double v = block.read_float(r.type);
        EXPECT_EQ(new_error, r.overflows ? 6u : 0u);
        EXPECT_EQ(block.position, r.overflows ? 2u : block.size());
        EXPECT_EQ(v, static_cast<long double>(r.value));
        reset_error_state();
    }
}

TEST_F(DataTest, TooManyDigitsOverflow) {
    std::string digits(256, '1');
    data_block ok(digits + ",");
    EXPECT_NEAR(static_cast<double>(ok.read_float(TYPE_DOUBLE) / 1.111111111111111E255L), 1.0, 1E-15);
    EXPECT_EQ(new_error, 0u);
    data_block block("7," + digits + "1,");
    block.read_float(TYPE_DOUBLE);
    EXPECT_EQ(block.read_float(TYPE_DOUBLE), 0);
    EXPECT_EQ(new_error, 6u);
    EXPECT_EQ(block.position, 2u);
    reset_error_state();
    data_block fraction("0." + std::string(300, '0') + digits + "1,");
    EXPECT_EQ(fraction.read_float(TYPE_DOUBLE), 0);
    EXPECT_EQ(new_error, 6u);
    reset_error_state();
    data_block exponent("1E1234567890123456789,");
    EXPECT_EQ(exponent.read_float(TYPE_DOUBLE), 0);
    EXPECT_EQ(new_error, 6u);
}

struct integer_case {
    uint32_t type;
    const char *item;
    long double value; // ignored when it overflows
    bool overflows;
};

TEST_F(DataTest, IntegerTargetsRoundToEvenAndOverflowAtEveryWidth) {
    const uint32_t U = TYPE_UNSIGNED;
    const integer_case cases[] = {
        {8, "127", 127, false},
        {8, "128", 0, true},
        {8, "-128", -128, false},
        {8, "-129", 0, true},
        {8, "127.5", 0, true}, // ties go to the even 128
        {8, "-128.5", -128, false},
        {8, "126.5", 126, false},
        {8 | U, "255", 255, false},
        {8 | U, "256", 0, true},
        {8 | U, "-1", 0, true},
        {8 | U, "-0.5", 0, false},
        {16, "32767", 32767, false},
        {16, "32768", 0, true},
        {16, "-32768", -32768, false},
        {16, "-32769", 0, true},
        {16 | U, "65535", 65535, false},
        {16 | U, "65536", 0, true},
        {32, "2147483647", 2147483647, false},
        {32, "2147483647.5", 0, true},
        {32, "-2147483648", -2147483648.0L, false},
        {32, "-2147483649", 0, true},
        {32 | U, "4294967295", 4294967295.0L, false},
        {32 | U, "4294967296", 0, true},
        {32, "&HFFFFFFFF", -1, false},
        {32, "&H100000000", 0, true},
        {32, "1E19", 0, true},
        {32, "7.999999", 8, false},
        {32, "-0.5", 0, false},
        {32, "1.5", 2, false},
        {32, "2.5", 2, false},
    };
    for (const integer_case &c : cases) {
        SCOPED_TRACE(c.item);
        data_block block(std::string(c.item) + ",");
        long double v = block.read_float(c.type);
        if (c.overflows) {
            EXPECT_EQ(new_error, 6u);
            EXPECT_EQ(block.position, 0u);
            EXPECT_EQ(v, 0);
        } else {
            EXPECT_EQ(new_error, 0u);
            EXPECT_EQ(v, c.value);
            EXPECT_EQ(block.position, block.size());
        }
        reset_error_state();
    }
}

TEST_F(DataTest, SixtyFourBitReadsRoundHalfAwayFromZero) {
    struct row {
        const char *item;
        int64_t value;
        bool overflows;
    };
    const row signed_rows[] = {
        {"9223372036854775807", INT64_MAX, false},
        {"9223372036854775808", 0, true},
        {"-9223372036854775808", INT64_MIN, false},
        {"-9223372036854775809", 0, true},
        {"9223372036854775806.5", INT64_MAX, false},
        {"9223372036854775807.5", 0, true},
        {"-9223372036854775808.4", INT64_MIN, false},
        {"-9223372036854775808.5", 0, true},
        {"9.2E18", 9200000000000000000, false},
        {"1E19", 0, true},
        {"2.5", 3, false},
        {"-2.5", -3, false},
        {"0.49", 0, false},
        {"-0.5", -1, false},
        {"&HFFFFFFFFFFFFFFFF", -1, false},
        {"&H1FFFFFFFFFFFFFFFF", 0, true},
        {"&O1777777777777777777777", -1, false},
        {"&O2000000000000000000000", 0, true},
    };
    for (const row &r : signed_rows) {
        SCOPED_TRACE(r.item);
        data_block block(std::string(r.item) + ",");
        EXPECT_EQ(block.read_int64(), r.overflows ? 0 : r.value);
        EXPECT_EQ(new_error, r.overflows ? 6u : 0u);
        EXPECT_EQ(block.position, r.overflows ? 0u : block.size());
        reset_error_state();
    }
    struct urow {
        const char *item;
        uint64_t value;
        bool overflows;
    };
    const urow unsigned_rows[] = {
        {"18446744073709551615", UINT64_MAX, false},
        {"18446744073709551616", 0, true},
        {"18446744073709551614.5", UINT64_MAX, false},
        {"18446744073709551615.5", 0, true},
        {"1E20", 0, true},
        {"1.8E19", 18000000000000000000u, false},
        {"-1", 0, true},
        {"-0.4", 0, false},
        {"-0.5", 0, true},
        {"&B", 0, false},
        {"&HFFFFFFFFFFFFFFFF", UINT64_MAX, false},
    };
    for (const urow &r : unsigned_rows) {
        SCOPED_TRACE(r.item);
        data_block block(std::string(r.item) + ",");
        EXPECT_EQ(block.read_uint64(), r.overflows ? 0 : r.value);
        EXPECT_EQ(new_error, r.overflows ? 6u : 0u);
        reset_error_state();
    }
    data_block ones("&B" + std::string(64, '1') + ",&B1" + std::string(64, '0') + ",");
    EXPECT_EQ(ones.read_uint64(), UINT64_MAX);
    EXPECT_EQ(ones.read_uint64(), 0u);
    EXPECT_EQ(new_error, 6u);
}

TEST_F(DataTest, ReadsDoNothingWhileAnErrorIsPending) {
    data_block block("5,");
    error(9);
    EXPECT_EQ(block.read_float(TYPE_SINGLE), 0);
    EXPECT_EQ(block.read_int64(), 0);
    EXPECT_EQ(block.read_uint64(), 0u);
    tqs *v = tqs_new(0, 0);
    sub_read_string(block.bytes.data(), &block.position, block.size(), v);
    EXPECT_EQ(block.position, 0u);
    EXPECT_EQ(v->length, 0);
    EXPECT_EQ(new_error, 9u);
    tqs_free(v);
}

TEST_F(DataTest, StringItemsWithAndWithoutQuotes) {
    data_block block("abc,\"x,y\",,a\"b,\"q\"z,\"open");
    tqs *v = tqs_new(0, 0);
    auto read = [&] {
        sub_read_string(block.bytes.data(), &block.position, block.size(), v);
        return v->length ? std::string(reinterpret_cast<char *>(v->data), static_cast<size_t>(v->length))
                         : std::string();
    };
    EXPECT_EQ(read(), "abc");
    EXPECT_EQ(read(), "x,y");
    EXPECT_EQ(read(), "");
    EXPECT_EQ(read(), "a\"b"); // a quote after other text is an ordinary byte
    EXPECT_EQ(new_error, 0u);
    uint32_t at = block.position;
    EXPECT_EQ(read(), "");
    EXPECT_EQ(new_error, 4u);
    EXPECT_EQ(block.position, at);
    reset_error_state();
    block.position = at + 5;
    EXPECT_EQ(read(), "open"); // an unclosed quote runs to the end of the data
    EXPECT_EQ(block.position, block.size());
    tqs_set(v, tqs_new_txt("kept?"));
    EXPECT_EQ(read(), "");
    EXPECT_EQ(new_error, 4u);
    EXPECT_EQ(block.position, block.size());
    tqs_free(v);
}

TEST_F(DataTest, TheParsedNumberKeepsItsDigitsAndExponent) {
    struct row {
        const char *item;
        const char *digits;
        int64_t exp;
        uint8_t neg;
        int32_t round_up;
    };
    const row rows[] = {
        {"123", "123", 2, 0, 0},  {"0.05", "5", -2, 0, 0}, {"10.5", "105", 1, 0, 1},
        {"-1", "1", 0, 1, 0},     {"-0", "", 0, 0, 0},     {"0.5", "5", -1, 0, 1},
        {"2.45", "245", 0, 0, 0}, {"1E-3", "1", -3, 0, 0}, {"0.000", "", 0, 0, 0},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.item);
        data_block block(r.item);
        EXPECT_EQ(block.parse(), 0);
        EXPECT_STREQ(n_digit, r.digits);
        EXPECT_EQ(n_digits, std::strlen(r.digits));
        EXPECT_EQ(n_exp, r.exp);
        EXPECT_EQ(n_neg, r.neg);
        EXPECT_EQ(n_hex, 0);
        EXPECT_EQ(n_roundincrement(), r.round_up);
    }
    data_block hex("&H00ff,");
    EXPECT_EQ(hex.parse(), 0);
    EXPECT_STREQ(n_digit, "00ff"); // leading zeros count after a prefix
    EXPECT_EQ(n_hex, 1);
    data_block none("");
    EXPECT_EQ(none.parse(), 2);
    EXPECT_EQ(n_inputnumberfromdata(nullptr, &none.position, 10), 2);
}

TEST_F(DataTest, TheParserStopsPastTheByteThatDecidedTheItem) {
    struct row {
        std::string block;
        n_input result;
        uint32_t position;
    };
    const row rows[] = {
        {"12,34", n_input::number, 3},
        {"12", n_input::number, 2},
        {"1 5,", n_input::syntax_error, 2},
        {"12#3,", n_input::syntax_error, 4},
        {"&", n_input::syntax_error, 1},
        {"&,", n_input::syntax_error, 2},
        {"&G1,", n_input::syntax_error, 2},
        {"&H1#1,", n_input::syntax_error, 5},
        {"1E1234567890123456789,", n_input::too_many_digits, 21},
        {std::string(257, '7') + ",", n_input::too_many_digits, 257},
        {"&B" + std::string(257, '1'), n_input::too_many_digits, 259},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(r.block);
        data_block block(r.block);
        EXPECT_EQ(block.parse(), static_cast<int32_t>(r.result));
        EXPECT_EQ(block.position, r.position);
    }
}

TEST(RoundToInt64, RoundsToNearestWithTiesToEven) {
    EXPECT_EQ(round_to_int64(1.5L), 2);
    EXPECT_EQ(round_to_int64(2.5L), 2);
    EXPECT_EQ(round_to_int64(-0.5L), 0);
    EXPECT_EQ(round_to_int64(-1.5L), -2);
    EXPECT_EQ(round_to_int64(7.999999L), 8);
    EXPECT_EQ(round_to_int64(9223372036854775807.0L), INT64_MAX);
    EXPECT_EQ(round_to_int64(-9223372036854775808.0L), INT64_MIN);
    // Above the signed range the unsigned value's bits come back.
    EXPECT_EQ(static_cast<uint64_t>(round_to_int64(9223372036854775808.0L)), uint64_t{1} << 63);
    EXPECT_EQ(static_cast<uint64_t>(round_to_int64(18446744073709551615.0L)), UINT64_MAX);
    EXPECT_EQ(static_cast<uint64_t>(round_to_int64(9223372036854775809.5L)), (uint64_t{1} << 63) + 2);
}

} // namespace
