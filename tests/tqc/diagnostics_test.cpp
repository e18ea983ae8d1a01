// Bad programs: every diagnostic with its exact message and position, and the report of several
// errors in one run.
#include <gtest/gtest.h>

#include <string>

#include "compile.h"

namespace {

std::string first_error(const std::string &text) {
    tqc::compile_result r = tqc::compile_source("bad.bas", text, {});
    if (r.ok) return "compiled";
    const tqc::diagnostic &d = r.errors.list().front();
    return std::to_string(d.at.line) + ":" + std::to_string(d.at.column) + ": " + d.message;
}

struct bad_program {
    const char *text;
    const char *error;
};

TEST(Diagnostics, EachBadProgramGetsItsMessageAndPosition) {
    const bad_program cases[] = {
        {"PRINT \"abc\n", "1:7: string without its closing quote"},
        {"X = 1 @ 2\n", "1:7: unexpected character '@'"},
        {"INPUT A\n", "1:1: INPUT is not supported"},
        {"OPEN \"f\" FOR INPUT AS #1\n", "1:1: OPEN is not supported"},
        {"LINE INPUT A$\n", "1:1: LINE INPUT is not supported"},
        {"PRINT USING \"#\"; 1\n", "1:7: PRINT USING is not supported"},
        {"X = INPUT$(1)\n", "1:5: INPUT$ is not supported"},
        {"ON ERROR GOTO 10\n", "1:1: ON ERROR is not supported"},
        {"RANDOMIZE\n", "1:1: RANDOMIZE needs a seed: RANDOMIZE without one asks for input, which is not supported"},
        {"X = \n", "1:5: expected a value at the end of the line"},
        {"X = (1 + 2\n", "1:11: expected ')' at the end of the line"},
        {"PRINT 1 +\n", "1:10: expected a value at the end of the line"},
        {"FOR I = 1 TO 3\nPRINT I\n", "1:1: FOR without NEXT"},
        {"NEXT I\n", "1:1: NEXT without FOR"},
        {"DO\nPRINT 1\n", "1:1: DO without LOOP"},
        {"LOOP\n", "1:1: LOOP without DO"},
        {"WHILE 1\n", "1:1: WHILE without WEND"},
        {"IF 1 THEN\nPRINT 1\n", "1:1: IF without END IF"},
        {"END IF\n", "1:1: END IF without IF"},
        {"SELECT CASE 1\nCASE 1\n", "1:1: SELECT CASE without END SELECT"},
        {"FOR I = 1 TO 2\nNEXT J\n", "2:6: NEXT J closes FOR I"},
        {"GOTO Nowhere\n", "1:6: no label NOWHERE"},
        {"A: PRINT 1\nA: PRINT 2\n", "2:1: the label A is defined twice"},
        {"X$ = 1\n", "1:6: type mismatch: INTEGER where STRING is expected"},
        {"X = \"a\"\n", "1:5: type mismatch: STRING where SINGLE is expected"},
        {"PRINT \"a\" + 1\n", "1:11: type mismatch: STRING + INTEGER"},
        {"PRINT \"a\" * \"b\"\n", "1:11: type mismatch: * does not apply to strings"},
        {"X% = 40000\n", "1:6: overflow: the value does not fit INTEGER"},
        {"PRINT 99999999999999999999%\n", "1:7: the number 99999999999999999999 does not fit INTEGER"},
        {"PRINT LEFT$(\"a\")\n", "1:7: LEFT$ takes 2 arguments, not 1"},
        {"LOCATE 1, 2, 3, 4, 5, 6\n", "1:1: LOCATE takes 0 to 5 arguments, not 6"},
        {"PCOPY 1\n", "1:1: PCOPY takes 2 arguments, not 1"},
        {"Frob 1, 2\n", "1:1: no SUB named FROB"},
        {"SUB S (A)\nEND SUB\nS 1, 2\n", "3:1: S takes 1 argument, not 2"},
        {"SUB S (A%)\nEND SUB\nB! = 1: S B!\n", "3:11: parameter type mismatch: SINGLE passed to A, which is INTEGER"},
        {"SUB S\nEND SUB\nX = S\n", "3:5: S is a SUB, which gives no value"},
        {"SUB S\nEND SUB\nSUB S\nEND SUB\n", "3:1: a SUB or FUNCTION named S is already defined"},
        {"SUB S\nEXIT FUNCTION\nEND SUB\n", "2:1: EXIT FUNCTION outside a FUNCTION"},
        {"EXIT FOR\n", "1:1: EXIT FOR outside a FOR loop"},
        {"SUB S\nL: PRINT\nEND SUB\nGOTO L\n", "4:6: the label L is in the SUB or FUNCTION S, out of reach from here"},
        {"SUB S\n", "1:1: SUB without END SUB"},
        {"IF 1 THEN\nSUB S\nEND SUB\nEND IF\n", "2:1: SUB must stand at the module level, outside any block"},
        {"DIM A(10)\nDIM A(5)\n", "2:5: the array A is already dimensioned"},
        {"A(1) = 2\nDIM A(5)\n", "2:5: the array A is used before its DIM"},
        {"DIM A(5)\nX = A(1, 2)\n", "2:5: the array A has 1 dimension, not 2"},
        {"DIM A(5 TO 1)\n", "1:12: the upper bound is below the lower bound"},
        {"DIM A(100000, 100000)\n", "1:5: the array A is too large"},
        {"X = 1\nDIM X AS LONG\n", "2:5: X is used before its DIM gives it the type LONG"},
        {"DIM X AS FLOAT\n", "1:10: unknown type FLOAT"},
        {"DIM S AS STRING * 5\n", "1:17: fixed-length strings are not supported"},
        {"CONST C = X\n", "1:11: the value of CONST C must be a constant"},
        {"CONST C = 1\nC = 2\n", "2:1: the constant C cannot be assigned"},
        {"DEFINT 1\n", "1:8: expected a letter before 1"},
        {"X = 1 2\n", "1:7: expected the end of the statement before 2"},
        {"SWAP A$, B\n", "1:10: type mismatch: SWAP of STRING and SINGLE"},
        {"CASE 1\n", "1:1: CASE without SELECT CASE"},
        {"SELECT CASE 1\nCASE ELSE\nCASE 2\nEND SELECT\n", "3:1: CASE after CASE ELSE"},
        {"X = 1: RETURN 10\n", "1:15: RETURN to a label is not supported"},
        {"SLEEP \"a\"\n", "1:7: type mismatch: a string where a number is expected"},
        {"_TITLE 5\n", "1:8: type mismatch: INTEGER where a string is expected"},
        {"LINE (1, 2)-(3, 4), 5, X\n", "1:24: expected B or BF before 'X'"},
        {"PRINT FOO$\n", "compiled"},
    };
    for (const bad_program &c : cases) EXPECT_EQ(first_error(c.text), c.error) << c.text;
}

TEST(Diagnostics, OneRunReportsEveryErrorItCanFind) {
    tqc::compile_result r = tqc::compile_source("many.bas",
                                                "PRINT 1 +\n"
                                                "INPUT X\n"
                                                "GOTO Missing\n"
                                                "X$ = 5\n",
                                                {});
    ASSERT_FALSE(r.ok);
    ASSERT_EQ(r.errors.list().size(), 4u);
    EXPECT_EQ(r.errors.list()[0].at.line, 1);
    EXPECT_EQ(r.errors.list()[1].at.line, 2);
    EXPECT_EQ(r.errors.list()[2].at.line, 3);
    EXPECT_EQ(r.errors.list()[3].at.line, 4);
}

TEST(Diagnostics, FormatNamesFileLineAndColumnWithTheLineAndACaret) {
    tqc::compile_result r = tqc::compile_source("p.bas", "X = 1\n  Y = 2 +\n", {});
    ASSERT_FALSE(r.ok);
    EXPECT_EQ(r.diagnostics, "p.bas:2:10: error: expected a value at the end of the line\n"
                             "   Y = 2 +\n"
                             "          ^\n");
}

TEST(Diagnostics, AFloodOfErrorsIsCutShort) {
    std::string text;
    for (int i = 0; i < 500; i++) text += "INPUT X\n";
    tqc::compile_result r = tqc::compile_source("flood.bas", text, {});
    EXPECT_EQ(r.errors.count(), 500u);
    EXPECT_EQ(r.errors.list().size(), tqc::diagnostics::limit);
    EXPECT_NE(r.diagnostics.find("400 more errors not shown"), std::string::npos);
}

} // namespace
