#include "compile.h"

#include "lexer.h"
#include "parser.h"

namespace tqc {

compile_result compile_source(const std::string &name, const std::string &text, const codegen_options &options) {
    compile_result result;
    source_file source(name, text.size() > max_source_size ? std::string() : text);
    if (text.size() > max_source_size) {
        result.errors.error({1, 1}, "the program is larger than " + std::to_string(max_source_size / 1048576) + " MiB");
    } else {
        std::vector<token> tokens = lex(source, result.errors);
        program prog = parse(tokens, result.errors);
        codegen_options o = options;
        if (o.source_name.empty()) o.source_name = name;
        // Names and types are checked even after syntax errors, so that one run reports both.
        std::string module = generate(prog, result.errors, o);
        if (!result.errors.any()) {
            result.module = std::move(module);
            result.ok = true;
        }
    }
    if (!result.ok) result.diagnostics = result.errors.format(source);
    return result;
}

} // namespace tqc
