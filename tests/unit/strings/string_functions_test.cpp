#include <cstring>

#include "string_test_support.h"

namespace {

class StringFunctionTest : public StringTest {};

TEST_F(StringFunctionTest, CaseConversionTouchesAsciiLettersOnly) {
    const char bytes[] = "aZ\x80\xe9{@`z";
    tqs *t = heap_temp(std::string(bytes, 8));
    uint8_t *at = t->data;
    tqs *u = tqs_ucase(t);
    EXPECT_EQ(u, t); // a plain heap temporary is converted in place
    EXPECT_EQ(u->data, at);
    EXPECT_EQ(text_of(u), std::string("AZ\x80\xe9{@`Z", 8));
    EXPECT_EQ(text_of(tqs_lcase(u)), std::string("az\x80\xe9{@`z", 8));

    static const char literal[] = "Mixed";
    tqs *l = tqs_new_txt(literal);
    tqs *lower = tqs_lcase(l);
    EXPECT_NE(lower, l);
    EXPECT_EQ(text_of(lower), "mixed");
    EXPECT_STREQ(literal, "Mixed");
    EXPECT_EQ(tqs_record_free[tqs_record_free_n - 1], l); // the literal was consumed
    tqs *v = variable("Var");
    EXPECT_EQ(text_of(tqs_ucase(v)), "VAR");
    EXPECT_EQ(text_of(v), "Var");
    tqs *empty = lit("");
    EXPECT_EQ(tqs_ucase(empty), empty);
    tqs_free(v);
}

TEST_F(StringFunctionTest, LeftAndRightClampTheCountAndCutTemporariesInPlace) {
    tqs *t = heap_temp("abcdef");
    uint8_t *at = t->data;
    EXPECT_EQ(tqs_left(t, 6), t);
    EXPECT_EQ(tqs_left(t, 99), t);
    tqs *r = tqs_right(t, 4);
    EXPECT_EQ(r, t);
    EXPECT_EQ(r->data, at + 2);
    EXPECT_EQ(text_of(r), "cdef");
    EXPECT_EQ(text_of(tqs_left(r, 2)), "cd");
    EXPECT_EQ(tqs_left(r, -3)->length, 0);

    tqs *v = variable("variable");
    tqs *left = tqs_left(v, 3);
    EXPECT_NE(left, v);
    EXPECT_EQ(text_of(left), "var");
    EXPECT_EQ(text_of(tqs_right(v, 4)), "able");
    EXPECT_EQ(text_of(tqs_right(lit("literal"), 3)), "ral");
    EXPECT_EQ(text_of(v), "variable");
    tqs_free(v);
}

TEST_F(StringFunctionTest, MidSelectsFromAOneBasedStart) {
    tqs *v = variable("abcdef");
    EXPECT_EQ(text_of(func_mid(v, 2, 3, 1)), "bcd");
    EXPECT_EQ(text_of(func_mid(v, 4, 0, 0)), "def");
    EXPECT_EQ(text_of(func_mid(v, 5, 10, 1)), "ef");
    EXPECT_EQ(func_mid(v, 1, 6, 1), v); // the whole string is the string itself
    EXPECT_EQ(func_mid(v, 1, 0, 0), v);
    // A start below 1 counts as 1 and shortens the count by the difference.
    EXPECT_EQ(text_of(func_mid(v, 0, 3, 1)), "ab");
    EXPECT_EQ(text_of(func_mid(v, -1, 3, 1)), "a");
    EXPECT_EQ(func_mid(v, -5, 3, 1)->length, 0);
    EXPECT_EQ(func_mid(v, 7, 1, 1)->length, 0);
    EXPECT_EQ(func_mid(v, 2, -1, 1)->length, 0);
    EXPECT_EQ(func_mid(v, INT32_MIN, INT32_MAX, 1)->length, 0);
    tqs *t = heap_temp("123456");
    uint8_t *at = t->data;
    tqs *m = func_mid(t, 3, 2, 1);
    EXPECT_EQ(m, t);
    EXPECT_EQ(m->data, at + 2);
    EXPECT_EQ(text_of(m), "34");
    EXPECT_EQ(text_of(v), "abcdef");
    tqs_free(v);
}

TEST_F(StringFunctionTest, MidStatementOverwritesWithoutChangingTheLength) {
    tqs *v = variable("abcdef");
    sub_mid(v, 2, 0, lit("XYZ"), 0);
    EXPECT_EQ(text_of(v), "aXYZef");
    sub_mid(v, 5, 1, lit("123"), 1);
    EXPECT_EQ(text_of(v), "aXYZ1f");
    sub_mid(v, 6, 0, lit("long text"), 0);
    EXPECT_EQ(text_of(v), "aXYZ1l");
    EXPECT_EQ(new_error, 0u);
    sub_mid(v, 7, 0, lit("?"), 0);
    EXPECT_EQ(new_error, 5u);
    EXPECT_EQ(text_of(v), "aXYZ1l");
    reset_error_state();
    sub_mid(v, 0, 0, lit("?"), 0);
    EXPECT_EQ(new_error, 5u);
    // Pending error: nothing happens.
    sub_mid(v, 1, 0, lit("?"), 0);
    EXPECT_EQ(text_of(v), "aXYZ1l");
    reset_error_state();
    sub_mid(nothingstring, 1, 0, lit("?"), 0);
    EXPECT_EQ(new_error, 0u);
    EXPECT_EQ(nothingstring->length, 0);
    tqs_free(v);
}

TEST_F(StringFunctionTest, TrimsRemoveSpacesOnly) {
    EXPECT_EQ(text_of(tqs_ltrim(heap_temp("  a b \t "))), "a b \t ");
    EXPECT_EQ(text_of(tqs_rtrim(heap_temp("  a b  "))), "  a b");
    EXPECT_EQ(text_of(tqs__trim(lit("   x  "))), "x");
    EXPECT_EQ(tqs__trim(lit("    "))->length, 0);
    tqs *v = variable("as is");
    EXPECT_EQ(tqs__trim(v), v);
    EXPECT_EQ(tqs_ltrim(v), v);
    tqs_free(v);
}

TEST_F(StringFunctionTest, ComparisonsCompareUnsignedBytesThenLength) {
    struct row {
        const char *a, *b;
        int32_t eq, ne, lt, gt, le, ge, cmp;
    };
    const row rows[] = {
        {"", "", -1, 0, 0, 0, -1, -1, 0},       {"", "a", 0, -1, -1, 0, -1, 0, -1},
        {"a", "", 0, -1, 0, -1, 0, -1, 1},      {"abc", "abc", -1, 0, 0, 0, -1, -1, 0},
        {"ab", "abc", 0, -1, -1, 0, -1, 0, -1}, {"abd", "abc", 0, -1, 0, -1, 0, -1, 1},
        {"\xff", "a", 0, -1, 0, -1, 0, -1, 1},  {"B", "a", 0, -1, -1, 0, -1, 0, -1},
    };
    for (const row &r : rows) {
        tqs *a = lit(r.a), *b = lit(r.b);
        SCOPED_TRACE(std::string(r.a) + " vs " + r.b);
        EXPECT_EQ(tqs_equal(a, b), r.eq);
        EXPECT_EQ(tqs_notequal(a, b), r.ne);
        EXPECT_EQ(tqs_lessthan(a, b), r.lt);
        EXPECT_EQ(tqs_greaterthan(a, b), r.gt);
        EXPECT_EQ(tqs_lessorequal(a, b), r.le);
        EXPECT_EQ(tqs_greaterorequal(a, b), r.ge);
        EXPECT_EQ(func__str_compare(a, b), r.cmp);
    }
    EXPECT_EQ(func__str_nc_compare(lit("ABC"), lit("abc")), 0);
    EXPECT_EQ(func__str_nc_compare(lit("B"), lit("a")), 1);
    EXPECT_EQ(func__str_nc_compare(lit("["), lit("a")), -1); // '[' is not folded
    EXPECT_EQ(func__str_nc_compare(lit("ab"), lit("AB ")), -1);
}

TEST_F(StringFunctionTest, AnEmptyKeyResultEqualsTheEmptyLiteral) {
    // The frame loop's test: INKEY$ <> "" with both temporaries freed after the comparison.
    ptrszint mark = tqs_tmp_list_nexti;
    EXPECT_EQ(tqs_release_tmp(mark, tqs_notequal(tqs_new(0, 1), lit(""))), 0);
    tqs *key = tqs_new(1, 1);
    key->data[0] = 'q';
    EXPECT_EQ(tqs_release_tmp(mark, tqs_notequal(key, lit(""))), -1);
    tqs *extended = tqs_new(2, 1);
    extended->data[0] = 0;
    extended->data[1] = 0x48;
    EXPECT_EQ(tqs_release_tmp(mark, tqs_notequal(extended, lit(""))), -1);
    EXPECT_EQ(tqs_tmp_list_nexti, mark);
}

TEST_F(StringFunctionTest, AscAndChrRaiseIllegalFunctionCallOutsideTheirRange) {
    EXPECT_EQ(tqs_asc(lit("\xe9x")), 0xE9);
    EXPECT_EQ(tqs_asc(lit("abc"), 3), 'c');
    EXPECT_EQ(new_error, 0u);
    EXPECT_EQ(tqs_asc(lit("")), 0);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    EXPECT_EQ(tqs_asc(lit("abc"), 4), 0);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();
    EXPECT_EQ(tqs_asc(lit("abc"), 0), 0);
    EXPECT_EQ(new_error, 5u);
    reset_error_state();

    tqs *c = func_chr(0);
    EXPECT_EQ(c->length, 1);
    EXPECT_EQ(c->data[0], 0);
    EXPECT_EQ(func_chr(255)->data[0], 255);
    EXPECT_EQ(new_error, 0u);
    tqs *bad = func_chr(256);
    EXPECT_EQ(new_error, 5u);
    EXPECT_EQ(bad->length, 0);
    EXPECT_EQ(bad->is_temp, 1);
    reset_error_state();
    EXPECT_EQ(func_chr(-1)->length, 0);
    EXPECT_EQ(new_error, 5u);
}

TEST_F(StringFunctionTest, SpaceAndStringRepeatAByte) {
    EXPECT_EQ(text_of(func_space(3)), "   ");
    EXPECT_EQ(func_space(-2)->length, 0);
    EXPECT_EQ(text_of(func_string(4, 0x141)), "AAAA"); // the low byte
    EXPECT_EQ(func_string(-1, 65)->length, 0);
}

TEST_F(StringFunctionTest, InstrFindsTheFirstMatchAtOrAfterTheStart) {
    tqs *text = lit("abcabcab");
    EXPECT_EQ(func_instr(0, text, lit("ca"), 0), 3);
    EXPECT_EQ(func_instr(4, text, lit("ca"), 1), 6);
    EXPECT_EQ(func_instr(7, text, lit("ca"), 1), 0);
    EXPECT_EQ(func_instr(1, text, lit("abd"), 1), 0);
    EXPECT_EQ(func_instr(7, text, lit("ab"), 1), 7);
    EXPECT_EQ(func_instr(8, text, lit("ab"), 1), 0); // no longer fits
    EXPECT_EQ(func_instr(9, text, lit("b"), 1), 0);  // past the end
    EXPECT_EQ(func_instr(-3, text, lit("b"), 1), 2);
    EXPECT_EQ(func_instr(3, text, lit(""), 1), 3);
    EXPECT_EQ(func_instr(0, text, lit(""), 1), 0);
    EXPECT_EQ(func_instr(1, lit(""), lit(""), 1), 0);
    EXPECT_EQ(func_instr(1, text, lit("abcabcabc"), 1), 0);
}

TEST_F(StringFunctionTest, InstrrevFindsTheLastMatchStartingAtOrBeforeTheStart) {
    tqs *text = lit("abcabcab");
    EXPECT_EQ(func__instrrev(0, text, lit("ab"), 0), 7);
    EXPECT_EQ(func__instrrev(6, text, lit("ab"), 1), 4);
    EXPECT_EQ(func__instrrev(3, text, lit("ab"), 1), 1);
    EXPECT_EQ(func__instrrev(99, text, lit("bc"), 1), 5); // beyond the last fit: from there
    EXPECT_EQ(func__instrrev(-1, text, lit("ca"), 1), 6);
    EXPECT_EQ(func__instrrev(1, text, lit("ca"), 1), 0);
    EXPECT_EQ(func__instrrev(0, text, lit("zz"), 0), 0);
    EXPECT_EQ(func__instrrev(4, text, lit(""), 1), 3);
    EXPECT_EQ(func__instrrev(0, text, lit(""), 0), 8);
    EXPECT_EQ(func__instrrev(20, text, lit(""), 1), 8);
    EXPECT_EQ(func__instrrev(1, lit(""), lit(""), 1), 0);
    EXPECT_EQ(func__instrrev(1, lit("ab"), lit("abc"), 1), 0);
}

TEST_F(StringFunctionTest, RuntimeTexts) {
    EXPECT_EQ(text_of(func__errormessage(11, 1)), "Unprintable error");
    EXPECT_EQ(text_of(func__errormessage(315, 1)), "_ASSERT failed (check console for description)");
    EXPECT_EQ(text_of(func__errormessage(316, 1)), "Unprintable error");
    uint32_t saved = error_err;
    error_err = 4;
    EXPECT_EQ(text_of(func__errormessage(9, 0)), "Out of DATA");
    error_err = saved;

    tqs *v = func_varptr_helper(3, 0x1234);
    ASSERT_EQ(v->length, 3);
    EXPECT_EQ(v->data[0], 3);
    EXPECT_EQ(v->data[1], 0x34);
    EXPECT_EQ(v->data[2], 0x12);

    box_recorder boxes(1);
    error(6);
    evnt(40, 7, "lib.bi");
    EXPECT_EQ(text_of(func__inclerrorfile()), "lib.bi");
    error(6);
    evnt(41, 0, nullptr);
    EXPECT_EQ(func__inclerrorfile()->length, 0);
}

} // namespace
