// tqc's own time to compile a program of 2,000 lines (lexer, parser, checks and generation of the
// C++ module, in the process), then the same program through the tqc program: the module written
// to a file, and the whole build of the executable, whose difference is the C++ compiler's and the
// linker's time. The program is generated: a main module that draws, prints, loops and selects,
// and SUBs and FUNCTIONs that it calls, in blocks of a dozen lines each of a different kind.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "compile.h"

namespace {

namespace fs = std::filesystem;

// Each block of source lines is a template in which `@` stands for the block's number, which makes
// its names its own; `~` stands for a small number that varies from block to block.
const char *const block_templates[] = {
    R"(FOR I@ = 1 TO 10 STEP 2
    T@# = T@# + I@ * 1.5 - (I@ MOD 3)
    IF T@# > 100 THEN T@# = T@# / 2 ELSE T@# = T@# + 1
NEXT I@
PRINT "Total"; T@#, INT(T@#)
W@% = (~ \ 7) + (~ MOD 5) * 3
IF W@% = 0 THEN
    PRINT "zero"
ELSEIF W@% < 10 THEN
    PRINT "small"; W@%
ELSE
    PRINT "large"; W@%
END IF
)",
    R"(S@$ = "block" + STR$(~)
PRINT LEFT$(S@$, 3); MID$(S@$, 2, 4); RIGHT$(S@$, 2); LEN(S@$)
SELECT CASE ~ MOD 4
    CASE 0: PRINT "none"
    CASE 1, 2: PRINT UCASE$(S@$)
    CASE IS > 2: PRINT LCASE$(S@$)
    CASE ELSE: PRINT
END SELECT
C@& = 0
DO WHILE C@& < 5
    C@& = C@& + 1
LOOP
PRINT HEX$(C@& * 255); " "; CHR$(65 + C@&)
)",
    R"(LINE (~, 10)-(200, 150), 4
LINE (5, 5)-(~, 40), 4, B
LINE (30, 30)-(60, 60), 2, BF
CIRCLE (160, 100), ~, 14
PSET (~, 50), 9
PRESET (10, 10)
P@ = POINT(10, 10)
FOR Y@ = 0 TO 20
    PSET (Y@, Y@ * 2), Y@ MOD 16
NEXT
COLOR 7
LOCATE 2, 3
PRINT TAB(5); "x"; SPC(3); P@
)",
    // With the next block: its GOSUB reaches the label there, and it calls a SUB and a FUNCTION
    // of its own (procedure_template).
    R"(Twice@ ~
Z@ = Square@(~ / 4)
PRINT Z@
WHILE Z@ > 1
    Z@ = SQR(Z@)
WEND
PRINT U@%
A@(1) = Z@: A@(2) = A@(1) * 2
SWAP A@(1), A@(2)
PRINT A@(1); A@(2); ABS(-Z@); SGN(Z@)
R@ = RND * 10 + SIN(Z@) + COS(Z@) + ATN(1)
PRINT CINT(R@), CLNG(R@ * 1000), FIX(-R@)
GOSUB Helper@
GOTO Skip@
PRINT "never"
Helper@:
    PRINT "helper"; ~
    RETURN
Skip@:
D@ = 0
DO
    D@ = D@ + 1
    IF D@ = 3 THEN EXIT DO
LOOP UNTIL D@ > 10
M@$ = STRING$(3, "*") + SPACE$(2) + LTRIM$(STR$(D@))
PRINT M@$; INSTR(M@$, "*"); ASC(M@$); VAL("12.5") + ~
)",
    R"(Q@% = ~
Q@% = Q@% * 2 + 1
E@& = Q@% * 1000& \ 3
F@# = E@& / 7# + 0.5
G@! = CSNG(F@#) ^ 2
PRINT Q@%; E@&; F@#; G@!
IF Q@% > 10 AND E@& < 100000 OR NOT (G@! = 0) THEN PRINT "yes"
H@ = (Q@% XOR 5) + (Q@% EQV 3) + (Q@% IMP 1)
PRINT H@; EXP(1); LOG(10); TAN(0.5); OCT$(Q@%)
ON (Q@% MOD 2) + 1 GOTO On@a, On@b
On@a:
On@b:
PRINT CSRLIN; POS(0); TIMER > 0
)",
};

const char *const procedure_template = R"(SUB Twice@ (V)
    SHARED A@()
    A@(0) = V * 2
END SUB
FUNCTION Square@ (V)
    Square@ = V * V
END FUNCTION
)";

std::string instance(const char *pattern, int k) {
    std::string text;
    for (const char *c = pattern; *c; c++) {
        if (*c == '@')
            text += std::to_string(k);
        else if (*c == '~')
            text += std::to_string(5 + k % 97);
        else
            text += *c;
    }
    return text;
}

int line_count(const std::string &text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

std::string program_of(int wanted_lines) {
    std::string arrays, main = "SCREEN 13\n_TITLE \"generated\"\nRANDOMIZE 1\n", procedures, tail = "END\n";
    const int kinds = static_cast<int>(std::size(block_templates));
    for (int k = 0; line_count(arrays) + line_count(main) + line_count(procedures) + 1 < wanted_lines; k++) {
        main += instance(block_templates[k % kinds], k);
        if (k % kinds == 3) {
            arrays += instance("DIM SHARED A@(10)\n", k);
            procedures += instance(procedure_template, k);
        }
    }
    return arrays + main + tail + procedures;
}

const std::string &program() {
    static const std::string text = program_of(2000);
    return text;
}

// The front end in the process.
void BM_TqcFrontEnd2000Lines(benchmark::State &state) {
    const std::string &text = program();
    size_t module_bytes = 0;
    for (auto _ : state) {
        const tqc::compile_result r = tqc::compile_source("generated.bas", text, {});
        if (!r.ok) {
            state.SkipWithError(("the generated program is refused:\n" + r.diagnostics.substr(0, 2000)).c_str());
            return;
        }
        module_bytes = r.module.size();
        benchmark::DoNotOptimize(r.module.data());
    }
    state.counters["lines"] = line_count(text);
    state.counters["module_bytes"] = static_cast<double>(module_bytes);
}
BENCHMARK(BM_TqcFrontEnd2000Lines)->Unit(benchmark::kMillisecond);

// The tqc program: `what` is "--emit-cpp" for the module alone, "" for the executable.
void run_tqc(benchmark::State &state, const std::string &what) {
    const fs::path dir = fs::temp_directory_path() /
                         ("bench_tqc_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(dir);
    const fs::path source = dir / "generated.bas";
    std::ofstream(source) << program();
    const std::string command = std::string(TQC_PATH) + " " + what + " " + source.string() + " -o " +
                                (dir / (what.empty() ? "generated" : "generated.cpp")).string();
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError(("failed: " + command).c_str());
            break;
        }
    }
    fs::remove_all(dir);
}
void BM_TqcEmitCpp2000Lines(benchmark::State &state) { run_tqc(state, "--emit-cpp"); }
void BM_TqcBuildExecutable2000Lines(benchmark::State &state) { run_tqc(state, ""); }
BENCHMARK(BM_TqcEmitCpp2000Lines)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TqcBuildExecutable2000Lines)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace
