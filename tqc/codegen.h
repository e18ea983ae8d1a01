// Checks the syntax tree (names, types, labels, the use of each statement and function) and
// writes the C++ main module: variables from the static pool behind pointers, arrays behind
// checked descriptors, every statement followed by its statement frame with its source line.
#pragma once

#include <string>

#include "ast.h"

namespace tqc {

struct codegen_options {
    // Wraps the module in this namespace (for test programs that link several modules together).
    std::string namespace_name;
    // The source file's name, for the comment at the top.
    std::string source_name;
};

// The module's text, or an empty string when errors were reported.
std::string generate(program &prog, diagnostics &errors, const codegen_options &options);

} // namespace tqc
