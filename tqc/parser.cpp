#include "parser.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <set>

namespace tqc {

namespace {

// Words the dialect reserves for statements and operators: never variables, and never labels.
const std::set<std::string> &keywords() {
    static const std::set<std::string> words = {
        "AND",      "AS",           "BYVAL",     "CALL",    "CASE",   "CIRCLE", "CLS",      "COLOR",   "CONST",
        "DATA",     "DECLARE",      "DEFDBL",    "DEFINT",  "DEFLNG", "DEFSNG", "DEFSTR",   "DIM",     "DO",
        "ELSE",     "ELSEIF",       "END",       "EQV",     "EXIT",   "FOR",    "FUNCTION", "GOSUB",   "GOTO",
        "IF",       "IMP",          "IS",        "LET",     "LINE",   "LOCATE", "LOOP",     "MOD",     "NEXT",
        "NOT",      "ON",           "OR",        "PALETTE", "PCOPY",  "PRESET", "PRINT",    "PSET",    "RANDOMIZE",
        "READ",     "RESTORE",      "RETURN",    "SCREEN",  "SELECT", "SHARED", "SLEEP",    "STEP",    "SUB",
        "SWAP",     "SYSTEM",       "THEN",      "TO",      "UNTIL",  "USING",  "VIEW",     "WEND",    "WHILE",
        "WIDTH",    "WINDOW",       "XOR",       "_TITLE",  "_DELAY", "_LIMIT", "_DEST",    "_SOURCE", "_FREEIMAGE",
        "_DISPLAY", "_AUTODISPLAY", "_KEYCLEAR", "_FONT",   "STATIC", "TYPE",   "OPTION"};
    return words;
}

const std::set<std::string> &unsupported() {
    static const std::set<std::string> words = {
        "INPUT",         "OPEN",         "CLOSE",        "WRITE",       "GET",         "PUT",          "PAINT",
        "DRAW",          "SOUND",        "PLAY",         "BEEP",        "REDIM",       "ERASE",        "OPTION",
        "KILL",          "NAME",         "SHELL",        "CHAIN",       "COMMON",      "DEF",          "TYPE",
        "FIELD",         "LSET",         "RSET",         "POKE",        "OUT",         "WAIT",         "KEY",
        "STRIG",         "PEN",          "STOP",         "RESUME",      "ERROR",       "STATIC",       "CHDIR",
        "MKDIR",         "RMDIR",        "FILES",        "LPRINT",      "SEEK",        "LOCK",         "UNLOCK",
        "ENVIRON",       "CLEAR",        "RUN",          "BLOAD",       "BSAVE",       "DEFSEG",       "IOCTL",
        "TRON",          "TROFF",        "ABSOLUTE",     "INTERRUPT",   "_FULLSCREEN", "_PUTIMAGE",    "_MOUSEHIDE",
        "_MOUSESHOW",    "_SNDPLAY",     "_PRINTSTRING", "_SETALPHA",   "_CLEARCOLOR", "_SCREENMOVE",  "_ICON",
        "_PALETTECOLOR", "_COPYPALETTE", "_PRINTMODE",   "_BLEND",      "_DONTBLEND",  "_MAPTRIANGLE", "_RESIZE",
        "_FPS",          "_SCREENHIDE",  "_SCREENSHOW",  "_CONTROLCHR", "_BLINK",      "_SCREENICON",  "_EXIT",
        "RANDOM",        "ENDIF"};
    return words;
}

bool block_end_word(const std::string &w) {
    return w == "ELSE" || w == "ELSEIF" || w == "CASE" || w == "NEXT" || w == "LOOP" || w == "WEND";
}

constexpr int max_depth = 200;

class parser {
  public:
    parser(const std::vector<token> &tokens, diagnostics &errors) : t_(tokens), errors_(errors) {
        def_.fill(type_kind::single);
    }

    program run() {
        while (!is(tok::end_file)) {
            block b;
            parse_block(b, true);
            for (auto &s : b) prog_.main.push_back(std::move(s));
            if (pending_next_ > 0) {
                close_unmatched_next();
                continue;
            }
            if (is(tok::end_file)) break;
            // A block end that no open block takes.
            const token &w = cur();
            failed_ = false;
            if (w.text == "END")
                error_at(w.at, "END " + ahead(1).text + " without " + ahead(1).text);
            else
                error_at(w.at, w.text + " without " + opener_of(w.text));
            skip_statement();
        }
        prog_.end_at = cur().at;
        return std::move(prog_);
    }

  private:
    const std::vector<token> &t_;
    diagnostics &errors_;
    size_t i_ = 0;
    program prog_;
    std::array<type_kind, 26> def_;
    procedure *owner_ = nullptr; // the SUB or FUNCTION being parsed
    int depth_ = 0;
    bool failed_ = false;  // an error was reported in the current statement
    int pending_next_ = 0; // variables of a NEXT still to close enclosing FOR loops
    std::vector<position> pending_next_at_;

    // ---- tokens -------------------------------------------------------------------------------------

    const token &cur() const { return t_[i_]; }
    const token &ahead(size_t k) const { return t_[std::min(i_ + k, t_.size() - 1)]; }
    bool is(tok k) const { return cur().kind == k; }
    bool at_op(const char *op) const { return cur().kind == tok::op && cur().text == op; }
    bool at_word(const char *w) const {
        return cur().kind == tok::name && cur().suffix == type_kind::none && cur().text == w;
    }
    bool at_word_with(const char *w, type_kind s) const {
        return cur().kind == tok::name && cur().suffix == s && cur().text == w;
    }
    bool word_ahead(size_t k, const char *w) const {
        const token &x = ahead(k);
        return x.kind == tok::name && x.suffix == type_kind::none && x.text == w;
    }
    void next() {
        if (i_ + 1 < t_.size()) i_++;
    }
    bool accept_op(const char *op) {
        if (!at_op(op)) return false;
        next();
        return true;
    }
    bool accept_word(const char *w) {
        if (!at_word(w)) return false;
        next();
        return true;
    }
    bool end_of_statement() const { return is(tok::colon) || is(tok::end_line) || is(tok::end_file); }
    // Single-line IF: ELSE also ends a statement.
    bool single_line_ = false;
    bool statement_ends() const { return end_of_statement() || (single_line_ && at_word("ELSE")); }

