#include "lexer.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace tqc {

namespace {

bool is_name_start(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool is_name_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

class lexer {
  public:
    lexer(const source_file &source, diagnostics &errors) : text_(source.text()), errors_(errors) {}

    std::vector<token> run() {
        while (i_ < text_.size()) step();
        if (tokens_.empty() || tokens_.back().kind != tok::end_line) push(tok::end_line, here());
        push(tok::end_file, here());
        return std::move(tokens_);
    }

  private:
    const std::string &text_;
    diagnostics &errors_;
    std::vector<token> tokens_;
    size_t i_ = 0;
    int32_t line_ = 1;
    size_t line_begin_ = 0;
    bool at_line_start_ = true;

    position here() const { return {line_, static_cast<int32_t>(i_ - line_begin_) + 1}; }
    char peek(size_t k = 0) const { return i_ + k < text_.size() ? text_[i_ + k] : '\0'; }

    token &push(tok kind, position at, std::string text = {}) {
        token t;
        t.kind = kind;
        t.at = at;
        t.text = std::move(text);
        t.line_start = at_line_start_ && kind != tok::end_line;
        if (kind != tok::end_line) at_line_start_ = false;
        tokens_.push_back(std::move(t));
        return tokens_.back();
    }

    void new_line() {
        i_++;
        line_++;
        line_begin_ = i_;
    }

    void end_of_line() {
        push(tok::end_line, here());
        at_line_start_ = true;
        new_line();
    }

    void skip_to_line_end() {
        while (i_ < text_.size() && text_[i_] != '\n') i_++;
    }

    // `_` as the last visible character continues the statement on the next line.
    bool continuation() const {
        size_t k = i_ + 1;
        while (k < text_.size() && (text_[k] == ' ' || text_[k] == '\t' || text_[k] == '\r')) k++;
        return k >= text_.size() || text_[k] == '\n';
    }

    void step() {
        const char c = text_[i_];
        if (c == '\n') return end_of_line();
        if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == 26) {
            i_++;
            return;
        }
        if (c == '\'') return skip_to_line_end();
        if (c == '_' && continuation()) {
            while (i_ < text_.size() && text_[i_] != '\n') i_++;
            if (i_ < text_.size()) new_line();
            return;
        }
        if (c == '"') return string_literal();
        if (is_digit(c) || (c == '.' && is_digit(peek(1)))) return number();
        if (c == '&' && std::strchr("HhOoBb", peek(1)) && peek(1) != '\0') return prefixed_number();
        if (is_name_start(c)) return name();
        const position at = here();
        if (c == ':') {
            i_++;
            push(tok::colon, at, ":");
            return;
        }
        const std::string two = text_.substr(i_, 2);
        if (two == "<=" || two == ">=" || two == "<>" || two == "=<" || two == "=>" || two == "><") {
            i_ += 2;
            push(tok::op, at, two == "=<" ? "<=" : two == "=>" ? ">=" : two == "><" ? "<>" : two);
            return;
        }
        if (std::strchr("+-*/\\^=<>(),;?#", c)) {
            i_++;
            push(tok::op, at, std::string(1, c));
            return;
        }
        i_++;
        if (static_cast<unsigned char>(c) >= 32 && static_cast<unsigned char>(c) < 127)
            errors_.error(at, std::string("unexpected character '") + c + "'");
        else
            errors_.error(at, "unexpected byte " + std::to_string(static_cast<unsigned char>(c)));
    }

    void string_literal() {
        const position at = here();
        i_++;
        std::string value;
        while (i_ < text_.size() && text_[i_] != '"' && text_[i_] != '\n') value += text_[i_++];
        if (i_ < text_.size() && text_[i_] == '"')
            i_++;
        else {
            if (!value.empty() && value.back() == '\r') value.pop_back();
            errors_.error(at, "string without its closing quote");
        }
        push(tok::string, at, std::move(value));
    }

    // A type suffix after a number or a name.
    type_kind suffix() {
        const char c = peek();
        if (c == '&' && peek(1) == '&') {
            i_ += 2;
            return type_kind::integer64;
        }
        if (c == '&' && std::strchr("HhOoBb", peek(1)) && peek(1) != '\0') return type_kind::none;
        const type_kind t = suffix_type(c);
        if (t != type_kind::none && c != 'q') i_++;
        return c == 'q' ? type_kind::none : t;
    }

    void number() {
        const position at = here();
        const size_t start = i_;
        size_t digits = 0;
        bool fraction = false, exponent = false, d_exponent = false;
        while (is_digit(peek())) i_++, digits++;
        if (peek() == '.') {
            fraction = true;
            i_++;
            while (is_digit(peek())) i_++, digits++;
        }
        const char e = static_cast<char>(std::toupper(static_cast<unsigned char>(peek())));
        if ((e == 'E' || e == 'D') &&
            (is_digit(peek(1)) || ((peek(1) == '+' || peek(1) == '-') && is_digit(peek(2))))) {
            exponent = true;
            d_exponent = e == 'D';
            i_ += 2;
            while (is_digit(peek())) i_++;
        }
        std::string written = text_.substr(start, i_ - start);
        std::string c_text = written;
        for (char &ch : c_text)
            if (ch == 'd' || ch == 'D') ch = 'E';
        token t;
        t.number = std::strtod(c_text.c_str(), nullptr);
        type_kind type = suffix();
        if (type == type_kind::string) {
            errors_.error(at, "a number cannot have the suffix $");
            type = type_kind::single;
        }
        if (type == type_kind::none) {
            // Unsuffixed: a whole number takes the smallest integer type that holds it; anything
            // else is SINGLE, or DOUBLE with a D exponent or more than seven digits.
            if (!fraction && !exponent && t.number <= 32767)
                type = type_kind::integer;
            else if (!fraction && !exponent && t.number <= 2147483647.0)
                type = type_kind::long_;
            else if (d_exponent || digits > 7)
                type = type_kind::double_;
            else
                type = type_kind::single;
        }
        if (is_integer(type)) {
            if (fraction || exponent || t.number >= 9223372036854775808.0 ||
                (type == type_kind::integer && t.number > 32767) ||
                (type == type_kind::long_ && t.number > 2147483647.0)) {
                errors_.error(at, "the number " + written + " does not fit " + type_name(type));
                t.number = 0;
            }
            t.integer = static_cast<int64_t>(t.number);
            if (type == type_kind::integer64) t.integer = std::strtoll(written.c_str(), nullptr, 10);
        } else if (std::isinf(t.number) || (type == type_kind::single && std::fabs(t.number) > 3.402823466e38)) {
            errors_.error(at, "the number " + written + " does not fit " + type_name(type));
            t.number = 0;
        }
        token &pushed = push(tok::number, at, written);
        pushed.number = t.number;
        pushed.integer = t.integer;
        pushed.suffix = type;
    }

    // &H, &O and &B numbers: up to 16 bits are an INTEGER (&HFFFF is -1), up to 32 a LONG.
    void prefixed_number() {
        const position at = here();
        const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(peek(1))));
        const unsigned shift = kind == 'H' ? 4 : kind == 'O' ? 3 : 1;
        i_ += 2;
        uint64_t value = 0;
        unsigned bits = 0;
        size_t digits = 0;
        bool too_big = false;
        for (;;) {
            const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(peek())));
            unsigned d = is_digit(c) ? unsigned(c - '0') : (c >= 'A' && c <= 'F') ? unsigned(c - 'A' + 10) : 99;
            if (d >= (1u << shift)) break;
            i_++;
            digits++;
            if (value == 0 && d == 0) continue;
            if (value >> (64 - shift)) too_big = true;
            value = (value << shift) | d;
        }
        for (uint64_t v = value; v; v >>= 1) bits++;
        if (digits == 0) errors_.error(at, std::string("&") + kind + " without digits");
        type_kind type = suffix();
        if (type == type_kind::none)
            type = bits <= 16 ? type_kind::integer : bits <= 32 ? type_kind::long_ : type_kind::integer64;
        int64_t integer = 0;
        if (too_big || (type == type_kind::integer && bits > 16) || (type == type_kind::long_ && bits > 32)) {
            errors_.error(at, std::string("the number does not fit ") + type_name(type));
        } else if (type == type_kind::integer) {
            integer = static_cast<int16_t>(static_cast<uint16_t>(value));
        } else if (type == type_kind::long_) {
            integer = static_cast<int32_t>(static_cast<uint32_t>(value));
        } else {
            integer = static_cast<int64_t>(value);
        }
        token &pushed = push(tok::number, at, text_.substr(at.column - 1 + line_begin_, 0));
        pushed.text = "&" + std::string(1, kind);
        pushed.integer = integer;
        pushed.number = static_cast<double>(integer);
        pushed.suffix = is_integer(type) ? type : type_kind::long_;
        if (!is_integer(type)) pushed.number = static_cast<double>(integer);
        if (is_float(type)) pushed.suffix = type;
    }

    void name() {
        const position at = here();
        const size_t start = i_;
        while (is_name_char(peek())) i_++;
        std::string upper = text_.substr(start, i_ - start);
        for (char &ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        const type_kind type = suffix();
        if (upper == "REM" && type == type_kind::none) return skip_to_line_end();
        token &pushed = push(tok::name, at, upper);
        pushed.suffix = type;
        if (upper == "DATA" && type == type_kind::none) data_text();
    }

    // The items of a DATA statement, up to the end of the line, a colon or a comment outside quotes.
    void data_text() {
        const position at = here();
        std::string raw;
        bool quoted = false;
        while (i_ < text_.size() && text_[i_] != '\n') {
            const char c = text_[i_];
            if (c == '"')
                quoted = !quoted;
            else if (!quoted && (c == ':' || c == '\''))
                break;
            raw += c;
            i_++;
        }
        push(tok::data, at, std::move(raw));
    }
};

} // namespace

std::vector<token> lex(const source_file &source, diagnostics &errors) { return lexer(source, errors).run(); }

} // namespace tqc
