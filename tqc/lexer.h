// Splits the program's text into tokens: names with their type suffixes, numbers, strings,
// operators, statement separators and line ends. Comments, line continuations and the raw text of
// DATA statements are handled here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "source.h"
#include "types.h"

namespace tqc {

enum class tok {
    name,     // text: upper-case name; suffix: its type suffix or none
    number,   // text as written; number: the value; suffix: the literal's type
    string,   // text: the bytes between the quotes
    op,       // text: + - * / \ ^ = < > <= >= <> ( ) , ; ? #
    colon,    // ':' between statements
    data,     // text: the raw items of a DATA statement
    end_line, // the end of a physical line (after continuations)
    end_file,
};

struct token {
    tok kind = tok::end_file;
    position at;
    std::string text;
    type_kind suffix = type_kind::none; // names and numbers
    double number = 0;                  // numbers
    int64_t integer = 0;                // numbers of an integer type
    bool line_start = false;            // the first token of a line
};

// Never fails: bytes that start no token become diagnostics.
std::vector<token> lex(const source_file &source, diagnostics &errors);

} // namespace tqc
