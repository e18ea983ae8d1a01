// The module tqc writes: the demo's form (static-pool variables, descriptors with checked
// subscripts, frames with physical lines, PRINT through makefit and tqs_print), SUBs and FUNCTIONs
// as C++ functions named SUB_ and FUNC_.
#include <gtest/gtest.h>

#include <string>

#include "compile.h"

namespace {

std::string module_of(const std::string &text) {
    tqc::compile_result r = tqc::compile_source("m.bas", text, {});
    EXPECT_TRUE(r.ok) << r.diagnostics;
    return r.module;
}

bool has(const std::string &module, const std::string &piece) { return module.find(piece) != std::string::npos; }

TEST(Generate, MainModuleVariablesComeFromTheStaticPoolAndArraysFromDescriptors) {
    const std::string m = module_of("DIM A(8)\nI = 1\nFRAME& = 2\nA(I) = 3\nPRINT B(2)\n");
    EXPECT_TRUE(has(m, "float *__SINGLE_I = nullptr;"));
    EXPECT_TRUE(has(m, "__SINGLE_I = static_cast<float *>(mem_static_malloc(sizeof(float)));"));
    EXPECT_TRUE(has(m, "int32_t *__LONG_FRAME = nullptr;"));
    EXPECT_TRUE(has(m, "array_descriptor<1> *__ARRAY_SINGLE_A = nullptr;"));
    // B is used without DIM: 0 to 10.
    EXPECT_TRUE(has(m, "tqc::dim(__ARRAY_SINGLE_B, tqc::bounds<1>{{0}, {10}}"));
    EXPECT_TRUE(
        has(m, "tqc::element<float, 1>(__ARRAY_SINGLE_A, {tqc::subscript(static_cast<double>((*__SINGLE_I)))})"));
    EXPECT_TRUE(has(m, "makefit") || has(m, "tqc::print_item"));
    EXPECT_TRUE(has(m, "tqs_release_tmp(base, 0);"));
}

TEST(Generate, ContinuedStatementsAndColonsKeepTheirPhysicalLine) {
    const std::string m = module_of("X = 1 + _\n  2\n\nY = 3: Z = 4\n");
    EXPECT_TRUE(has(m, "tq_statement_frame(1)"));
    EXPECT_FALSE(has(m, "tq_statement_frame(2)"));
    EXPECT_EQ(m.find("tq_statement_frame(4)") != m.rfind("tq_statement_frame(4)"), true);
}

TEST(Generate, SubsAndFunctionsAreFunctionsNamedAfterThem) {
    const std::string m = module_of("CALL Go(1)\nPRINT Twice!(2)\nSUB Go (N)\nEND SUB\nFUNCTION Twice! (V)\n"
                                    "Twice! = V * 2\nEND FUNCTION\n");
    EXPECT_TRUE(has(m, "static void SUB_GO([[maybe_unused]] float &__PARAM_SINGLE_N)"));
    EXPECT_TRUE(has(m, "static float FUNC_TWICE([[maybe_unused]] float &__PARAM_SINGLE_V)"));
    EXPECT_TRUE(has(m, "SUB_GO(tqc::lvalue(float(1.0f)));"));
}

TEST(Generate, SingleArithmeticStaysInFloatAndIntegerArithmeticIsChecked) {
    const std::string m = module_of("A = A + 3\nB% = B% + 1\nC& = C& * 2\nD = 200 / (A + 3)\n");
    EXPECT_TRUE(has(m, "(*__SINGLE_A) = ((*__SINGLE_A) + 3.0f);"));
    EXPECT_TRUE(has(m, "tqc::add<int16_t>((*__INTEGER_B), int16_t(1))"));
    EXPECT_TRUE(has(m, "tqc::mul<int32_t>((*__LONG_C), int32_t(2))"));
    EXPECT_TRUE(has(m, "(200.0f / ((*__SINGLE_A) + 3.0f))"));
}

TEST(Generate, ANamespaceWrapsTheModuleForTestPrograms) {
    tqc::codegen_options o;
    o.namespace_name = "corpus_x";
    tqc::compile_result r = tqc::compile_source("m.bas", "PRINT 1\n", o);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(has(r.module, "namespace corpus_x {"));
}

} // namespace
