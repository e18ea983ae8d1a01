// The front end as one call: source text in, C++ module or diagnostics out.
#pragma once

#include <string>

#include "codegen.h"
#include "source.h"

namespace tqc {

struct compile_result {
    bool ok = false;
    std::string module;      // the C++ main module when ok
    std::string diagnostics; // formatted errors otherwise
    tqc::diagnostics errors;
};

// Larger sources are refused before they are read into tokens.
constexpr size_t max_source_size = 16u * 1024 * 1024;

compile_result compile_source(const std::string &name, const std::string &text, const codegen_options &options);

} // namespace tqc