    void error_at(position p, const std::string &message) {
        if (failed_) return;
        failed_ = true;
        errors_.error(p, message);
    }
    void expect_op(const char *op) {
        if (!accept_op(op)) error_at(cur().at, std::string("expected '") + op + "'" + found());
    }
    void expect_word(const char *w) {
        if (!accept_word(w)) error_at(cur().at, std::string("expected ") + w + found());
    }
    std::string found() const {
        switch (cur().kind) {
        case tok::end_line:
        case tok::end_file: return " at the end of the line";
        case tok::colon: return " before ':'";
        case tok::string: return " before a string";
        case tok::number: return " before " + cur().text;
        default: return " before '" + cur().text + suffix_text(cur().suffix) + "'";
        }
    }
    // After an error: on to the end of the statement.
    void skip_statement() {
        while (!end_of_statement()) next();
    }

    // The variables of a NEXT beyond the FOR loops that are open.
    void close_unmatched_next() {
        failed_ = false;
        error_at(pending_next_at_.back(), "NEXT without FOR");
        pending_next_ = 0;
        pending_next_at_.clear();
    }

    static std::string opener_of(const std::string &w) {
        if (w == "NEXT") return "FOR";
        if (w == "LOOP") return "DO";
        if (w == "WEND") return "WHILE";
        if (w == "CASE") return "SELECT CASE";
        if (w == "ELSE" || w == "ELSEIF") return "IF";
        return "its opening statement";
    }

    type_kind default_type(const std::string &name) const {
        const char c = name.empty() ? 'A' : name[0];
        return c >= 'A' && c <= 'Z' ? def_[static_cast<size_t>(c - 'A')] : type_kind::single;
    }

    // ---- blocks ---------------------------------------------------------------------------------------

    // True when the statement at the cursor ends the enclosing block.
    bool at_block_end() const {
        if (cur().kind != tok::name || cur().suffix != type_kind::none) return false;
        if (block_end_word(cur().text)) return true;
        if (cur().text == "END") {
            const token &w = ahead(1);
            return w.kind == tok::name &&
                   (w.text == "IF" || w.text == "SELECT" || w.text == "SUB" || w.text == "FUNCTION");
        }
        return false;
    }

    // Statements until a block end or the end of the file. At the top level SUB and FUNCTION
    // definitions are taken too.
    void parse_block(block &out, bool top_level) {
        while (!is(tok::end_file)) {
            if (pending_next_ > 0) return;
            if (is(tok::end_line) || is(tok::colon)) {
                next();
                continue;
            }
            std::vector<std::string> labels = parse_labels();
            if (is(tok::end_line) || is(tok::colon) || is(tok::end_file) || at_block_end()) {
                if (!labels.empty()) {
                    auto s = std::make_unique<stmt>();
                    s->at = t_[i_ > 0 ? i_ - 1 : 0].at;
                    s->labels = std::move(labels);
                    out.push_back(std::move(s));
                }
                if (at_block_end()) return;
                continue;
            }
            if (at_word("SUB") || at_word("FUNCTION") ||
                (at_word("END") && (word_ahead(1, "SUB") || word_ahead(1, "FUNCTION")))) {
                if (!top_level || owner_) {
                    if (at_word("END")) return;
                    failed_ = false;
                    error_at(cur().at, cur().text + " must stand at the module level, outside any block");
                    skip_statement();
                    continue;
                }
                if (at_word("END")) {
                    failed_ = false;
                    error_at(cur().at, "END " + ahead(1).text + " without " + ahead(1).text);
                    skip_statement();
                    continue;
                }
                parse_procedure();
                continue;
            }
            failed_ = false;
            stmt_ptr s = parse_statement();
            if (s) {
                s->labels = std::move(labels);
                out.push_back(std::move(s));
            }
            if (failed_)
                skip_statement();
            else if (!end_of_statement() && !(single_line_ && at_word("ELSE"))) {
                error_at(cur().at, "expected the end of the statement" + found());
                skip_statement();
            }
        }
    }

    std::vector<std::string> parse_labels() {
        std::vector<std::string> labels;
        if (!cur().line_start) return labels;
        if (is(tok::number)) {
            if (cur().suffix != type_kind::integer && cur().suffix != type_kind::long_ &&
                cur().suffix != type_kind::single && cur().suffix != type_kind::double_) {
            }
            add_label(cur().text, cur().at);
            labels.push_back(cur().text);
            next();
            accept_colon_after_label();
        } else if (is(tok::name) && cur().suffix == type_kind::none && ahead(1).kind == tok::colon &&
                   !keywords().count(cur().text)) {
            add_label(cur().text, cur().at);
            labels.push_back(cur().text);
            next();
            next();
        }
        return labels;
    }
    void accept_colon_after_label() {
        if (is(tok::colon)) next();
    }

    std::set<std::string> label_names_;
    void add_label(const std::string &name, position at) {
        if (!label_names_.insert(name).second) {
            failed_ = false;
            error_at(at, "the label " + name + " is defined twice");
            failed_ = false;
            return;
        }
        prog_.labels.push_back({name, at, i_, owner_});
    }

    // ---- SUB and FUNCTION -------------------------------------------------------------------------------

