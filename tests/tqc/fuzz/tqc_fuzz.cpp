// libFuzzer target for tqc's front end: any byte string is a source text. The front end must
// answer every input (no crash, no hang, no runaway memory: the fuzzer's limits catch those) with
// either diagnostics or a module; a refused program carries at least one error and a module
// carries the main entry and the end of the program. Whether accepted modules compile as C++ is
// checked afterwards by scripts/fuzz_tqc.sh on the corpus the run leaves behind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "compile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    const tqc::compile_result r = tqc::compile_source("fuzz.bas", text, {});
    if (r.ok) {
        if (r.module.find("void TQMAIN(void *)") == std::string::npos || !r.diagnostics.empty()) std::abort();
    } else {
        if (r.diagnostics.empty() || !r.errors.any() || !r.module.empty()) std::abort();
    }
    return 0;
}
