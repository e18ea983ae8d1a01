// The built-in functions and the statements that map onto one runtime entry point.
#pragma once

#include <cstddef>
#include <string>

namespace tqc {

// A statement of the form NAME [arg][, arg]...: `call` is the C++ call, with %0..%9 for the
// arguments (0 when left out) and %P for the `passed` bits of the arguments given. `kinds` has
// one letter per argument: i a 32-bit integer, u a colour (32 bits, unsigned), d a double, s a
// string.
struct simple_statement {
    const char *name;
    const char *call;
    const char *kinds;
    size_t min_args;
};

const simple_statement *find_simple_statement(const std::string &name);
// NAME with its suffix, as in "LEFT$".
bool is_builtin_function(const std::string &name);
// Functions of the classic dialect that tqc does not compile.
bool is_unsupported_function(const std::string &name);

} // namespace tqc