    void parse_procedure() {
        auto p = std::make_unique<procedure>();
        p->at = cur().at;
        p->is_function = at_word("FUNCTION");
        next();
        if (!is(tok::name) || keywords().count(cur().text)) {
            error_at(cur().at,
                     std::string("expected the name of the ") + (p->is_function ? "FUNCTION" : "SUB") + found());
            skip_statement();
            p->name = "?";
        } else {
            p->name = cur().text;
            p->suffix = cur().suffix;
            p->deftype = default_type(p->name);
            if (!p->is_function && p->suffix != type_kind::none) error_at(cur().at, "a SUB name has no type suffix");
            next();
            if (accept_op("(")) {
                if (!at_op(")")) do {
                        parameter q;
                        q.at = cur().at;
                        q.by_val = accept_word("BYVAL");
                        if (!is(tok::name) || keywords().count(cur().text)) {
                            error_at(cur().at, "expected a parameter name" + found());
                            break;
                        }
                        q.name = cur().text;
                        q.suffix = cur().suffix;
                        q.deftype = default_type(q.name);
                        next();
                        if (accept_op("(")) {
                            q.is_array = true;
                            expect_op(")");
                        }
                        if (accept_word("AS")) q.as_type = parse_type_name();
                        if (q.by_val && q.is_array) error_at(q.at, "an array cannot be passed BYVAL");
                        p->params.push_back(std::move(q));
                    } while (accept_op(","));
                expect_op(")");
            }
            if (p->is_function && accept_word("AS")) p->as_type = parse_type_name();
            if (accept_word("STATIC")) error_at(t_[i_ - 1].at, "STATIC SUBs and FUNCTIONs are not supported");
            if (!end_of_statement()) error_at(cur().at, "expected the end of the statement" + found());
            skip_statement();
        }
        owner_ = p.get();
        for (;;) {
            parse_block(p->body, true);
            if (is(tok::end_file)) {
                failed_ = false;
                error_at(p->at, std::string(p->is_function ? "FUNCTION" : "SUB") + " without END " +
                                    (p->is_function ? "FUNCTION" : "SUB"));
                break;
            }
            if (at_word("END") && (word_ahead(1, "SUB") || word_ahead(1, "FUNCTION"))) {
                p->end_at = cur().at;
                const bool fn = word_ahead(1, "FUNCTION");
                failed_ = false;
                if (fn != p->is_function)
                    error_at(cur().at, std::string("END ") + (fn ? "FUNCTION" : "SUB") + " closes a " +
                                           (p->is_function ? "FUNCTION" : "SUB"));
                next();
                next();
                break;
            }
            if (pending_next_ > 0) {
                close_unmatched_next();
                continue;
            }
            failed_ = false;
            error_at(cur().at, cur().text + " without " + opener_of(cur().text));
            skip_statement();
        }
        owner_ = nullptr;
        prog_.procedures.push_back(std::move(p));
    }

    type_kind parse_type_name() {
        if (!is(tok::name)) {
            error_at(cur().at, "expected a type name" + found());
            return type_kind::single;
        }
        const std::string w = cur().text;
        const position p = cur().at;
        next();
        if (w == "INTEGER") return type_kind::integer;
        if (w == "LONG") return type_kind::long_;
        if (w == "SINGLE") return type_kind::single;
        if (w == "DOUBLE") return type_kind::double_;
        if (w == "STRING") {
            if (at_op("*")) error_at(cur().at, "fixed-length strings are not supported");
            return type_kind::string;
        }
        if (w == "_INTEGER64") return type_kind::integer64;
        error_at(p, "unknown type " + w);
        return type_kind::single;
    }

    // ---- statements ------------------------------------------------------------------------------------

    stmt_ptr make(stmt_kind k, position at) {
        auto s = std::make_unique<stmt>();
        s->kind = k;
        s->at = at;
        return s;
    }

    stmt_ptr parse_statement() {
        const token &t = cur();
        const position at = t.at;
        if (t.kind == tok::op && t.text == "?") {
            next();
            return parse_print(at);
        }
        if (t.kind != tok::name) {
            error_at(at, "expected a statement" + found());
            return nullptr;
        }
        const std::string w = t.text + suffix_text(t.suffix);
        if (w == "MID$") return parse_mid_assign(at);
        if (t.suffix != type_kind::none) return parse_assign_or_call(at);
        if (w == "PRINT") {
            next();
            return parse_print(at);
        }
        if (w == "LET") {
            next();
            if (!at_name_target()) {
                error_at(cur().at, "expected a variable after LET" + found());
                return nullptr;
            }
            return parse_assign_or_call(at);
        }
        if (w == "IF") return parse_if(at);
        if (w == "SELECT") return parse_select(at);
        if (w == "FOR") return parse_for(at);
        if (w == "DO") return parse_do(at);
        if (w == "WHILE") return parse_while(at);
        if (w == "EXIT") return parse_exit(at);
        if (w == "GOTO" || w == "GOSUB") {
            next();
            auto s = make(w == "GOTO" ? stmt_kind::goto_ : stmt_kind::gosub, at);
            parse_label_ref(s->name, s->end_at);
            return s;
        }
        if (w == "RETURN") {
            next();
            if (!statement_ends()) error_at(cur().at, "RETURN to a label is not supported");
            return make(stmt_kind::return_, at);
        }
        if (w == "ON") return parse_on(at);
        if (w == "CALL") {
            next();
            if (!is(tok::name) || keywords().count(cur().text)) {
                error_at(cur().at, "expected the name of a SUB after CALL" + found());
                return nullptr;
            }
            auto s = make(stmt_kind::call, at);
            s->name = cur().text;
            s->flags = 1; // CALL: arguments in parentheses
            if (cur().suffix != type_kind::none) error_at(cur().at, "a SUB name has no type suffix");
            next();
            if (accept_op("(")) {
                if (!at_op(")")) parse_arguments(s->args);
                expect_op(")");
            }
            return s;
        }
        if (w == "LINE") {
            if (word_ahead(1, "INPUT")) {
                error_at(at, "LINE INPUT is not supported");
                return nullptr;
            }
            return parse_line(at);
        }
        if (w == "PSET" || w == "PRESET") return parse_pset(at, w);
        if (w == "CIRCLE") return parse_circle(at);
        if (w == "VIEW") return parse_view(at);
        if (w == "WINDOW") return parse_window(at);
        if (w == "DIM") return parse_dim(at);
        if (w == "SHARED") return parse_shared(at);
        if (w == "SWAP") {
            next();
            auto s = make(stmt_kind::swap, at);
            s->target = parse_target();
            expect_op(",");
            s->value = parse_target();
            return s;
        }
        if (w == "READ") {
            next();
            auto s = make(stmt_kind::read, at);
            do s->args.push_back(parse_target());
            while (!failed_ && accept_op(","));
            return s;
        }
        if (w == "DATA") {
            next();
            auto s = make(stmt_kind::data, at);
            if (is(tok::data)) {
                prog_.data.push_back({at, i_, cur().text});
                next();
            }
            return s;
        }
        if (w == "RESTORE") {
            next();
            auto s = make(stmt_kind::restore, at);
            if (!statement_ends()) parse_label_ref(s->name, s->end_at);
            return s;
        }
        if (w == "RANDOMIZE") {
            next();
            auto s = make(stmt_kind::randomize, at);
            if (accept_word("USING"))
                s->flags = 3;
            else
                s->flags = 1;
            if (statement_ends()) {
                error_at(at, "RANDOMIZE needs a seed: RANDOMIZE without one asks for input, which is not supported");
                return nullptr;
            }
            s->value = parse_expression();
            return s;
        }
        if (w == "END") {
            next();
            if (!statement_ends()) {
                error_at(cur().at, "END " + cur().text + " without " + cur().text);
                return nullptr;
            }
            return make(stmt_kind::end, at);
        }
        if (w == "SYSTEM") {
            next();
            return make(stmt_kind::system, at);
        }
        if (w == "CONST") return parse_const(at);
        if (w == "DEFINT" || w == "DEFLNG" || w == "DEFSNG" || w == "DEFDBL" || w == "DEFSTR") return parse_def(at, w);
        if (w == "DECLARE") {
            // The classic tools wrote these for every SUB; tqc knows its SUBs without them.
            skip_statement();
            return make(stmt_kind::nothing, at);
        }
        if (unsupported().count(w) && !(ahead(1).kind == tok::op && ahead(1).text == "=")) {
            error_at(at, w + " is not supported");
            return nullptr;
        }
        if (keywords().count(w) && !is_simple_keyword(w)) {
            error_at(at, "unexpected " + w);
            return nullptr;
        }
        if (is_simple_keyword(w)) {
            next();
            auto s = make(stmt_kind::simple, at);
            s->name = w;
            if (w == "_TITLE" || w == "_DELAY" || w == "_LIMIT" || w == "_DEST" || w == "_SOURCE" || !statement_ends())
                parse_optional_arguments(s->args);
            return s;
        }
        return parse_assign_or_call(at);
    }

