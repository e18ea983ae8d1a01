// Builds the syntax tree from the tokens. Errors are reported with their position and the parser
// goes on with the next statement, so that one run reports every error it can find.
#pragma once

#include "ast.h"
#include "lexer.h"

namespace tqc {

program parse(const std::vector<token> &tokens, diagnostics &errors);

// Statements of the classic dialect that tqc does not compile: a program that uses one is told so
// by name.
bool is_unsupported_statement(const std::string &name);

} // namespace tqc
