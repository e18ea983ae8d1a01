// The syntax tree of a program: expressions, statements, SUB and FUNCTION definitions and the
// program's DATA, as the parser builds it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "source.h"
#include "types.h"

namespace tqc {

enum class expr_kind { number, string, name, call, unary, binary };

struct expr;
using expr_ptr = std::unique_ptr<expr>;

struct expr {
    expr_kind kind = expr_kind::number;
    position at;
    std::string text;                      // name (upper case), operator, literal text or string bytes
    type_kind suffix = type_kind::none;    // a name's suffix, or a number's type
    type_kind deftype = type_kind::single; // the DEFtype default at this place, for names without suffix
    double number = 0;
    int64_t integer = 0;
    std::vector<expr_ptr> args; // call arguments, operands
    bool empty_parens = false;  // NAME(): a whole array passed to a SUB
    bool parenthesized = false; // (X): a copy, never a reference to X
    int depth = 1;              // levels of operators below and including this one
};

enum class stmt_kind {
    assign,     // target = value
    mid_assign, // MID$(target, start[, n]) = value
    print,
    if_,
    select,
    for_,
    do_,   // DO ... LOOP, WHILE ... WEND
    exit,  // name: FOR, DO, SUB, FUNCTION
    goto_, // name: label
    gosub, // name: label
    return_,
    on_jump, // ON n GOTO/GOSUB labels
    call,    // a user SUB
    simple,  // a statement of the built-in table (name: keyword), with optional arguments
    line,
    pset, // name: PSET or PRESET
    circle,
    view,
    view_print,
    window,
    dim,
    shared,
    swap,
    read,
    restore,
    randomize,
    end,
    system,
    data,    // DATA: no work, its items go into the program's data
    nothing, // DECLARE, DEFtype, CONST (handled when met), an empty statement
    const_,
};

struct stmt;
using stmt_ptr = std::unique_ptr<stmt>;
using block = std::vector<stmt_ptr>;

struct print_item {
    enum kind_t { value, tab, spc, comma, semicolon } kind = value;
    expr_ptr e;
};

struct case_test {
    enum kind_t { value, range, is } kind = value;
    std::string op; // for IS
    expr_ptr a, b;
};

struct case_clause {
    position at;
    bool is_else = false;
    std::vector<case_test> tests;
    block body;
};

struct conditional { // IF / ELSEIF branch
    position at;
    expr_ptr condition;
    block body;
};

struct dim_item {
    position at;
    std::string name;
    type_kind suffix = type_kind::none;
    type_kind as_type = type_kind::none;
    type_kind deftype = type_kind::single;
    bool is_array = false;
    std::vector<expr_ptr> lower, upper; // lower[k] null for the default of 0
};

struct stmt {
    stmt_kind kind = stmt_kind::nothing;
    position at;
    std::vector<std::string> labels; // labels and line numbers that name this statement
    std::string name;
    std::vector<expr_ptr> args;        // arguments (null for an omitted optional one)
    expr_ptr target, value;            // assignment, FOR variable/start, SELECT/ON selector, DO condition
    expr_ptr finish, step;             // FOR
    block body, else_body;             // IF, FOR, DO, WHILE
    std::vector<conditional> branches; // IF and ELSEIF
    std::vector<case_clause> cases;    // SELECT CASE
    std::vector<print_item> items;     // PRINT
    std::vector<dim_item> dims;        // DIM, SHARED
    std::vector<std::string> targets;  // ON GOTO/GOSUB labels
    std::vector<position> target_at;
    int32_t flags = 0;   // statement-specific: see the parser
    bool shared = false; // DIM SHARED
    position end_at;     // LOOP, NEXT, WEND
};

// DO loops: where the condition stands and what it asks.
constexpr int32_t LOOP_TEST_TOP = 1, LOOP_TEST_BOTTOM = 2, LOOP_UNTIL = 4;
// LINE: which parts were given (the runtime's `passed` bits) and the box mode in `step`'s place.
// PSET/PRESET/CIRCLE: bit 1 STEP.

struct parameter {
    position at;
    std::string name;
    type_kind suffix = type_kind::none;
    type_kind as_type = type_kind::none;
    type_kind deftype = type_kind::single;
    bool is_array = false;
    bool by_val = false;
};

struct procedure {
    position at;
    bool is_function = false;
    std::string name;
    type_kind suffix = type_kind::none;
    type_kind as_type = type_kind::none;
    type_kind deftype = type_kind::single;
    std::vector<parameter> params;
    block body;
    position end_at;
};

struct data_statement {
    position at;
    size_t token_order; // place in the program's text, to find the DATA after a label
    std::string raw;
};

struct label_place {
    std::string name;
    position at;
    size_t token_order;
    const procedure *owner; // null for the main module
};

struct program {
    block main;
    std::vector<std::unique_ptr<procedure>> procedures;
    std::vector<data_statement> data;
    std::vector<label_place> labels;
    position end_at;
};

} // namespace tqc