    static bool is_simple_keyword(const std::string &w) {
        static const std::set<std::string> simple = {
            "CLS",    "COLOR",  "LOCATE", "PALETTE", "PCOPY",      "SCREEN",   "SLEEP",        "WIDTH",     "_TITLE",
            "_DELAY", "_LIMIT", "_DEST",  "_SOURCE", "_FREEIMAGE", "_DISPLAY", "_AUTODISPLAY", "_KEYCLEAR", "_FONT"};
        return simple.count(w) != 0;
    }

    bool at_name_target() const { return is(tok::name) && !keywords().count(cur().text); }

    void parse_label_ref(std::string &name, position &where) {
        where = cur().at;
        if (is(tok::number) && cur().text.find_first_not_of("0123456789") == std::string::npos) {
            name = cur().text;
            next();
        } else if (is(tok::name) && cur().suffix == type_kind::none && !keywords().count(cur().text)) {
            name = cur().text;
            next();
        } else {
            error_at(cur().at, "expected a label or a line number" + found());
        }
    }

    // Comma-separated arguments any of which may be left out: LOCATE , 5.
    void parse_optional_arguments(std::vector<expr_ptr> &args) {
        for (;;) {
            if (at_op(",")) {
                args.push_back(nullptr);
                next();
                if (statement_ends()) {
                    args.push_back(nullptr);
                    break;
                }
                continue;
            }
            args.push_back(parse_expression());
            if (failed_ || !accept_op(",")) break;
            if (statement_ends()) {
                args.push_back(nullptr);
                break;
            }
        }
    }

    void parse_arguments(std::vector<expr_ptr> &args) {
        do args.push_back(parse_expression());
        while (!failed_ && accept_op(","));
    }

    // A variable or an array element: the target of an assignment, READ or SWAP.
    expr_ptr parse_target() {
        if (!at_name_target()) {
            error_at(cur().at, "expected a variable" + found());
            return std::make_unique<expr>();
        }
        expr_ptr e = parse_name();
        return e;
    }

    stmt_ptr parse_assign_or_call(position at) {
        if (keywords().count(cur().text) && cur().suffix == type_kind::none) {
            error_at(at, "unexpected " + cur().text);
            return nullptr;
        }
        const token &name = cur();
        const bool assignment_follows = ahead(1).kind == tok::op && ahead(1).text == "=";
        if (assignment_follows || (ahead(1).kind == tok::op && ahead(1).text == "(")) {
            const size_t start = i_;
            expr_ptr target = parse_name();
            if (accept_op("=")) {
                auto s = make(stmt_kind::assign, at);
                s->target = std::move(target);
                s->value = parse_expression();
                return s;
            }
            if (failed_) return nullptr;
            // NAME(args) alone: a SUB call with its arguments in parentheses.
            if (statement_ends()) {
                auto s = make(stmt_kind::call, at);
                s->name = t_[start].text;
                s->flags = 1;
                if (t_[start].suffix != type_kind::none) {
                    error_at(at, "expected '=' after " + t_[start].text + suffix_text(t_[start].suffix));
                    return nullptr;
                }
                s->args = std::move(target->args);
                // NAME (X) passes a copy of X, as (X) does anywhere.
                if (s->args.size() == 1) s->args[0]->parenthesized = true;
                return s;
            }
            if (t_[start].suffix == type_kind::none && !keywords().count(t_[start].text)) {
                // NAME (x) * 2, y: a SUB call whose first argument begins with a parenthesis.
                i_ = start + 1;
                auto s = make(stmt_kind::call, at);
                s->name = t_[start].text;
                parse_arguments(s->args);
                return s;
            }
            error_at(cur().at, "expected '='" + found());
            return nullptr;
        }
        auto s = make(stmt_kind::call, at);
        s->name = name.text;
        if (name.suffix != type_kind::none) {
            error_at(ahead(1).at, "expected '=' after " + name.text + suffix_text(name.suffix));
            return nullptr;
        }
        next();
        if (!statement_ends()) parse_arguments(s->args);
        return s;
    }

    stmt_ptr parse_mid_assign(position at) {
        next();
        auto s = make(stmt_kind::mid_assign, at);
        expect_op("(");
        s->target = parse_target();
        expect_op(",");
        s->args.push_back(parse_expression());
        if (accept_op(",")) s->args.push_back(parse_expression());
        expect_op(")");
        expect_op("=");
        s->value = parse_expression();
        return s;
    }

    stmt_ptr parse_print(position at) {
        auto s = make(stmt_kind::print, at);
        if (at_word("USING")) {
            error_at(cur().at, "PRINT USING is not supported");
            return nullptr;
        }
        if (at_op("#")) {
            error_at(cur().at, "PRINT to a file is not supported");
            return nullptr;
        }
        while (!statement_ends() && !failed_) {
            print_item item;
            if (accept_op(";"))
                item.kind = print_item::semicolon;
            else if (accept_op(","))
                item.kind = print_item::comma;
            else if ((at_word("TAB") || at_word("SPC")) && ahead(1).kind == tok::op && ahead(1).text == "(") {
                item.kind = at_word("TAB") ? print_item::tab : print_item::spc;
                next();
                next();
                item.e = parse_expression();
                expect_op(")");
            } else {
                item.e = parse_expression();
            }
            s->items.push_back(std::move(item));
        }
        return s;
    }

    // IF: single-line when anything but a comment follows THEN.
    stmt_ptr parse_if(position at) {
        next();
        depth_guard guard(*this);
        if (depth_ > max_depth) {
            error_at(at, "blocks are nested too deeply");
            return nullptr;
        }
        auto s = make(stmt_kind::if_, at);
        conditional first;
        first.at = at;
        first.condition = parse_expression();
        if (failed_) return nullptr;
        if (at_word("GOTO")) {
            next();
            first.body.push_back(parse_jump(at));
            s->branches.push_back(std::move(first));
            return parse_single_else(std::move(s));
        }
        expect_word("THEN");
        if (failed_) return nullptr;
        if (is(tok::end_line) || is(tok::end_file)) {
            s->branches.push_back(std::move(first));
            return parse_block_if(std::move(s));
        }
        parse_single_branch(first.body);
        s->branches.push_back(std::move(first));
        return parse_single_else(std::move(s));
    }

    stmt_ptr parse_jump(position at) {
        auto g = make(stmt_kind::goto_, at);
        parse_label_ref(g->name, g->end_at);
        return g;
    }

    // The statements of a single-line IF's branch: a line number alone is a GOTO.
    void parse_single_branch(block &body) {
        if (is(tok::number)) {
            body.push_back(parse_jump(cur().at));
            return;
        }
        const bool outer = single_line_;
        single_line_ = true;
        while (!is(tok::end_line) && !is(tok::end_file) && !at_word("ELSE")) {
            if (is(tok::colon)) {
                next();
                continue;
            }
            if (at_block_end() || at_word("SUB") || at_word("FUNCTION")) {
                error_at(cur().at, cur().text + " cannot stand in a single-line IF");
                break;
            }
            stmt_ptr st = parse_statement();
            if (st) body.push_back(std::move(st));
            if (failed_) break;
            if (!statement_ends()) {
                error_at(cur().at, "expected the end of the statement" + found());
                break;
            }
        }
        single_line_ = outer;
        if (failed_) {
            while (!is(tok::end_line) && !is(tok::end_file)) next();
        }
    }

    stmt_ptr parse_single_else(stmt_ptr s) {
        if (accept_word("ELSE")) parse_single_branch(s->else_body);
        return s;
    }

    stmt_ptr parse_block_if(stmt_ptr s) {
        if (++depth_ > max_depth) return too_deep(s->at);
        parse_block(s->branches.back().body, false);
        for (;;) {
            if (at_word("ELSEIF")) {
                conditional c;
                c.at = cur().at;
                next();
                failed_ = false;
                c.condition = parse_expression();
                expect_word("THEN");
                if (failed_) skip_statement();
                parse_block(c.body, false);
                s->branches.push_back(std::move(c));
                continue;
            }
            if (at_word("ELSE")) {
                next();
                parse_block(s->else_body, false);
                if (at_word("ELSE") || at_word("ELSEIF")) {
                    failed_ = false;
                    error_at(cur().at, cur().text + " after ELSE");
                    skip_statement();
                    continue;
                }
            }
            break;
        }
        depth_--;
        failed_ = false;
        if (at_word("END") && word_ahead(1, "IF")) {
            next();
            next();
        } else {
            error_at(s->at, "IF without END IF");
        }
        return s;
    }

    stmt_ptr too_deep(position at) {
        failed_ = false;
        error_at(at, "blocks are nested too deeply");
        depth_--;
        // Nothing after this can be parsed sensibly: stop at the end of the file.
        while (!is(tok::end_file)) next();
        return nullptr;
    }

    stmt_ptr parse_select(position at) {
        next();
        expect_word("CASE");
        auto s = make(stmt_kind::select, at);
        s->value = parse_expression();
        if (failed_) return nullptr;
        if (++depth_ > max_depth) return too_deep(at);
        block before; // only labels, blank lines and comments may stand before the first CASE
        parse_block(before, false);
        for (const auto &b : before)
            if (b->kind != stmt_kind::nothing) {
                failed_ = false;
                error_at(b->at, "statements between SELECT CASE and the first CASE");
            }
        while (at_word("CASE")) {
            case_clause c;
            c.at = cur().at;
            next();
            failed_ = false;
            if (accept_word("ELSE"))
                c.is_else = true;
            else
                do {
                    case_test test;
                    if (accept_word("IS")) {
                        test.kind = case_test::is;
                        if (cur().kind == tok::op && (cur().text == "=" || cur().text == "<>" || cur().text == "<" ||
                                                      cur().text == ">" || cur().text == "<=" || cur().text == ">=")) {
                            test.op = cur().text;
                            next();
                        } else {
                            error_at(cur().at, "expected a relation after IS" + found());
                            break;
                        }
                        test.a = parse_expression();
                    } else {
                        test.a = parse_expression();
                        if (accept_word("TO")) {
                            test.kind = case_test::range;
                            test.b = parse_expression();
                        }
                    }
                    c.tests.push_back(std::move(test));
                } while (!failed_ && accept_op(","));
            if (failed_)
                skip_statement();
            else if (!end_of_statement())
                error_at(cur().at, "expected the end of the statement" + found());
            parse_block(c.body, false);
            s->cases.push_back(std::move(c));
        }
        depth_--;
        failed_ = false;
        if (at_word("END") && word_ahead(1, "SELECT")) {
            next();
            next();
        } else {
            error_at(at, "SELECT CASE without END SELECT");
        }
        return s;
    }

    stmt_ptr parse_for(position at) {
        next();
        auto s = make(stmt_kind::for_, at);
        if (!at_name_target() || ahead(1).kind != tok::op || ahead(1).text != "=") {
            error_at(cur().at, "expected a simple variable after FOR" + found());
            return nullptr;
        }
        s->target = parse_name();
        expect_op("=");
        s->value = parse_expression();
        expect_word("TO");
        if (failed_) return nullptr;
        s->finish = parse_expression();
        if (accept_word("STEP")) s->step = parse_expression();
        if (failed_) return nullptr;
        if (!end_of_statement()) {
            error_at(cur().at, "expected the end of the statement" + found());
            skip_statement();
        }
        if (++depth_ > max_depth) return too_deep(at);
        parse_block(s->body, false);
        depth_--;
        failed_ = false;
        if (pending_next_ > 0) {
            // A NEXT with several variables closes this loop too.
            pending_next_--;
            s->end_at = pending_next_at_.back();
            pending_next_at_.pop_back();
            return s;
        }
        if (!at_word("NEXT")) {
            error_at(at, "FOR without NEXT");
            return s;
        }
        s->end_at = cur().at;
        next();
        if (!end_of_statement()) {
            expr_ptr first = parse_name();
            s->flags = 1;
            s->step = s->step ? std::move(s->step) : nullptr;
            check_next_variable(*s, *first);
            while (accept_op(",")) {
                pending_next_at_.push_back(cur().at);
                parse_name();
                pending_next_++;
            }
        }
        return s;
    }

    void check_next_variable(const stmt &f, const expr &v) {
        if (v.text != f.target->text ||
            (v.suffix != f.target->suffix && v.suffix != type_kind::none && f.target->suffix != type_kind::none))
            error_at(v.at, "NEXT " + v.text + " closes FOR " + f.target->text);
    }

    stmt_ptr parse_do(position at) {
        next();
        auto s = make(stmt_kind::do_, at);
        if (at_word("WHILE") || at_word("UNTIL")) {
            s->flags = LOOP_TEST_TOP | (at_word("UNTIL") ? LOOP_UNTIL : 0);
            next();
            s->value = parse_expression();
            if (failed_) return nullptr;
        }
        if (++depth_ > max_depth) return too_deep(at);
        if (!parse_loop_body(*s, "LOOP", "DO without LOOP", at)) return s;
        if (at_word("WHILE") || at_word("UNTIL")) {
            if (s->flags) {
                error_at(cur().at, "a DO loop tests at one end only");
                return s;
            }
            s->flags = LOOP_TEST_BOTTOM | (at_word("UNTIL") ? LOOP_UNTIL : 0);
            next();
            s->value = parse_expression();
        }
        return s;
    }

    stmt_ptr parse_while(position at) {
        next();
        auto s = make(stmt_kind::do_, at);
        s->flags = LOOP_TEST_TOP;
        s->value = parse_expression();
        if (failed_) return nullptr;
        if (++depth_ > max_depth) return too_deep(at);
        parse_loop_body(*s, "WEND", "WHILE without WEND", at);
        return s;
    }

    // The body of a DO or WHILE loop (its depth already counted) and the word that closes it;
    // false, the error given, when the body ends without that word.
    bool parse_loop_body(stmt &s, const char *closer, const char *missing, position at) {
        parse_block(s.body, false);
        depth_--;
        failed_ = false;
        if (!at_word(closer)) {
            error_at(at, missing);
            return false;
        }
        s.end_at = cur().at;
        next();
        return true;
    }

    stmt_ptr parse_exit(position at) {
        next();
        auto s = make(stmt_kind::exit, at);
        if (at_word("FOR") || at_word("DO") || at_word("SUB") || at_word("FUNCTION")) {
            s->name = cur().text;
            next();
        } else {
            error_at(cur().at, "expected FOR, DO, SUB or FUNCTION after EXIT" + found());
        }
        return s;
    }

    stmt_ptr parse_on(position at) {
        next();
        if (at_word("ERROR") || at_word("TIMER") || at_word("KEY") || at_word("STRIG") || at_word("PLAY") ||
            at_word("PEN") || at_word("COM")) {
            error_at(at, "ON " + cur().text + " is not supported");
            return nullptr;
        }
        auto s = make(stmt_kind::on_jump, at);
        s->value = parse_expression();
        if (failed_) return nullptr;
        if (at_word("GOTO"))
            s->name = "GOTO";
        else if (at_word("GOSUB"))
            s->name = "GOSUB";
        else {
            error_at(cur().at, "expected GOTO or GOSUB" + found());
            return nullptr;
        }
        next();
        do {
            std::string label;
            position where;
            parse_label_ref(label, where);
            s->targets.push_back(label);
            s->target_at.push_back(where);
        } while (!failed_ && accept_op(","));
        return s;
    }

    // (x, y) of LINE, PSET, CIRCLE, VIEW and WINDOW.
    void parse_point(std::vector<expr_ptr> &args) {
        expect_op("(");
        args.push_back(parse_expression());
        expect_op(",");
        args.push_back(parse_expression());
        expect_op(")");
    }

    // LINE [[STEP](x1, y1)]-[STEP](x2, y2)[, [colour][, [B|BF][, style]]]
    stmt_ptr parse_line(position at) {
        next();
        auto s = make(stmt_kind::line, at);
        int32_t passed = 0;
        if (accept_word("STEP")) passed |= 4;
        if (at_op("(")) {
            passed |= 1;
            parse_point(s->args);
        } else {
            if (passed & 4) error_at(cur().at, "expected '(' after STEP" + found());
            s->args.push_back(nullptr);
            s->args.push_back(nullptr);
        }
        expect_op("-");
        if (accept_word("STEP")) passed |= 2;
        parse_point(s->args);
        int32_t box = 0;
        if (accept_op(",")) {
            if (!at_op(",") && !statement_ends()) {
                passed |= 8;
                s->args.push_back(parse_expression());
            } else {
                s->args.push_back(nullptr);
            }
            if (accept_op(",")) {
                if (at_word("B"))
                    box = 1;
                else if (at_word("BF"))
                    box = 2;
                else if (!at_op(",")) {
                    error_at(cur().at, "expected B or BF" + found());
                    return nullptr;
                }
                if (box) next();
                if (accept_op(",")) {
                    passed |= 16;
                    s->args.push_back(parse_expression());
                }
            }
        }
        while (s->args.size() < 6) s->args.push_back(nullptr);
        s->flags = passed;
        s->name = std::to_string(box);
        return s;
    }

    stmt_ptr parse_pset(position at, const std::string &w) {
        next();
        auto s = make(stmt_kind::pset, at);
        s->name = w;
        if (accept_word("STEP")) s->flags |= 1;
        parse_point(s->args);
        if (accept_op(",")) {
            s->flags |= 2;
            s->args.push_back(parse_expression());
        }
        return s;
    }

    // CIRCLE [STEP](x, y), radius[, [colour][, [start][, [end][, aspect]]]]
    stmt_ptr parse_circle(position at) {
        next();
        auto s = make(stmt_kind::circle, at);
        if (accept_word("STEP")) s->flags |= 1;
        parse_point(s->args);
        expect_op(",");
        s->args.push_back(parse_expression());
        std::vector<expr_ptr> rest;
        if (accept_op(",")) parse_optional_arguments(rest);
        if (rest.size() > 4) error_at(at, "CIRCLE takes at most a colour, two angles and an aspect");
        for (size_t k = 0; k < 4; k++) {
            if (k < rest.size() && rest[k]) s->flags |= 2 << k;
            s->args.push_back(k < rest.size() ? std::move(rest[k]) : nullptr);
        }
        return s;
    }

    stmt_ptr parse_view(position at) {
        next();
        if (accept_word("PRINT")) {
            auto s = make(stmt_kind::view_print, at);
            if (!statement_ends()) {
                s->args.push_back(parse_expression());
                expect_word("TO");
                s->args.push_back(parse_expression());
            }
            return s;
        }
        auto s = make(stmt_kind::view, at);
        if (statement_ends()) return s;
        if (accept_word("SCREEN")) s->flags |= 2;
        s->flags |= 1;
        parse_point(s->args);
        expect_op("-");
        parse_point(s->args);
        std::vector<expr_ptr> rest;
        if (accept_op(",")) parse_optional_arguments(rest);
        if (rest.size() > 2) error_at(at, "VIEW takes at most a fill and a border colour");
        for (size_t k = 0; k < 2; k++) {
            if (k < rest.size() && rest[k]) s->flags |= 4 << k;
            s->args.push_back(k < rest.size() ? std::move(rest[k]) : nullptr);
        }
        return s;
    }

    stmt_ptr parse_window(position at) {
        next();
        auto s = make(stmt_kind::window, at);
        if (statement_ends()) return s;
        if (accept_word("SCREEN")) s->flags |= 2;
        s->flags |= 1;
        parse_point(s->args);
        expect_op("-");
        parse_point(s->args);
        return s;
    }

    stmt_ptr parse_dim(position at) {
        next();
        auto s = make(stmt_kind::dim, at);
        s->shared = accept_word("SHARED");
        if (s->shared && owner_) error_at(at, "DIM SHARED belongs in the main module");
        do {
            dim_item d;
            d.at = cur().at;
            if (!at_name_target()) {
                error_at(cur().at, "expected a variable name" + found());
                break;
            }
            d.name = cur().text;
            d.suffix = cur().suffix;
            d.deftype = default_type(d.name);
            next();
            if (accept_op("(")) {
                d.is_array = true;
                do {
                    expr_ptr first = parse_expression();
                    if (accept_word("TO")) {
                        d.lower.push_back(std::move(first));
                        d.upper.push_back(parse_expression());
                    } else {
                        d.lower.push_back(nullptr);
                        d.upper.push_back(std::move(first));
                    }
                } while (!failed_ && accept_op(","));
                expect_op(")");
            }
            if (accept_word("AS")) d.as_type = parse_type_name();
            if (d.as_type != type_kind::none && d.suffix != type_kind::none && d.as_type != d.suffix)
                error_at(d.at, d.name + suffix_text(d.suffix) + " cannot be declared AS " + type_name(d.as_type));
            s->dims.push_back(std::move(d));
        } while (!failed_ && accept_op(","));
        return s;
    }

    stmt_ptr parse_shared(position at) {
        next();
        auto s = make(stmt_kind::shared, at);
        if (!owner_) error_at(at, "SHARED belongs in a SUB or FUNCTION; the main module uses DIM SHARED");
        do {
            dim_item d;
            d.at = cur().at;
            if (!at_name_target()) {
                error_at(cur().at, "expected a variable name" + found());
                break;
            }
            d.name = cur().text;
            d.suffix = cur().suffix;
            d.deftype = default_type(d.name);
            next();
            if (accept_op("(")) {
                d.is_array = true;
                expect_op(")");
            }
            if (accept_word("AS")) d.as_type = parse_type_name();
            s->dims.push_back(std::move(d));
        } while (!failed_ && accept_op(","));
        return s;
    }

    stmt_ptr parse_const(position at) {
        next();
        auto s = make(stmt_kind::const_, at);
        do {
            if (!at_name_target()) {
                error_at(cur().at, "expected a constant name" + found());
                break;
            }
            dim_item d;
            d.at = cur().at;
            d.name = cur().text;
            d.suffix = cur().suffix;
            d.deftype = default_type(d.name);
            next();
            expect_op("=");
            s->dims.push_back(std::move(d));
            s->args.push_back(parse_expression());
        } while (!failed_ && accept_op(","));
        return s;
    }

    // DEFINT A-Z, DEFSTR S: the type of names without a suffix that begin with those letters, from
    // here to the end of the file.
    stmt_ptr parse_def(position at, const std::string &w) {
        next();
        const type_kind t = w == "DEFINT"   ? type_kind::integer
                            : w == "DEFLNG" ? type_kind::long_
                            : w == "DEFSNG" ? type_kind::single
                            : w == "DEFDBL" ? type_kind::double_
                                            : type_kind::string;
        do {
            auto letter = [&]() -> int {
                if (is(tok::name) && cur().text.size() == 1 && cur().suffix == type_kind::none &&
                    cur().text[0] >= 'A' && cur().text[0] <= 'Z') {
                    const int c = cur().text[0] - 'A';
                    next();
                    return c;
                }
                error_at(cur().at, "expected a letter" + found());
                return -1;
            };
            int from = letter();
            if (from < 0) break;
            int to = from;
            if (accept_op("-")) to = letter();
            if (to < 0) break;
            if (to < from) std::swap(to, from);
            for (int c = from; c <= to; c++) def_[static_cast<size_t>(c)] = t;
        } while (accept_op(","));
        return make(stmt_kind::nothing, at);
    }

    // ---- expressions -------------------------------------------------------------------------------------

    // Operator chains are limited in depth, so that the tree can be walked and freed recursively.
    static constexpr int max_expression_depth = 1000;
    expr_ptr deep_guard(expr_ptr e) {
        int d = 0;
        for (const auto &a : e->args)
            if (a) d = std::max(d, a->depth);
        e->depth = d + 1;
        if (e->depth > max_expression_depth) {
            error_at(e->at, "the expression is too long");
            auto leaf = std::make_unique<expr>();
            leaf->at = e->at;
            // Freed one operand at a time: the chain is deep only on its left side.
            while (!e->args.empty() && e->args[0]) {
                expr_ptr left = std::move(e->args[0]);
                e = std::move(left);
            }
            return leaf;
        }
        return e;
    }

    expr_ptr binary(std::string op, expr_ptr a, expr_ptr b, position at) {
        auto e = std::make_unique<expr>();
        e->kind = expr_kind::binary;
        e->text = std::move(op);
        e->at = at;
        e->args.push_back(std::move(a));
        e->args.push_back(std::move(b));
        return deep_guard(std::move(e));
    }
    expr_ptr unary(std::string op, expr_ptr a, position at) {
        auto e = std::make_unique<expr>();
        e->kind = expr_kind::unary;
        e->text = std::move(op);
        e->at = at;
        e->args.push_back(std::move(a));
        return deep_guard(std::move(e));
    }

    struct depth_guard {
        parser &p;
        explicit depth_guard(parser &owner) : p(owner) { p.depth_++; }
        ~depth_guard() { p.depth_--; }
    };

  public:
    expr_ptr parse_expression() {
        depth_guard guard(*this);
        if (depth_ > max_depth) {
            error_at(cur().at, "the expression is nested too deeply");
            return std::make_unique<expr>();
        }
        return parse_word_level(0);
    }

  private:
    // IMP, EQV, XOR, OR, AND from the loosest, then NOT.
    expr_ptr parse_word_level(int level) {
        static const char *words[] = {"IMP", "EQV", "XOR", "OR", "AND"};
        if (level == 5) return parse_not();
        expr_ptr left = parse_word_level(level + 1);
        while (!failed_ && at_word(words[level])) {
            const position at = cur().at;
            next();
            left = binary(words[level], std::move(left), parse_word_level(level + 1), at);
        }
        return left;
    }

    expr_ptr parse_not() {
        if (at_word("NOT")) {
            const position at = cur().at;
            next();
            depth_guard guard(*this);
            if (depth_ > max_depth) {
                error_at(at, "the expression is nested too deeply");
                return std::make_unique<expr>();
            }
            return unary("NOT", parse_not(), at);
        }
        return parse_relation();
    }

    // A run of `operand`s joined by the operators `ops` (keywords when `keywords`), grouped from
    // the left: a - b - c is (a - b) - c.
    expr_ptr binary_run(expr_ptr (parser::*operand)(), std::initializer_list<const char *> ops, bool keywords) {
        expr_ptr left = (this->*operand)();
        while (!failed_) {
            const char *found = nullptr;
            for (const char *op : ops)
                if (keywords ? at_word(op) : at_op(op)) {
                    found = op;
                    break;
                }
            if (!found) break;
            const position at = cur().at;
            next();
            left = binary(found, std::move(left), (this->*operand)(), at);
        }
        return left;
    }

    expr_ptr parse_relation() { return binary_run(&parser::parse_additive, {"=", "<>", "<", ">", "<=", ">="}, false); }
    expr_ptr parse_additive() { return binary_run(&parser::parse_mod, {"+", "-"}, false); }
    expr_ptr parse_mod() { return binary_run(&parser::parse_intdiv, {"MOD"}, true); }
    expr_ptr parse_intdiv() { return binary_run(&parser::parse_multiplicative, {"\\"}, false); }
    expr_ptr parse_multiplicative() { return binary_run(&parser::parse_negation, {"*", "/"}, false); }

    // Unary minus binds looser than ^: -2 ^ 2 is -4.
    expr_ptr parse_negation() { return parse_signed(&parser::parse_negation, &parser::parse_power); }

    expr_ptr parse_power() {
        expr_ptr left = parse_atom();
        while (!failed_ && at_op("^")) {
            const position at = cur().at;
            next();
            left = binary("^", std::move(left), parse_power_operand(), at);
        }
        return left;
    }

    // The exponent may carry its own sign: 2 ^ -1.
    expr_ptr parse_power_operand() { return parse_signed(&parser::parse_power_operand, &parser::parse_atom); }

    // A sign and what `self` parses after it (signs repeat: - -2), or `unsigned_operand` when no
    // sign comes.
    expr_ptr parse_signed(expr_ptr (parser::*self)(), expr_ptr (parser::*unsigned_operand)()) {
        if (!at_op("-") && !at_op("+")) return (this->*unsigned_operand)();
        const std::string op = cur().text;
        const position at = cur().at;
        next();
        depth_guard guard(*this);
        if (depth_ > max_depth) {
            error_at(at, "the expression is nested too deeply");
            return std::make_unique<expr>();
        }
        expr_ptr operand = (this->*self)();
        return op == "-" ? unary("-", std::move(operand), at) : std::move(operand);
    }

    expr_ptr parse_atom() {
        const token &t = cur();
        auto e = std::make_unique<expr>();
        e->at = t.at;
        switch (t.kind) {
        case tok::number:
            e->kind = expr_kind::number;
            e->text = t.text;
            e->number = t.number;
            e->integer = t.integer;
            e->suffix = t.suffix;
            next();
            return e;
        case tok::string:
            e->kind = expr_kind::string;
            e->text = t.text;
            next();
            return e;
        case tok::op:
            if (t.text == "(") {
                next();
                expr_ptr inner = parse_expression();
                expect_op(")");
                inner->parenthesized = true;
                return inner;
            }
            break;
        case tok::name:
            if (keywords().count(t.text) && t.suffix == type_kind::none) break;
            return parse_name();
        default: break;
        }
        error_at(t.at, "expected a value" + found());
        e->kind = expr_kind::number;
        return e;
    }

    // NAME, NAME(arguments) or NAME(): a variable, an array element or a whole array, a FUNCTION or
    // a built-in function; which one is decided once every name is known.
    expr_ptr parse_name() {
        const token &t = cur();
        auto e = std::make_unique<expr>();
        e->at = t.at;
        e->kind = expr_kind::name;
        e->text = t.text;
        e->suffix = t.suffix;
        e->deftype = default_type(t.text);
        next();
        if (at_op("(")) {
            next();
            e->kind = expr_kind::call;
            if (accept_op(")")) {
                e->empty_parens = true;
                return e;
            }
            depth_guard guard(*this);
            parse_arguments(e->args);
            expect_op(")");
            return deep_guard(std::move(e));
        }
        return e;
    }
};

} // namespace

program parse(const std::vector<token> &tokens, diagnostics &errors) { return parser(tokens, errors).run(); }

bool is_unsupported_statement(const std::string &name) { return unsupported().count(name) != 0; }

} // namespace tqc
