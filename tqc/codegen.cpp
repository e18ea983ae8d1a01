#include "codegen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include "builtins.h"
#include "parser.h"

namespace tqc {

namespace {

struct value {
    std::string code;
    type_kind type = type_kind::none;
    bool literal = false; // a numeric literal, held in number and integer
    double number = 0;
    int64_t integer = 0;
    bool may_fail = false; // evaluating it may raise a runtime error
};

struct symbol {
    std::string name;
    type_kind type = type_kind::single;
    bool is_array = false;
    int dims = 0;
    enum place_t { global, local, param } place = global;
    std::string cpp; // a scalar's lvalue, an array's descriptor pointer, a string's record
    std::string var; // the declared C++ variable
    bool static_bounds = false;
    std::vector<int64_t> lo, hi;
    bool implicit = false;
    bool dimmed = false;
    bool shared = false;
    size_t order = 0;
};

struct const_value {
    type_kind type = type_kind::single;
    double number = 0;
    int64_t integer = 0;
    std::string text;
};

struct param_info {
    std::string name;
    type_kind type = type_kind::single;
    bool is_array = false;
    int dims = 1;
    bool by_val = false;
    std::string var;
};

struct proc_info {
    procedure *def = nullptr;
    type_kind result = type_kind::none;
    std::vector<param_info> params;
    std::string cpp;
};

struct scope {
    proc_info *proc = nullptr;
    std::map<std::string, symbol> scalars; // key: NAME:TYPE
    std::map<std::string, symbol> arrays;
    std::map<std::string, const_value> consts;
    std::map<std::string, type_kind> as_types, array_as_types;
    std::set<std::string> shared_scalars, shared_arrays;
    std::set<std::string> used_default;
};

std::string key_of(const std::string &name, type_kind t) { return name + ":" + storage_word(t); }

// Bytes of a string literal as C++ source.
std::string c_string(const std::string &bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 32 && c < 127 && c != '?') {
            out += static_cast<char>(c);
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\%03o", c);
            out += buffer;
        }
    }
    return out + "\"";
}

std::string float_text(double v, bool single) {
    char buffer[40];
    if (single)
        std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(static_cast<float>(v)));
    else
        std::snprintf(buffer, sizeof buffer, "%.17g", v);
    std::string s = buffer;
    if (s.find_first_of(".eEn") == std::string::npos) s += ".0";
    return single ? s + "f" : s;
}

std::string integer_text(int64_t v, type_kind t) {
    if (t == type_kind::integer64) {
        if (v == INT64_MIN) return "INT64_MIN";
        return "int64_t(" + std::to_string(v) + "LL)";
    }
    if (t == type_kind::long_) return "int32_t(" + std::to_string(v) + (v == INT32_MIN ? "LL" : "") + ")";
    return "int16_t(" + std::to_string(v) + ")";
}

value literal_value(type_kind t, double number, int64_t integer) {
    value v;
    v.type = t;
    v.literal = true;
    v.number = number;
    v.integer = integer;
    if (is_integer(t)) {
        v.number = static_cast<double>(integer);
        v.code = integer_text(integer, t);
    } else if (t == type_kind::single) {
        v.number = static_cast<double>(static_cast<float>(number));
        v.code = float_text(number, true);
    } else {
        v.code = float_text(number, false);
    }
    return v;
}

int64_t type_min(type_kind t) {
    return t == type_kind::integer ? INT16_MIN : t == type_kind::long_ ? INT32_MIN : INT64_MIN;
}
int64_t type_max(type_kind t) {
    return t == type_kind::integer ? INT16_MAX : t == type_kind::long_ ? INT32_MAX : INT64_MAX;
}

// Names of C++ identifiers made from the program's names: letters, digits and underscores stay,
// a dot becomes "_0".
std::string mangle(const std::string &name) {
    std::string out;
    for (char c : name) {
        if (c == '.')
            out += "_0";
        else
            out += c;
    }
    return out;
}

void visit_exprs(const expr &e, const std::function<void(const expr &)> &fn) {
    fn(e);
    for (const auto &a : e.args)
        if (a) visit_exprs(*a, fn);
}

void visit_block(const block &b, const std::function<void(const expr &)> &fn) {
    auto one = [&](const expr_ptr &e) {
        if (e) visit_exprs(*e, fn);
    };
    for (const auto &s : b) {
        if (!s) continue;
        for (const auto &a : s->args) one(a);
        one(s->target);
        one(s->value);
        one(s->finish);
        one(s->step);
        visit_block(s->body, fn);
        visit_block(s->else_body, fn);
        for (const auto &c : s->branches) {
            one(c.condition);
            visit_block(c.body, fn);
        }
        for (const auto &c : s->cases) {
            for (const auto &t : c.tests) {
                one(t.a);
                one(t.b);
            }
            visit_block(c.body, fn);
        }
        for (const auto &i : s->items) one(i.e);
        for (const auto &d : s->dims) {
            for (const auto &x : d.lower) one(x);
            for (const auto &x : d.upper) one(x);
        }
    }
}

class generator {
  public:
    generator(program &prog, diagnostics &errors, const codegen_options &options)
        : prog_(prog), errors_(errors), options_(options) {}

    std::string run() {
        collect_procedures();
        build_data();
        // The main module first: the variables it makes are the ones SUBs share.
        main_scope_.proc = nullptr;
        function_state main_state;
        main_state.sc = &main_scope_;
        state_ = &main_state;
        cur_ = &main_scope_;
        gen_block(prog_.main);
        finish_function(main_state);
        std::vector<std::string> bodies;
        for (auto &p : procs_) {
            scope sc;
            sc.proc = &p.second;
            function_state st;
            st.sc = &sc;
            state_ = &st;
            cur_ = &sc;
            begin_procedure(p.second);
            gen_block(p.second.def->body);
            finish_function(st);
            bodies.push_back(procedure_text(p.second, st, sc));
        }
        if (errors_.any()) return {};
        return assemble(main_state, bodies);
    }

  private:
    program &prog_;
    diagnostics &errors_;
    const codegen_options &options_;
    std::map<std::string, proc_info> procs_;
    scope main_scope_;
    scope *cur_ = nullptr;
    bool strings_ = false; // the statement being generated made a string
    std::set<std::string> cpp_names_;
    size_t symbol_order_ = 0;
    std::string data_text_;
    std::vector<uint32_t> data_offsets_; // per DATA statement
    std::set<std::string> shared_declared_;

    struct function_state {
        scope *sc = nullptr;
        std::string body;
        int indent = 1;
        std::string decls;
        int counter = 0;
        std::vector<std::string> for_exits, do_exits;
        std::vector<int> return_points;
        bool uses_gosub = false;
        std::vector<std::pair<std::string, type_kind>> selectors;
        int fors = 0;
    };
    function_state *state_ = nullptr;

    // ---- output -------------------------------------------------------------------------------------

    void emit(const std::string &line) {
        state_->body.append(static_cast<size_t>(state_->indent) * 4, ' ');
        state_->body += line;
        state_->body += '\n';
    }
    std::string fresh(const char *stem) { return std::string(stem) + std::to_string(++state_->counter); }

    void error(position at, const std::string &message) { errors_.error(at, message); }

    std::string unique_cpp(std::string name) {
        std::string candidate = name;
        for (int k = 2; cpp_names_.count(candidate); k++) candidate = name + "_" + std::to_string(k);
        cpp_names_.insert(candidate);
        return candidate;
    }

    // ---- procedures --------------------------------------------------------------------------------

    void collect_procedures() {
        for (auto &p : prog_.procedures) {
            const procedure &d = *p;
            if (procs_.count(d.name)) {
                error(d.at, "a SUB or FUNCTION named " + d.name + " is already defined");
                continue;
            }
            if (is_builtin_function(d.name + suffix_text(d.suffix)) || is_builtin_function(d.name + "$")) {
                error(d.at, d.name + " is the name of a built-in function");
                continue;
            }
            proc_info info;
            info.def = p.get();
            if (d.is_function) {
                info.result = d.suffix != type_kind::none    ? d.suffix
                              : d.as_type != type_kind::none ? d.as_type
                                                             : d.deftype;
                info.cpp = unique_cpp("FUNC_" + mangle(d.name));
            } else {
                info.cpp = unique_cpp("SUB_" + mangle(d.name));
            }
            std::set<std::string> names;
            for (const parameter &q : d.params) {
                param_info pi;
                pi.name = q.name;
                pi.type = q.suffix != type_kind::none ? q.suffix : q.as_type != type_kind::none ? q.as_type : q.deftype;
                if (q.suffix != type_kind::none && q.as_type != type_kind::none && q.suffix != q.as_type)
                    error(q.at, q.name + suffix_text(q.suffix) + " cannot be declared AS " + type_name(q.as_type));
                pi.is_array = q.is_array;
                pi.by_val = q.by_val;
                if (!names.insert(q.name).second) error(q.at, "the parameter " + q.name + " is named twice");
                pi.var = (q.is_array ? "__PARAM_ARRAY_" : "__PARAM_") + std::string(storage_word(pi.type)) + "_" +
                         mangle(q.name);
                if (pi.is_array) pi.dims = infer_dims(d, pi);
                info.params.push_back(pi);
            }
            procs_[d.name] = info;
        }
    }

    // The number of subscripts the body uses with an array parameter (1 when it uses none).
    int infer_dims(const procedure &d, const param_info &p) {
        int dims = 0;
        visit_block(d.body, [&](const expr &e) {
            if (e.kind == expr_kind::call && e.text == p.name && !e.args.empty() &&
                (e.suffix == type_kind::none || e.suffix == p.type) && dims == 0)
                dims = static_cast<int>(e.args.size());
        });
        return dims ? dims : 1;
    }

    void begin_procedure(proc_info &p) {
        for (const param_info &q : p.params) {
            symbol s;
            s.name = q.name;
            s.type = q.type;
            s.place = symbol::param;
            s.var = q.var;
            s.is_array = q.is_array;
            s.dims = q.dims;
            s.cpp = q.var;
            if (q.is_array)
                cur_->arrays[key_of(q.name, q.type)] = s;
            else
                cur_->scalars[key_of(q.name, q.type)] = s;
            const parameter *def = nullptr;
            for (const parameter &x : p.def->params)
                if (x.name == q.name) def = &x;
            if (def && def->as_type != type_kind::none)
                (q.is_array ? cur_->array_as_types : cur_->as_types)[q.name] = q.type;
        }
    }

    std::string procedure_text(const proc_info &p, function_state &st, scope &sc) {
        std::string out;
        out += signature(p) + " {\n";
        out += "    [[maybe_unused]] const ptrszint base = tqs_tmp_list_nexti;\n";
        if (p.def->is_function) {
            if (p.result == type_kind::string)
                out += "    tqc::local_string __RESULT;\n";
            else
                out += std::string("    ") + cpp_type(p.result) + " __RESULT = 0;\n";
        }
        out += locals_text(sc);
        out += st.decls;
        out += st.body;
        out += "sub_exit: __attribute__((unused));\n";
        if (p.def->is_function)
            out += p.result == type_kind::string ? "    return tqc::string_result(__RESULT.s);\n"
                                                 : "    return __RESULT;\n";
        out += "}\n";
        return out;
    }

    std::string signature(const proc_info &p) {
        std::string out = "[[maybe_unused]] static ";
        out += p.def->is_function ? std::string(cpp_type(p.result)) : "void";
        if (out.back() != '*') out += " ";
        out += p.cpp + "(";
        for (size_t k = 0; k < p.params.size(); k++) {
            const param_info &q = p.params[k];
            if (k) out += ", ";
            out += "[[maybe_unused]] ";
            if (q.is_array)
                out += "array_descriptor<" + std::to_string(q.dims) + "> *";
            else if (q.type == type_kind::string)
                out += "tqs *";
            else
                out += std::string(cpp_type(q.type)) + " &";
            out += q.var;
        }
        return out + ")";
    }

    // The locals of a SUB call: scalars start at 0, strings empty, arrays made by their DIM (implicit
    // arrays at once, with bounds 0 to 10).
    std::string locals_text(scope &sc) {
        std::string out;
        std::vector<const symbol *> ordered;
        for (auto &kv : sc.scalars)
            if (kv.second.place == symbol::local) ordered.push_back(&kv.second);
        for (auto &kv : sc.arrays)
            if (kv.second.place == symbol::local) ordered.push_back(&kv.second);
        std::sort(ordered.begin(), ordered.end(), [](const symbol *a, const symbol *b) { return a->order < b->order; });
        for (const symbol *s : ordered) {
            if (s->is_array) {
                out += "    tqc::local_array<" + std::to_string(s->dims) + "> " + s->var + "(" +
                       (s->type == type_kind::string ? "true" : "false") + ");\n";
                if (s->implicit) out += "    " + dim_call(*s, "tqc::storage::heap") + ";\n";
            } else if (s->type == type_kind::string) {
                out += "    tqc::local_string " + s->var + ";\n";
            } else {
                // A local that is only ever stored to is fine in the dialect.
                out += std::string("    [[maybe_unused]] ") + cpp_type(s->type) + " " + s->var + " = 0;\n";
            }
        }
        return out;
    }

    std::string dim_call(const symbol &s, const char *where) {
        std::string lo, hi;
        for (int k = 0; k < s.dims; k++) {
            if (k) {
                lo += ", ";
                hi += ", ";
            }
            lo += std::to_string(s.lo.empty() ? 0 : s.lo[static_cast<size_t>(k)]);
            hi += std::to_string(s.hi.empty() ? 10 : s.hi[static_cast<size_t>(k)]);
        }
        return "tqc::dim(" + s.cpp + ", tqc::bounds<" + std::to_string(s.dims) + ">{{" + lo + "}, {" + hi +
               "}}, sizeof(" + cpp_type(s.type) + "), " + (s.type == type_kind::string ? "true" : "false") + ", " +
               where + ")";
    }

    void finish_function(function_state &st) {
        // Every RETURN jumps back to any of the function's GOSUB return points.
        std::string cases;
        for (int k : st.return_points)
            cases += "case " + std::to_string(k) + ": goto gosub_return_" + std::to_string(k) + "; ";
        const std::string mark = "@RETURN_POINTS@";
        for (size_t at = st.body.find(mark); at != std::string::npos; at = st.body.find(mark, at + cases.size()))
            st.body.replace(at, mark.size(), cases);
        if (st.uses_gosub) st.decls += "    tqc::return_stack gosub_stack;\n";
        st.decls += "    [[maybe_unused]] int32_t tqc_truth = 0;\n    [[maybe_unused]] bool tqc_leave = false;\n";
        st.decls += "    [[maybe_unused]] int32_t tqc_index = 0;\n";
        for (int k = 1; k <= st.fors; k++)
            st.decls += "    [[maybe_unused]] double for_value_" + std::to_string(k) + " = 0, for_end_" +
                        std::to_string(k) + " = 0, for_step_" + std::to_string(k) + " = 0;\n";
        for (auto &s : st.selectors) {
            if (s.second == type_kind::string)
                st.decls += "    tqc::local_string " + s.first + ";\n";
            else
                st.decls += std::string("    ") + cpp_type(s.second) + " " + s.first + " = 0;\n";
        }
    }

    // ---- DATA ------------------------------------------------------------------------------------------
    // Items follow one another, each ended by a comma; quoted items keep their quotes so that commas
    // inside them stay text.

    void build_data() {
        for (const data_statement &d : prog_.data) {
            data_offsets_.push_back(static_cast<uint32_t>(data_text_.size()));
            std::string item;
            bool quoted = false;
            auto flush = [&]() {
                size_t a = item.find_first_not_of(" \t\r");
                size_t b = item.find_last_not_of(" \t\r");
                data_text_ += (a == std::string::npos ? std::string() : item.substr(a, b - a + 1)) + ",";
                item.clear();
            };
            for (char c : d.raw) {
                if (c == '"') quoted = !quoted;
                if (c == ',' && !quoted)
                    flush();
                else
                    item += c;
            }
            flush();
        }
        if (data_text_.size() > 64u * 1024 * 1024) error(prog_.end_at, "the program's DATA is too large");
    }

    // The offset of the first DATA after a place in the text (DATA statements are in text order).
    uint32_t data_offset_after(size_t token_order) const {
        auto it = std::lower_bound(prog_.data.begin(), prog_.data.end(), token_order,
                                   [](const data_statement &d, size_t order) { return d.token_order < order; });
        if (it == prog_.data.end()) return static_cast<uint32_t>(data_text_.size());
        return data_offsets_[static_cast<size_t>(it - prog_.data.begin())];
    }

    // ---- names -----------------------------------------------------------------------------------------

    const const_value *find_const(const std::string &name) const {
        auto it = cur_->consts.find(name);
        if (it != cur_->consts.end()) return &it->second;
        auto g = main_scope_.consts.find(name);
        if (g != main_scope_.consts.end()) return &g->second;
        return nullptr;
    }

    type_kind declared_type(const std::string &name, bool array) const {
        const auto &local = array ? cur_->array_as_types : cur_->as_types;
        auto it = local.find(name);
        if (it != local.end()) return it->second;
        if (cur_->proc) {
            const std::string shared_key = (array ? "A:" : "S:") + name;
            if (shared_declared_.count(shared_key)) {
                const auto &global = array ? main_scope_.array_as_types : main_scope_.as_types;
                auto g = global.find(name);
                if (g != global.end()) return g->second;
            }
        }
        return type_kind::none;
    }

    symbol make_symbol(const std::string &name, type_kind t, bool array, symbol::place_t place) {
        symbol s;
        s.name = name;
        s.type = t;
        s.is_array = array;
        s.place = place;
        s.order = ++symbol_order_;
        const std::string word = storage_word(t);
        if (place == symbol::global) {
            s.var = unique_cpp((array ? "__ARRAY_" : "__") + word + "_" + mangle(name));
            s.cpp = array || t == type_kind::string ? s.var : "(*" + s.var + ")";
        } else {
            s.var = unique_cpp((array ? "__LOCAL_ARRAY_" : "__LOCAL_") + word + "_" + mangle(name));
            s.cpp = array ? s.var + ".a" : t == type_kind::string ? s.var + ".s" : s.var;
        }
        return s;
    }

    symbol *scalar(const std::string &name, type_kind suffix, type_kind deftype, position at) {
        type_kind t = suffix;
        if (t == type_kind::none) t = declared_type(name, false);
        if (t == type_kind::none) {
            t = deftype;
            cur_->used_default.insert(name);
        }
        const std::string key = key_of(name, t);
        auto it = cur_->scalars.find(key);
        if (it != cur_->scalars.end()) return &it->second;
        if (cur_->proc) {
            auto g = main_scope_.scalars.find(key);
            if (cur_->shared_scalars.count(key) || (g != main_scope_.scalars.end() && g->second.shared)) {
                if (g == main_scope_.scalars.end())
                    g = main_scope_.scalars.emplace(key, make_symbol(name, t, false, symbol::global)).first;
                return &g->second;
            }
            (void)at;
            return &cur_->scalars.emplace(key, make_symbol(name, t, false, symbol::local)).first->second;
        }
        return &main_scope_.scalars.emplace(key, make_symbol(name, t, false, symbol::global)).first->second;
    }

    // An array named in an expression or statement; an array never declared is made with bounds 0
    // to 10 in each of the dimensions it is used with.
    symbol *array(const std::string &name, type_kind suffix, type_kind deftype, int dims, position at) {
        type_kind t = suffix;
        if (t == type_kind::none) t = declared_type(name, true);
        if (t == type_kind::none) t = deftype;
        const std::string key = key_of(name, t);
        symbol *s = nullptr;
        auto it = cur_->arrays.find(key);
        if (it != cur_->arrays.end())
            s = &it->second;
        else if (cur_->proc) {
            auto g = main_scope_.arrays.find(key);
            if (cur_->shared_arrays.count(key) || (g != main_scope_.arrays.end() && g->second.shared)) {
                if (g == main_scope_.arrays.end()) {
                    error(at, "the shared array " + name + " is not dimensioned in the main module");
                    return nullptr;
                }
                s = &g->second;
            }
        }
        if (!s) {
            scope &home = cur_->proc ? *cur_ : main_scope_;
            symbol made = make_symbol(name, t, true, cur_->proc ? symbol::local : symbol::global);
            made.dims = dims;
            made.implicit = true;
            made.static_bounds = true;
            made.lo.assign(static_cast<size_t>(dims), 0);
            made.hi.assign(static_cast<size_t>(dims), 10);
            s = &home.arrays.emplace(key, made).first->second;
        }
        if (dims && s->dims != dims) {
            error(at, "the array " + name + " has " + std::to_string(s->dims) + " dimension" +
                          (s->dims == 1 ? "" : "s") + ", not " + std::to_string(dims));
            return nullptr;
        }
        return s;
    }

    // ---- constants -------------------------------------------------------------------------------------

    std::optional<const_value> eval_const(const expr &e) {
        switch (e.kind) {
        case expr_kind::number: {
            const_value v;
            v.type = e.suffix;
            v.number = e.number;
            v.integer = e.integer;
            if (v.type == type_kind::single) v.number = static_cast<double>(single_literal(e));
            return v;
        }
        case expr_kind::string: {
            const_value v;
            v.type = type_kind::string;
            v.text = e.text;
            return v;
        }
        case expr_kind::name: {
            const const_value *c = find_const(e.text);
            if (c && (e.suffix == type_kind::none || e.suffix == c->type)) return *c;
            return std::nullopt;
        }
        case expr_kind::unary: {
            auto a = eval_const(*e.args[0]);
            if (!a || a->type == type_kind::string) return std::nullopt;
            if (e.text == "-") {
                if (is_integer(a->type)) {
                    if (a->integer == type_min(a->type)) return std::nullopt;
                    a->integer = -a->integer;
                }
                a->number = -a->number;
                return a;
            }
            if (e.text == "NOT" && is_integer(a->type)) {
                a->integer = ~a->integer;
                a->number = static_cast<double>(a->integer);
                return a;
            }
            return std::nullopt;
        }
        case expr_kind::binary: {
            auto a = eval_const(*e.args[0]);
            auto b = eval_const(*e.args[1]);
            if (!a || !b) return std::nullopt;
            if (a->type == type_kind::string && b->type == type_kind::string && e.text == "+") {
                const_value v;
                v.type = type_kind::string;
                v.text = a->text + b->text;
                return v;
            }
            if (a->type == type_kind::string || b->type == type_kind::string) return std::nullopt;
            const type_kind t = wider(a->type, b->type);
            const_value v;
            v.type = t;
            if (is_integer(t) && (e.text == "+" || e.text == "-" || e.text == "*")) {
                long double r = e.text == "+"   ? static_cast<long double>(a->integer) + b->integer
                                : e.text == "-" ? static_cast<long double>(a->integer) - b->integer
                                                : static_cast<long double>(a->integer) * b->integer;
                if (r < type_min(t) || r > type_max(t)) return std::nullopt;
                v.integer = static_cast<int64_t>(r);
                v.number = static_cast<double>(v.integer);
                return v;
            }
            if (is_float(t) && (e.text == "+" || e.text == "-" || e.text == "*" || e.text == "/")) {
                const double x = a->number, y = b->number;
                double r = e.text == "+"   ? x + y
                           : e.text == "-" ? x - y
                           : e.text == "*" ? x * y
                           : y != 0        ? x / y
                                           : static_cast<double>(NAN);
                if (!std::isfinite(r)) return std::nullopt;
                if (t == type_kind::single) r = static_cast<double>(static_cast<float>(r));
                v.number = r;
                return v;
            }
            if (e.text == "/") {
                if (b->number == 0) return std::nullopt;
                v.type = type_kind::single;
                v.number = static_cast<double>(static_cast<float>(a->number / b->number));
                return v;
            }
            return std::nullopt;
        }
        default: return std::nullopt;
        }
    }

    static float single_literal(const expr &e) {
        if (e.text.empty() || e.text[0] == '&') return static_cast<float>(e.number);
        std::string t = e.text;
        for (char &c : t)
            if (c == 'd' || c == 'D') c = 'E';
        return std::strtof(t.c_str(), nullptr);
    }

    // ---- conversions -----------------------------------------------------------------------------------

    // The value in type t, as assignment and argument passing convert it.
    value convert(const value &v, type_kind t, position at) {
        if (v.type == t || v.type == type_kind::none) {
            value out = v;
            out.type = t == type_kind::none ? v.type : t;
            return out;
        }
        if (t == type_kind::string || v.type == type_kind::string) {
            error(at, std::string("type mismatch: ") + type_name(v.type) + " where " + type_name(t) + " is expected");
            value out;
            out.type = t;
            out.code = t == type_kind::string ? "nothingstring" : std::string(cpp_type(t)) + "(0)";
            return out;
        }
        if (v.literal) {
            if (is_integer(t)) {
                double n = is_integer(v.type) ? static_cast<double>(v.integer) : std::nearbyint(v.number);
                if (n < static_cast<double>(type_min(t)) || n > static_cast<double>(type_max(t))) {
                    error(at, std::string("overflow: the value does not fit ") + type_name(t));
                    n = 0;
                }
                return literal_value(t, n, is_integer(v.type) ? v.integer : static_cast<int64_t>(n));
            }
            if (t == type_kind::single && v.type == type_kind::double_ && std::fabs(v.number) > 3.402823466e38) {
                error(at, "overflow: the value does not fit SINGLE");
                return literal_value(t, 0, 0);
            }
            return literal_value(t, is_integer(v.type) ? static_cast<double>(v.integer) : v.number, 0);
        }
        value out;
        out.type = t;
        out.may_fail = v.may_fail;
        if (is_integer(t)) {
            if (is_float(v.type)) {
                out.code = std::string("tqc::to_int<") + cpp_type(t) + ">(" + as_double(v) + ")";
                out.may_fail = true;
            } else if (type_max(v.type) > type_max(t)) {
                out.code = std::string("tqc::narrow<") + cpp_type(t) + ">(" + v.code + ")";
                out.may_fail = true;
            } else {
                out.code = std::string("static_cast<") + cpp_type(t) + ">(" + v.code + ")";
            }
        } else {
            out.code = std::string("static_cast<") + cpp_type(t) + ">(" + v.code + ")";
        }
        return out;
    }

    static std::string as_double(const value &v) {
        return v.type == type_kind::double_ ? v.code : "static_cast<double>(" + v.code + ")";
    }

    value need_numeric(value v, position at) {
        if (v.type == type_kind::string) {
            error(at, "type mismatch: a string where a number is expected");
            v.type = type_kind::single;
            v.code = "0.0f";
        }
        return v;
    }

    std::string numeric_arg(const expr &e, type_kind t) { return convert(need_numeric(gen(e), e.at), t, e.at).code; }
    std::string string_arg(const expr &e) {
        value v = gen(e);
        if (v.type != type_kind::string) {
            error(e.at, std::string("type mismatch: ") + type_name(v.type) + " where a string is expected");
            return "nothingstring";
        }
        return v.code;
    }
    // A colour: any integer up to 32 bits, negative LONG values giving their bit pattern.
    std::string colour_arg(const expr &e) {
        return "static_cast<uint32_t>(" + numeric_arg(e, type_kind::integer64) + ")";
    }

    // ---- expressions -----------------------------------------------------------------------------------

    // Every string value a statement makes is a temporary the statement releases.
    value gen(const expr &e) {
        value v = gen_value(e);
        if (v.type == type_kind::string) strings_ = true;
        return v;
    }

    value gen_value(const expr &e) {
        switch (e.kind) {
        case expr_kind::number:
            return e.suffix == type_kind::single ? literal_value(e.suffix, static_cast<double>(single_literal(e)), 0)
                                                 : literal_value(e.suffix, e.number, e.integer);
        case expr_kind::string: {
            value v;
            v.type = type_kind::string;
            v.code = "tqs_new_txt_len(" + c_string(e.text) + ", " + std::to_string(e.text.size()) + ")";
            return v;
        }
        case expr_kind::name: return gen_name(e);
        case expr_kind::call: return gen_call(e);
        case expr_kind::unary: return gen_unary(e);
        case expr_kind::binary: return gen_binary(e);
        }
        return {};
    }

    value gen_name(const expr &e) {
        if (const const_value *c = find_const(e.text)) {
            if (e.suffix != type_kind::none && e.suffix != c->type) {
                error(e.at, "the constant " + e.text + " is " + type_name(c->type));
                return literal_value(type_kind::single, 0, 0);
            }
            if (c->type == type_kind::string) {
                value v;
                v.type = type_kind::string;
                v.code = "tqs_new_txt_len(" + c_string(c->text) + ", " + std::to_string(c->text.size()) + ")";
                return v;
            }
            return literal_value(c->type, c->number, c->integer);
        }
        auto p = procs_.find(e.text);
        if (p != procs_.end() && p->second.def->is_function &&
            (e.suffix == type_kind::none || e.suffix == p->second.result)) {
            if (!p->second.params.empty()) {
                error(e.at, "the FUNCTION " + e.text + " needs its arguments");
                return literal_value(type_kind::single, 0, 0);
            }
            value v;
            v.type = p->second.result;
            v.code = p->second.cpp + "()";
            v.may_fail = true;
            return v;
        }
        const std::string full = e.text + suffix_text(e.suffix);
        if (is_builtin_function(full)) {
            expr call;
            call.kind = expr_kind::call;
            call.at = e.at;
            call.text = e.text;
            call.suffix = e.suffix;
            return gen_builtin(call);
        }
        if (is_unsupported_function(full)) {
            error(e.at, full + " is not supported");
            return literal_value(type_kind::single, 0, 0);
        }
        if (p != procs_.end() && !p->second.def->is_function) {
            error(e.at, e.text + " is a SUB, which gives no value");
            return literal_value(type_kind::single, 0, 0);
        }
        return scalar_value(e.text, e.suffix, e.deftype, e.at);
    }

    // A scalar variable as a value (declared at its first use).
    value scalar_value(const std::string &name, type_kind suffix, type_kind deftype, position at) {
        const symbol *s = scalar(name, suffix, deftype, at);
        value v;
        v.type = s->type;
        v.code = s->cpp;
        return v;
    }

    value gen_call(const expr &e) {
        const std::string full = e.text + suffix_text(e.suffix);
        if (is_builtin_function(full)) return gen_builtin(e);
        if (is_unsupported_function(full)) {
            error(e.at, full + " is not supported");
            return literal_value(type_kind::single, 0, 0);
        }
        auto p = procs_.find(e.text);
        if (p != procs_.end()) {
            if (!p->second.def->is_function) {
                error(e.at, e.text + " is a SUB, which gives no value");
                return literal_value(type_kind::single, 0, 0);
            }
            if (e.suffix != type_kind::none && e.suffix != p->second.result) {
                error(e.at, "the FUNCTION " + e.text + " returns " + type_name(p->second.result));
                return literal_value(type_kind::single, 0, 0);
            }
            value v;
            v.type = p->second.result;
            v.code = p->second.cpp + "(" + call_arguments(p->second, e.args, e.at) + ")";
            v.may_fail = true;
            return v;
        }
        if (e.empty_parens) {
            error(e.at, "a whole array " + e.text + "() can only be passed to a SUB or FUNCTION");
            return literal_value(type_kind::single, 0, 0);
        }
        return element(e);
    }

    // An array element as an lvalue.
    value element(const expr &e) {
        symbol *s = array(e.text, e.suffix, e.deftype, static_cast<int>(e.args.size()), e.at);
        value v;
        if (!s) {
            v.type = e.suffix == type_kind::string ? type_kind::string : type_kind::single;
            v.code = v.type == type_kind::string ? "nothingstring" : "tqc::lvalue(0.0f)";
            return v;
        }
        std::string subs;
        for (size_t k = 0; k < e.args.size(); k++) {
            value sub = need_numeric(gen(*e.args[k]), e.args[k]->at);
            if (k) subs += ", ";
            if (sub.literal && is_integer(sub.type))
                subs += std::to_string(sub.integer) + "LL";
            else if (is_integer(sub.type))
                subs += "tqc::subscript(static_cast<int64_t>(" + sub.code + "))";
            else
                subs += "tqc::subscript(" + as_double(sub) + ")";
        }
        v.type = s->type;
        v.code = std::string("tqc::element<") + cpp_type(s->type) + ", " + std::to_string(s->dims) + ">(" + s->cpp +
                 ", {" + subs + "})";
        v.may_fail = true;
        return v;
    }

    // The arguments of a SUB or FUNCTION call: variables and array elements of the parameter's type
    // by reference, anything else as a copy; whole arrays by their descriptor.
    std::string call_arguments(const proc_info &p, const std::vector<expr_ptr> &args, position at) {
        if (args.size() != p.params.size()) {
            error(at, p.def->name + " takes " + std::to_string(p.params.size()) + " argument" +
                          (p.params.size() == 1 ? "" : "s") + ", not " + std::to_string(args.size()));
            return {};
        }
        std::string out;
        for (size_t k = 0; k < args.size(); k++) {
            const param_info &q = p.params[k];
            const expr &a = *args[k];
            if (k) out += ", ";
            if (q.is_array) {
                if (a.kind != expr_kind::call || !a.empty_parens) {
                    error(a.at, "the parameter " + q.name + " is an array: pass NAME()");
                    continue;
                }
                symbol *s = array(a.text, a.suffix, a.deftype, 0, a.at);
                if (!s) continue;
                if (s->type != q.type) {
                    error(a.at, std::string("parameter type mismatch: the array is ") + type_name(s->type) + ", " +
                                    q.name + " is " + type_name(q.type));
                    continue;
                }
                if (s->dims != q.dims) {
                    error(a.at, "the array " + a.text + " has " + std::to_string(s->dims) + " dimension" +
                                    (s->dims == 1 ? "" : "s") + ", " + p.def->name + " uses " + std::to_string(q.dims));
                    continue;
                }
                out += s->cpp;
                continue;
            }
            const bool variable = !q.by_val && is_variable(a);
            value v = gen(a);
            if (variable) {
                if (v.type != q.type) {
                    error(a.at, std::string("parameter type mismatch: ") + type_name(v.type) + " passed to " + q.name +
                                    ", which is " + type_name(q.type));
                    continue;
                }
                out += v.code;
                continue;
            }
            value c = convert(v, q.type, a.at);
            if (q.type == type_kind::string)
                out += "tqc::string_arg(" + c.code + ").s";
            else
                out += std::string("tqc::lvalue(") + cpp_type(q.type) + "(" + c.code + "))";
        }
        return out;
    }

    // A variable or an array element: what a SUB receives by reference.
    bool is_variable(const expr &a) {
        if (a.parenthesized) return false;
        if (a.kind == expr_kind::name) {
            if (find_const(a.text)) return false;
            auto p = procs_.find(a.text);
            if (p != procs_.end()) return false;
            if (is_builtin_function(a.text + suffix_text(a.suffix))) return false;
            return true;
        }
        if (a.kind == expr_kind::call && !a.empty_parens) {
            if (procs_.count(a.text) || is_builtin_function(a.text + suffix_text(a.suffix))) return false;
            return true;
        }
        return false;
    }

    value gen_unary(const expr &e) {
        value a = need_numeric(gen(*e.args[0]), e.args[0]->at);
        value out;
        if (e.text == "-") {
            if (a.literal) {
                if (is_integer(a.type)) {
                    if (a.integer == type_min(a.type)) {
                        // -(-32768) does not fit INTEGER: computed in the next wider type.
                        type_kind w = a.type == type_kind::integer ? type_kind::long_ : type_kind::double_;
                        return literal_value(w, -a.number, -a.integer);
                    }
                    return literal_value(a.type, -a.number, -a.integer);
                }
                return literal_value(a.type, -a.number, 0);
            }
            out.type = a.type;
            out.may_fail = a.may_fail;
            if (is_integer(a.type)) {
                out.code = std::string("tqc::neg<") + cpp_type(a.type) + ">(" + a.code + ")";
                out.may_fail = true;
            } else {
                out.code = "(-" + a.code + ")";
            }
            return out;
        }
        // NOT: the bits of the operand as an integer.
        const type_kind t = a.type == type_kind::integer     ? type_kind::integer
                            : a.type == type_kind::integer64 ? type_kind::integer64
                                                             : type_kind::long_;
        value c = convert(a, t, e.at);
        out.type = t;
        out.may_fail = c.may_fail;
        out.code = std::string("static_cast<") + cpp_type(t) + ">(~" + c.code + ")";
        return out;
    }

    value gen_binary(const expr &e) {
        value a = gen(*e.args[0]);
        value b = gen(*e.args[1]);
        return binary_op(e.text, a, b, e.at);
    }

    value binary_op(const std::string &op, const value &a, const value &b, position at) {
        value out;
        out.may_fail = a.may_fail || b.may_fail;
        const bool relation = op == "=" || op == "<>" || op == "<" || op == ">" || op == "<=" || op == ">=";
        if (a.type == type_kind::string || b.type == type_kind::string) {
            if (a.type != b.type) {
                error(at, std::string("type mismatch: ") + type_name(a.type) + " " + op + " " + type_name(b.type));
                return literal_value(type_kind::integer, 0, 0);
            }
            if (op == "+") {
                out.type = type_kind::string;
                out.code = "tqs_add(" + a.code + ", " + b.code + ")";
                return out;
            }
            if (relation) {
                static const std::map<std::string, const char *> names = {
                    {"=", "tqs_equal"},       {"<>", "tqs_notequal"},    {"<", "tqs_lessthan"},
                    {">", "tqs_greaterthan"}, {"<=", "tqs_lessorequal"}, {">=", "tqs_greaterorequal"}};
                out.type = type_kind::integer;
                out.code = std::string("static_cast<int16_t>(") + names.at(op) + "(" + a.code + ", " + b.code + "))";
                return out;
            }
            error(at, "type mismatch: " + op + " does not apply to strings");
            return literal_value(type_kind::integer, 0, 0);
        }
        if (relation) {
            const type_kind t = wider(a.type, b.type);
            const std::string cop = op == "=" ? "==" : op == "<>" ? "!=" : op;
            out.type = type_kind::integer;
            out.code = "tqc::truth(" + convert(a, t, at).code + " " + cop + " " + convert(b, t, at).code + ")";
            return out;
        }
        if (op == "+" || op == "-" || op == "*") {
            const type_kind t = wider(a.type, b.type);
            out.type = t;
            const std::string x = convert(a, t, at).code, y = convert(b, t, at).code;
            if (is_integer(t)) {
                const char *fn = op == "+" ? "add" : op == "-" ? "sub" : "mul";
                out.code = std::string("tqc::") + fn + "<" + cpp_type(t) + ">(" + x + ", " + y + ")";
                out.may_fail = true;
            } else {
                out.code = "(" + x + " " + op + " " + y + ")";
            }
            return out;
        }
        if (op == "/" || op == "^") {
            // Division and powers are floating-point: DOUBLE when an operand is, SINGLE otherwise.
            const type_kind t =
                a.type == type_kind::double_ || b.type == type_kind::double_ ? type_kind::double_ : type_kind::single;
            out.type = t;
            const std::string x = convert(a, t, at).code, y = convert(b, t, at).code;
            if (op == "/")
                out.code = "(" + x + " / " + y + ")";
            else {
                out.code = std::string("tqc::power<") + cpp_type(t) + ">(" + x + ", " + y + ")";
                out.may_fail = true;
            }
            return out;
        }
        // \, MOD and the logical operators work on integers: INTEGER when both operands are,
        // _INTEGER64 when either is, LONG otherwise; floating-point operands are rounded first.
        const type_kind t = a.type == type_kind::integer && b.type == type_kind::integer       ? type_kind::integer
                            : a.type == type_kind::integer64 || b.type == type_kind::integer64 ? type_kind::integer64
                                                                                               : type_kind::long_;
        out.type = t;
        const std::string x = convert(a, t, at).code, y = convert(b, t, at).code;
        const std::string cast = std::string("static_cast<") + cpp_type(t) + ">";
        if (op == "\\" || op == "MOD") {
            out.code =
                std::string("tqc::") + (op == "MOD" ? "imod" : "idiv") + "<" + cpp_type(t) + ">(" + x + ", " + y + ")";
            out.may_fail = true;
        } else if (op == "AND")
            out.code = cast + "(" + x + " & " + y + ")";
        else if (op == "OR")
            out.code = cast + "(" + x + " | " + y + ")";
        else if (op == "XOR")
            out.code = cast + "(" + x + " ^ " + y + ")";
        else if (op == "EQV")
            out.code = cast + "(~(" + x + " ^ " + y + "))";
        else
            out.code = cast + "(~" + x + " | " + y + ")"; // IMP
        if (a.may_fail || b.may_fail || is_float(a.type) || is_float(b.type)) out.may_fail = true;
        return out;
    }

    // A condition: true when the value is not zero.
    std::string condition(const expr &e) {
        value v = need_numeric(gen(e), e.at);
        return "(" + v.code + ") != 0";
    }

    // ---- built-in functions ----------------------------------------------------------------------------

    bool arity(const expr &e, size_t lo, size_t hi) {
        if (e.args.size() >= lo && e.args.size() <= hi) return true;
        const std::string full = e.text + suffix_text(e.suffix);
        std::string count = lo == hi ? std::to_string(lo) : std::to_string(lo) + " to " + std::to_string(hi);
        error(e.at,
              full + " takes " + count + " argument" + (hi == 1 ? "" : "s") + ", not " + std::to_string(e.args.size()));
        return false;
    }

    static type_kind float_type(type_kind t) {
        return t == type_kind::double_ ? type_kind::double_ : type_kind::single;
    }

    value gen_builtin(const expr &e) {
        const std::string f = e.text + suffix_text(e.suffix);
        value out;
        out.may_fail = true;
        auto fail = [&]() { return literal_value(f.back() == '$' ? type_kind::long_ : type_kind::single, 0, 0); };
        auto string_fail = [&]() {
            value v;
            v.type = type_kind::string;
            v.code = "nothingstring";
            return v;
        };
        auto result = [&](type_kind t, std::string code) {
            out.type = t;
            out.code = std::move(code);
            return out;
        };
        const auto &a = e.args;
        // Functions of one number that keep a floating-point type.
        static const std::map<std::string, std::string> math = {
            {"SIN", "std::sin"}, {"COS", "std::cos"}, {"TAN", "std::tan"}, {"ATN", "std::atan"},
            {"EXP", "std::exp"}, {"SQR", "tqc::sqr"}, {"LOG", "tqc::log"}};
        if (auto m = math.find(f); m != math.end()) {
            if (!arity(e, 1, 1)) return fail();
            value v = need_numeric(gen(*a[0]), a[0]->at);
            const type_kind t = float_type(v.type);
            return result(t, m->second + "(" + convert(v, t, a[0]->at).code + ")");
        }
        if (f == "ABS" || f == "INT" || f == "FIX" || f == "SGN") {
            if (!arity(e, 1, 1)) return fail();
            value v = need_numeric(gen(*a[0]), a[0]->at);
            if (f == "SGN") return result(type_kind::integer, "tqc::sgn(" + v.code + ")");
            if (is_integer(v.type)) {
                if (f == "ABS")
                    return result(v.type, std::string("tqc::iabs<") + cpp_type(v.type) + ">(" + v.code + ")");
                return v;
            }
            const char *fn = f == "ABS" ? "std::fabs" : f == "INT" ? "std::floor" : "std::trunc";
            return result(v.type, std::string(fn) + "(" + v.code + ")");
        }
        static const std::map<std::string, type_kind> casts = {{"CINT", type_kind::integer},
                                                               {"CLNG", type_kind::long_},
                                                               {"CSNG", type_kind::single},
                                                               {"CDBL", type_kind::double_}};
        if (auto c = casts.find(f); c != casts.end()) {
            if (!arity(e, 1, 1)) return fail();
            value v = need_numeric(gen(*a[0]), a[0]->at);
            return convert(v, c->second, a[0]->at);
        }
        if (f == "VAL") {
            if (!arity(e, 1, 1)) return fail();
            return result(type_kind::double_, "tqc::val(" + string_arg(*a[0]) + ")");
        }
        if (f == "LEN") {
            if (!arity(e, 1, 1)) return fail();
            return result(type_kind::long_, "tqc::len(" + string_arg(*a[0]) + ")");
        }
        if (f == "STR$") {
            if (!arity(e, 1, 1)) return string_fail();
            value v = need_numeric(gen(*a[0]), a[0]->at);
            return result(type_kind::string, "tqs_str(" + v.code + ")");
        }
        if (f == "HEX$" || f == "OCT$") {
            if (!arity(e, 1, 1)) return string_fail();
            value v = need_numeric(gen(*a[0]), a[0]->at);
            if (!is_integer(v.type)) v = convert(v, type_kind::long_, a[0]->at);
            return result(type_kind::string, std::string(f == "HEX$" ? "tqc::hex(" : "tqc::oct(") + v.code + ")");
        }
        if (f == "CHR$" || f == "SPACE$") {
            if (!arity(e, 1, 1)) return string_fail();
            return result(type_kind::string, std::string(f == "CHR$" ? "func_chr(" : "func_space(") +
                                                 numeric_arg(*a[0], type_kind::long_) + ")");
        }
        if (f == "ASC") {
            if (!arity(e, 1, 2)) return fail();
            std::string s = string_arg(*a[0]);
            if (a.size() == 2) s += ", " + numeric_arg(*a[1], type_kind::long_);
            return result(type_kind::integer, "static_cast<int16_t>(tqs_asc(" + s + "))");
        }
        if (f == "LEFT$" || f == "RIGHT$") {
            if (!arity(e, 2, 2)) return string_fail();
            return result(type_kind::string, std::string(f == "LEFT$" ? "tqs_left(" : "tqs_right(") +
                                                 string_arg(*a[0]) + ", " + numeric_arg(*a[1], type_kind::long_) + ")");
        }
        if (f == "MID$") {
            if (!arity(e, 2, 3)) return string_fail();
            std::string s = string_arg(*a[0]) + ", " + numeric_arg(*a[1], type_kind::long_);
            s += a.size() == 3 ? ", " + numeric_arg(*a[2], type_kind::long_) + ", 1" : ", 0, 0";
            return result(type_kind::string, "func_mid(" + s + ")");
        }
        static const std::map<std::string, std::string> string_fns = {{"LTRIM$", "tqs_ltrim"},
                                                                      {"RTRIM$", "tqs_rtrim"},
                                                                      {"_TRIM$", "tqs__trim"},
                                                                      {"UCASE$", "tqs_ucase"},
                                                                      {"LCASE$", "tqs_lcase"}};
        if (auto s = string_fns.find(f); s != string_fns.end()) {
            if (!arity(e, 1, 1)) return string_fail();
            return result(type_kind::string, s->second + "(" + string_arg(*a[0]) + ")");
        }
        if (f == "STRING$") {
            if (!arity(e, 2, 2)) return string_fail();
            const std::string n = numeric_arg(*a[0], type_kind::long_);
            value v = gen(*a[1]);
            if (v.type == type_kind::string)
                return result(type_kind::string, "tqc::string_of(" + n + ", " + v.code + ")");
            return result(type_kind::string,
                          "func_string(" + n + ", " + convert(v, type_kind::long_, a[1]->at).code + ")");
        }
        if (f == "INSTR" || f == "_INSTRREV") {
            if (!arity(e, 2, 3)) return fail();
            const char *fn = f == "INSTR" ? "func_instr(" : "func__instrrev(";
            if (a.size() == 3)
                return result(type_kind::long_, std::string(fn) + numeric_arg(*a[0], type_kind::long_) + ", " +
                                                    string_arg(*a[1]) + ", " + string_arg(*a[2]) + ", 1)");
            return result(type_kind::long_,
                          std::string(fn) + "0, " + string_arg(*a[0]) + ", " + string_arg(*a[1]) + ", 0)");
        }
        if (f == "_STRCMP" || f == "_STRICMP") {
            if (!arity(e, 2, 2)) return fail();
            return result(type_kind::long_,
                          std::string(f == "_STRCMP" ? "func__str_compare(" : "func__str_nc_compare(") +
                              string_arg(*a[0]) + ", " + string_arg(*a[1]) + ")");
        }
        if (f == "TIMER") {
            if (!arity(e, 0, 1)) return fail();
            if (a.empty()) return result(type_kind::single, "static_cast<float>(func_timer(0, 0))");
            return result(type_kind::double_, "func_timer(" + numeric_arg(*a[0], type_kind::double_) + ", 1)");
        }
        if (f == "RND") {
            if (!arity(e, 0, 1)) return fail();
            if (a.empty()) return result(type_kind::single, "func_rnd(0.0f, 0)");
            return result(type_kind::single, "func_rnd(" + numeric_arg(*a[0], type_kind::single) + ", 1)");
        }
        if (f == "INKEY$") {
            if (!arity(e, 0, 0)) return string_fail();
            return result(type_kind::string, "tqs_inkey()");
        }
        if (f == "_KEYHIT") {
            if (!arity(e, 0, 0)) return fail();
            return result(type_kind::long_, "func__keyhit()");
        }
        if (f == "_KEYDOWN") {
            if (!arity(e, 1, 1)) return fail();
            return result(type_kind::long_, "func__keydown(" + numeric_arg(*a[0], type_kind::long_) + ")");
        }
        if (f == "CSRLIN") {
            if (!arity(e, 0, 0)) return fail();
            return result(type_kind::integer, "tqc::csrlin()");
        }
        if (f == "POS") {
            if (!arity(e, 1, 1)) return fail();
            numeric_arg(*a[0], type_kind::long_);
            return result(type_kind::integer, "static_cast<int16_t>(func_pos(0))");
        }
        if (f == "POINT") {
            if (!arity(e, 1, 2)) return fail();
            if (a.size() == 1)
                return result(type_kind::double_, "func_point(" + numeric_arg(*a[0], type_kind::single) + ", 0.0f, 0)");
            return result(type_kind::double_, "func_point(" + numeric_arg(*a[0], type_kind::single) + ", " +
                                                  numeric_arg(*a[1], type_kind::single) + ", 1)");
        }
        if (f == "_NEWIMAGE") {
            if (!arity(e, 2, 3)) return fail();
            std::string s = numeric_arg(*a[0], type_kind::long_) + ", " + numeric_arg(*a[1], type_kind::long_);
            s += a.size() == 3 ? ", " + numeric_arg(*a[2], type_kind::long_) + ", 1" : ", 0, 0";
            return result(type_kind::long_, "func__newimage(" + s + ")");
        }
        if (f == "_DEST" || f == "_SOURCE") {
            if (!arity(e, 0, 0)) return fail();
            return result(type_kind::long_, f == "_DEST" ? "func__dest()" : "func__source()");
        }
        error(e.at, f + " cannot be used here");
        return fail();
    }

    // ---- statements ------------------------------------------------------------------------------------

    void gen_block(const block &b) {
        for (const auto &s : b)
            if (s) gen_statement(*s);
    }

    std::string line_of(const stmt &s) const { return std::to_string(s.at.line); }

    // A statement's work followed by its frame, which may ask for the work again.
    void framed(const stmt &s, const std::vector<std::string> &work, bool strings, uint32_t line = 0) {
        strings = strings || strings_;
        const std::string l = line ? std::to_string(line) : line_of(s);
        if (work.empty() && !strings) {
            emit("do {");
            emit("} while (tq_statement_frame(" + l + "));");
            return;
        }
        emit("do {");
        state_->indent++;
        for (const std::string &w : work) emit(w);
        if (strings) emit("tqs_release_tmp(base, 0);");
        state_->indent--;
        emit("} while (tq_statement_frame(" + l + "));");
    }

    void gen_labels(const stmt &s) {
        for (const std::string &l : s.labels) {
            state_->indent--;
            emit("L_" + mangle(l) + ": __attribute__((unused));");
            state_->indent++;
        }
    }

    value gen_tracked(const expr &e) { return gen(e); }

    void gen_statement(const stmt &s) {
        gen_labels(s);
        strings_ = false;
        switch (s.kind) {
        case stmt_kind::nothing:
        case stmt_kind::data: return;
        case stmt_kind::const_: return gen_const(s);
        case stmt_kind::assign: return gen_assign(s);
        case stmt_kind::mid_assign: return gen_mid_assign(s);
        case stmt_kind::print: return gen_print(s);
        case stmt_kind::if_: return gen_if(s);
        case stmt_kind::select: return gen_select(s);
        case stmt_kind::for_: return gen_for(s);
        case stmt_kind::do_: return gen_do(s);
        case stmt_kind::exit: return gen_exit(s);
        case stmt_kind::goto_: {
            std::string target = label_target(s.name, s.end_at);
            framed(s, {}, false);
            emit("goto " + target + ";");
            return;
        }
        case stmt_kind::gosub: return gen_gosub(s);
        case stmt_kind::return_: return gen_return(s);
        case stmt_kind::on_jump: return gen_on(s);
        case stmt_kind::call: return gen_sub_call(s);
        case stmt_kind::simple: return gen_simple(s);
        case stmt_kind::line: return gen_line(s);
        case stmt_kind::pset: return gen_pset(s);
        case stmt_kind::circle: return gen_circle(s);
        case stmt_kind::view: return gen_view(s);
        case stmt_kind::view_print: {
            std::vector<std::string> work;
            if (s.args.empty())
                work.push_back("tqg_sub_view_print(0, 0, 0);");
            else
                work.push_back("tqg_sub_view_print(" + numeric_arg(*s.args[0], type_kind::long_) + ", " +
                               numeric_arg(*s.args[1], type_kind::long_) + ", 1);");
            return framed(s, work, false);
        }
        case stmt_kind::window: return gen_window(s);
        case stmt_kind::dim: return gen_dim(s);
        case stmt_kind::shared: return gen_shared(s);
        case stmt_kind::swap: return gen_swap(s);
        case stmt_kind::read: return gen_read(s);
        case stmt_kind::restore: {
            uint32_t offset = 0;
            if (!s.name.empty()) {
                const label_place *l = find_label(s.name);
                if (!l)
                    error(s.end_at, "no label " + s.name);
                else
                    offset = data_offset_after(l->token_order);
            }
            return framed(s, {"program_data.position = " + std::to_string(offset) + ";"}, false);
        }
        case stmt_kind::randomize:
            return framed(
                s,
                {"sub_randomize(" + numeric_arg(*s.value, type_kind::double_) + ", " + std::to_string(s.flags) + ");"},
                false);
        case stmt_kind::end: emit("tqc::end_statement();"); return;
        case stmt_kind::system: emit("tqc::system_statement();"); return;
        }
    }

    void gen_const(const stmt &s) {
        for (size_t k = 0; k < s.dims.size(); k++) {
            const dim_item &d = s.dims[k];
            auto v = s.args[k] ? eval_const(*s.args[k]) : std::nullopt;
            if (!v) {
                error(s.args[k] ? s.args[k]->at : d.at, "the value of CONST " + d.name + " must be a constant");
                continue;
            }
            if (d.suffix != type_kind::none && d.suffix != v->type) {
                if ((d.suffix == type_kind::string) != (v->type == type_kind::string)) {
                    error(d.at, "type mismatch in CONST " + d.name);
                    continue;
                }
                if (is_integer(d.suffix)) {
                    const double n = is_integer(v->type) ? static_cast<double>(v->integer) : std::nearbyint(v->number);
                    if (n < static_cast<double>(type_min(d.suffix)) || n > static_cast<double>(type_max(d.suffix))) {
                        error(d.at, std::string("overflow: the value does not fit ") + type_name(d.suffix));
                        continue;
                    }
                    v->integer = static_cast<int64_t>(n);
                    v->number = n;
                } else if (is_integer(v->type)) {
                    v->number = static_cast<double>(v->integer);
                }
                v->type = d.suffix;
            }
            if (cur_->consts.count(d.name) || cur_->scalars.count(key_of(d.name, v->type))) {
                error(d.at, d.name + " is already defined");
                continue;
            }
            cur_->consts[d.name] = *v;
        }
    }

    // The store of a value into a variable or an element; nothing is stored while an error is
    // pending, so that a failed expression leaves the target as it was.
    void gen_assign(const stmt &s) {
        const expr &t = *s.target;
        // Inside a FUNCTION its own name is its result.
        if (cur_->proc && cur_->proc->def->is_function && t.kind == expr_kind::name &&
            t.text == cur_->proc->def->name) {
            if (t.suffix != type_kind::none && t.suffix != cur_->proc->result)
                error(t.at, "the FUNCTION " + t.text + " returns " + type_name(cur_->proc->result));
            value v = convert(gen_tracked(*s.value), cur_->proc->result, s.value->at);
            if (cur_->proc->result == type_kind::string)
                return framed(s, {"tqs_set(__RESULT.s, " + v.code + ");"}, true);
            return framed(s,
                          {"{", "    " + std::string(cpp_type(v.type)) + " tqc_value = " + v.code + ";",
                           "    if (!new_error) __RESULT = tqc_value;", "}"},
                          strings_);
        }
        if (t.kind == expr_kind::name && find_const(t.text)) {
            error(t.at, "the constant " + t.text + " cannot be assigned");
            return;
        }
        if (t.kind == expr_kind::name && procs_.count(t.text)) {
            error(t.at, t.text + " is a SUB or FUNCTION, not a variable");
            return;
        }
        value target = target_value(t);
        value v = convert(gen_tracked(*s.value), target.type, s.value->at);
        std::vector<std::string> work;
        if (t.kind == expr_kind::call) {
            strings_ = true;
            if (target.type == type_kind::string) {
                work = {"{", "    tqs *tqc_target = " + target.code + ";", "    tqs *tqc_value = " + v.code + ";",
                        "    if (!new_error) tqs_set(tqc_target, tqc_value);", "}"};
            } else {
                work = {"{",
                        "    " + std::string(cpp_type(target.type)) + " &tqc_target = " + target.code + ";",
                        "    if (!new_error) {",
                        "        " + std::string(cpp_type(target.type)) + " tqc_value = " + v.code + ";",
                        "        if (!new_error) tqc_target = tqc_value;",
                        "    }",
                        "}"};
            }
        } else if (target.type == type_kind::string) {
            strings_ = true;
            work = {"{", "    tqs *tqc_value = " + v.code + ";",
                    "    if (!new_error) tqs_set(" + target.code + ", tqc_value);", "}"};
        } else if (!v.may_fail) {
            work = {target.code + " = " + v.code + ";"};
        } else {
            work = {"{", "    " + std::string(cpp_type(target.type)) + " tqc_value = " + v.code + ";",
                    "    if (!new_error) " + target.code + " = tqc_value;", "}"};
        }
        framed(s, work, strings_);
    }

    // A variable or element that receives a value.
    value target_value(const expr &t) {
        if (t.kind == expr_kind::call) {
            if (procs_.count(t.text) || is_builtin_function(t.text + suffix_text(t.suffix))) {
                error(t.at, t.text + suffix_text(t.suffix) + " cannot be assigned");
                return literal_value(type_kind::single, 0, 0);
            }
            if (t.empty_parens) {
                error(t.at, "expected an element of " + t.text);
                return literal_value(type_kind::single, 0, 0);
            }
            return element(t);
        }
        if (is_builtin_function(t.text + suffix_text(t.suffix)) || find_const(t.text) || procs_.count(t.text)) {
            error(t.at, t.text + suffix_text(t.suffix) + " cannot be assigned");
            value v = literal_value(type_kind::single, 0, 0);
            v.code = "tqc::lvalue(0.0f)";
            return v;
        }
        return scalar_value(t.text, t.suffix, t.deftype, t.at);
    }

    void gen_mid_assign(const stmt &s) {
        value target = target_value(*s.target);
        if (target.type != type_kind::string) {
            error(s.target->at, "MID$ needs a string variable");
            return;
        }
        const std::string start = numeric_arg(*s.args[0], type_kind::long_);
        const std::string n = s.args.size() > 1 ? numeric_arg(*s.args[1], type_kind::long_) : "0";
        const std::string v = string_arg(*s.value);
        framed(s,
               {"sub_mid(" + target.code + ", " + start + ", " + n + ", " + v + ", " + (s.args.size() > 1 ? "1" : "0") +
                ");"},
               true);
    }

    void gen_print(const stmt &s) {
        if (s.items.empty()) return framed(s, {"tqs_print(nothingstring, 1);"}, false);
        std::string chain;
        bool newline = true;
        auto add = [&](const std::string &part) { chain += (chain.empty() ? "" : " &&\n        ") + part; };
        for (const print_item &item : s.items) {
            newline = true;
            switch (item.kind) {
            case print_item::semicolon: newline = false; break;
            case print_item::comma:
                add("(tab(), !new_error)");
                newline = false;
                break;
            case print_item::tab:
                add("(tqc::print_tab(" + numeric_arg(*item.e, type_kind::long_) + "), !new_error)");
                break;
            case print_item::spc:
                add("(tqc::print_spc(" + numeric_arg(*item.e, type_kind::long_) + "), !new_error)");
                break;
            case print_item::value: {
                value v = gen(*item.e);
                if (v.type == type_kind::string)
                    add("tqc::print_item(tqc_print, " + v.code + ")");
                else
                    add("tqc::print_item(tqc_print, tqc::number_text(" + v.code + "))");
                break;
            }
            }
        }
        std::vector<std::string> work = {"tqs *tqc_print = tqs_new(0, 0);"};
        if (chain.empty()) chain = "true";
        if (newline)
            work.push_back("if (" + chain + ")\n            tqs_print(nothingstring, 1);");
        else
            work.push_back("(void)(" + chain + ");");
        work.push_back("tqs_free(tqc_print);");
        framed(s, work, true);
    }

    // IF and ELSEIF: each condition with its frame, then its branch; the next condition stands in the
    // ELSE of the one before.
    void gen_if(const stmt &s) {
        size_t open = 0;
        for (size_t branch = 0; branch < s.branches.size(); branch++) {
            const conditional &c = s.branches[branch];
            strings_ = false;
            const std::string cond = condition(*c.condition);
            framed(s, {"tqc_truth = " + cond + ";"}, false, static_cast<uint32_t>(c.at.line));
            emit("if (tqc_truth) {");
            state_->indent++;
            gen_block(c.body);
            state_->indent--;
            if (branch + 1 == s.branches.size() && s.else_body.empty()) break;
            emit("} else {");
            state_->indent++;
            open++;
        }
        gen_block(s.else_body);
        // One brace for every IF and ELSEIF.
        for (size_t ifs = s.branches.size(); ifs > 0; ifs--) {
            if (open > 0) {
                state_->indent--;
                open--;
            }
            emit("}");
        }
    }

    void gen_select(const stmt &s) {
        value sel = gen(*s.value);
        const std::string slot = fresh("select_");
        state_->selectors.push_back({slot, sel.type});
        const std::string slot_code = sel.type == type_kind::string ? slot + ".s" : slot;
        if (sel.type == type_kind::string)
            framed(s, {"tqs_set(" + slot_code + ", " + sel.code + ");"}, true);
        else
            framed(s, {slot + " = " + sel.code + ";"}, sel.code.find("tqs_") != std::string::npos);
        value selector;
        selector.type = sel.type;
        selector.code = slot_code;
        gen_cases(s, selector);
    }

    void gen_cases(const stmt &s, const value &selector) {
        size_t open = 0;
        for (size_t k = 0; k < s.cases.size(); k++) {
            const case_clause &c = s.cases[k];
            if (c.is_else) {
                if (k + 1 < s.cases.size()) error(s.cases[k + 1].at, "CASE after CASE ELSE");
                framed(s, {}, false, static_cast<uint32_t>(c.at.line));
                gen_block(c.body);
                break;
            }
            std::string test;
            for (const case_test &t : c.tests) {
                std::string one;
                if (t.kind == case_test::value)
                    one = binary_op("=", selector, gen(*t.a), t.a->at).code;
                else if (t.kind == case_test::is)
                    one = binary_op(t.op, selector, gen(*t.a), t.a->at).code;
                else
                    one = "(" + binary_op(">=", selector, gen(*t.a), t.a->at).code + " && " +
                          binary_op("<=", selector, gen(*t.b), t.b->at).code + ")";
                test += (test.empty() ? "" : " || ") + one;
            }
            framed(s, {"tqc_truth = (" + test + ") != 0;"}, true, static_cast<uint32_t>(c.at.line));
            emit("if (tqc_truth) {");
            state_->indent++;
            gen_block(c.body);
            state_->indent--;
            if (k + 1 < s.cases.size()) {
                emit("} else {");
                state_->indent++;
                open++;
            } else {
                emit("}");
            }
        }
        for (; open > 0; open--) {
            state_->indent--;
            emit("}");
        }
    }

    // FOR: three double slots hold the value, the end and the step. The variable receives the
    // value; the loop is left once the value passes the end (for a negative step, once it falls below
    // it). At NEXT the value is the step plus the variable's current value.
    void gen_for(const stmt &s) {
        const expr &var = *s.target;
        value v = target_value(var);
        if (!is_numeric(v.type)) {
            error(var.at, "the FOR variable must be a number");
            return;
        }
        const int k = ++state_->fors;
        const std::string n = std::to_string(k);
        const std::string value_slot = "for_value_" + n, end_slot = "for_end_" + n, step_slot = "for_step_" + n;
        strings_ = false;
        const std::string start = as_double(need_numeric(gen_tracked(*s.value), s.value->at));
        const std::string finish = as_double(need_numeric(gen_tracked(*s.finish), s.finish->at));
        std::string step = "1.0";
        int64_t integer_step = 1;
        bool integer_path = v.type == type_kind::integer || v.type == type_kind::long_;
        if (s.step) {
            value st = need_numeric(gen_tracked(*s.step), s.step->at);
            step = as_double(st);
            if (st.literal && is_integer(st.type))
                integer_step = st.integer;
            else
                integer_path = false;
        }
        auto store = [&](const std::string &x) {
            if (is_integer(v.type)) return v.code + " = tqc::to_int<" + cpp_type(v.type) + ">(" + x + ");";
            return v.code + " = static_cast<" + cpp_type(v.type) + ">(" + x + ");";
        };
        // A negative step leaves the loop below the end.
        const std::string passed = s.step && (step[0] == '-' || !integer_path || integer_step < 0)
                                       ? "(" + step_slot + " < 0 ? " + value_slot + " < " + end_slot + " : " +
                                             value_slot + " > " + end_slot + ")"
                                       : value_slot + " > " + end_slot;
        std::vector<std::string> work = {value_slot + " = " + start + ";", end_slot + " = " + finish + ";",
                                         step_slot + " = " + step + ";", store(value_slot)};
        emit("do {");
        state_->indent++;
        for (const auto &w : work) emit(w);
        if (strings_) emit("tqs_release_tmp(base, 0);");
        state_->indent--;
        emit("} while (false);");
        emit("tqc_leave = " + passed + ";");
        emit("tq_statement_frame(" + line_of(s) + ");");
        const std::string exit_label = "for_exit_" + n;
        state_->for_exits.push_back(exit_label);
        emit("if (!tqc_leave)");
        emit("    for (;;) {");
        state_->indent += 2;
        gen_block(s.body);
        if (integer_path) {
            // Whole steps of an INTEGER or LONG variable: the same values as the double slot,
            // without the round trip through floating point.
            emit(value_slot + " = static_cast<double>(static_cast<int64_t>(" + v.code + ") + " +
                 std::to_string(integer_step) + "LL);");
            emit(v.code + " = tqc::narrow<" + cpp_type(v.type) + ">(static_cast<int64_t>(" + v.code + ") + " +
                 std::to_string(integer_step) + "LL);");
        } else {
            emit(value_slot + " = " + step_slot + " + static_cast<double>(" + v.code + ");");
            emit(store(value_slot));
        }
        // NEXT has no frame of its own; an overflow of the variable is reported with NEXT's line.
        emit("if (new_error) tq_statement_frame(" + std::to_string(s.end_at.line ? s.end_at.line : s.at.line) + ");");
        emit("if (" + passed + ") break;");
        state_->indent -= 2;
        emit("    }");
        state_->for_exits.pop_back();
        state_->indent--;
        emit(exit_label + ": __attribute__((unused));");
        state_->indent++;
    }

    // DO and WHILE loops. A test's frame runs when the loop is left, and an error in the test leaves it.
    void gen_do(const stmt &s) {
        const std::string n = std::to_string(++state_->counter);
        const std::string top = "do_top_" + n, exit_label = "do_exit_" + n;
        auto test = [&](position at) {
            strings_ = false;
            const std::string cond = condition(*s.value);
            const bool strings = strings_;
            const bool until = s.flags & LOOP_UNTIL;
            emit("do {");
            emit("    tqc_leave = " + std::string(until ? "" : "!(") + "(" + cond + ")" + (until ? "" : ")") +
                 " || new_error;");
            if (strings) emit("    tqs_release_tmp(base, 0);");
            emit("} while (tqc_leave && tq_statement_frame(" + std::to_string(at.line) + "));");
        };
        state_->indent--;
        emit(top + ": __attribute__((unused));");
        state_->indent++;
        if (s.flags & LOOP_TEST_TOP) {
            test(s.at);
            emit("if (tqc_leave) goto " + exit_label + ";");
        } else {
            framed(s, {}, false);
        }
        state_->do_exits.push_back(exit_label);
        gen_block(s.body);
        state_->do_exits.pop_back();
        if (s.flags & LOOP_TEST_BOTTOM) {
            test(s.end_at);
            emit("if (!tqc_leave) goto " + top + ";");
        } else {
            emit("goto " + top + ";");
        }
        state_->indent--;
        emit(exit_label + ": __attribute__((unused));");
        state_->indent++;
    }

    void gen_exit(const stmt &s) {
        if (s.name == "FOR" || s.name == "DO") {
            auto &stack = s.name == "FOR" ? state_->for_exits : state_->do_exits;
            if (stack.empty()) {
                error(s.at, "EXIT " + s.name + " outside a " + s.name + " loop");
                return;
            }
            framed(s, {}, false);
            emit("goto " + stack.back() + ";");
            return;
        }
        if (!cur_->proc || (s.name == "FUNCTION") != cur_->proc->def->is_function) {
            error(s.at, "EXIT " + s.name + " outside a " + s.name);
            return;
        }
        framed(s, {}, false);
        emit("goto sub_exit;");
    }

    std::map<std::string, const label_place *> labels_;
    const label_place *find_label(const std::string &name) {
        if (labels_.empty())
            for (const label_place &l : prog_.labels) labels_.emplace(l.name, &l);
        auto it = labels_.find(name);
        return it == labels_.end() ? nullptr : it->second;
    }

    std::string label_target(const std::string &name, position at) {
        const label_place *l = find_label(name);
        if (!l) {
            error(at, "no label " + name);
            return "sub_exit";
        }
        const procedure *here = cur_->proc ? cur_->proc->def : nullptr;
        if (l->owner != here) {
            error(at, "the label " + name + " is in " +
                          (l->owner ? "the SUB or FUNCTION " + l->owner->name : std::string("the main module")) +
                          ", out of reach from here");
            return "sub_exit";
        }
        return "L_" + mangle(name);
    }

    void gen_gosub(const stmt &s) {
        const std::string target = label_target(s.name, s.end_at);
        const int point = ++state_->counter;
        state_->uses_gosub = true;
        state_->return_points.push_back(point);
        framed(s, {}, false);
        emit("if (gosub_stack.push(" + std::to_string(point) + ")) goto " + target + ";");
        state_->indent--;
        emit("gosub_return_" + std::to_string(point) + ": __attribute__((unused));");
        state_->indent++;
    }

    void gen_return(const stmt &s) {
        state_->uses_gosub = true;
        framed(s, {"tqc_index = gosub_stack.pop();"}, false);
        emit("switch (tqc_index) { @RETURN_POINTS@default: break; }");
    }

    void gen_on(const stmt &s) {
        const std::string n = numeric_arg(*s.value, type_kind::long_);
        framed(s, {"tqc_index = " + n + ";", "if (!new_error && (tqc_index < 0 || tqc_index > 255)) error(5);"},
               n.find("tqs_") != std::string::npos);
        const bool gosub = s.name == "GOSUB";
        int point = 0;
        if (gosub) {
            point = ++state_->counter;
            state_->uses_gosub = true;
            state_->return_points.push_back(point);
        }
        std::string cases;
        for (size_t k = 0; k < s.targets.size(); k++) {
            const std::string target = label_target(s.targets[k], s.target_at[k]);
            cases += "case " + std::to_string(k + 1) + ": " +
                     (gosub ? "if (gosub_stack.push(" + std::to_string(point) + ")) goto " + target + "; break; "
                            : "goto " + target + "; ");
        }
        emit("switch (tqc_index) { " + cases + "default: break; }");
        if (gosub) {
            state_->indent--;
            emit("gosub_return_" + std::to_string(point) + ": __attribute__((unused));");
            state_->indent++;
        }
    }

    void gen_sub_call(const stmt &s) {
        auto p = procs_.find(s.name);
        if (p == procs_.end() || p->second.def->is_function) {
            if (p != procs_.end()) {
                // A FUNCTION called as a statement: its value is dropped.
                const std::string args = call_arguments(p->second, s.args, s.at);
                return framed(s, {"(void)" + p->second.cpp + "(" + args + ");"}, true);
            }
            if (is_unsupported_statement(s.name) || is_unsupported_function(s.name))
                error(s.at, s.name + " is not supported");
            else
                error(s.at, "no SUB named " + s.name);
            return;
        }
        const std::string args = call_arguments(p->second, s.args, s.at);
        framed(s, {p->second.cpp + "(" + args + ");"}, true);
    }

    // Statements that call one runtime entry with optional arguments and their `passed` bits.
    void gen_simple(const stmt &s) {
        const simple_statement *sig = find_simple_statement(s.name);
        if (!sig) {
            error(s.at, s.name + " is not supported");
            return;
        }
        const size_t kinds = std::strlen(sig->kinds);
        // A trailing omitted argument (COLOR 1,) counts as not given.
        size_t given = s.args.size();
        while (given > 0 && !s.args[given - 1]) given--;
        if (s.args.size() > kinds || given < sig->min_args) {
            std::string count = sig->min_args == kinds ? std::to_string(kinds)
                                                       : std::to_string(sig->min_args) + " to " + std::to_string(kinds);
            error(s.at, s.name + " takes " + count + " argument" + (kinds == 1 ? "" : "s") + ", not " +
                            std::to_string(s.args.size()));
            return;
        }
        if (s.name == "PALETTE" && given == 1) {
            error(s.at, "PALETTE takes an attribute and a colour, or nothing");
            return;
        }
        std::vector<std::string> args(kinds);
        int32_t passed = 0;
        for (size_t k = 0; k < kinds; k++) {
            const char kind = sig->kinds[k];
            if (k < s.args.size() && s.args[k]) {
                passed |= 1 << k;
                const expr &e = *s.args[k];
                args[k] = kind == 's'   ? string_arg(e)
                          : kind == 'u' ? colour_arg(e)
                          : kind == 'd' ? numeric_arg(e, type_kind::double_)
                                        : numeric_arg(e, type_kind::long_);
                if (k < sig->min_args && kind != 's') {
                }
            } else if (k < sig->min_args) {
                error(s.at, s.name + " needs its argument " + std::to_string(k + 1));
                return;
            } else {
                args[k] = kind == 'd' ? "0.0" : "0";
            }
        }
        std::string call = sig->call;
        std::string out;
        for (size_t i = 0; i < call.size(); i++) {
            if (call[i] == '%' && i + 1 < call.size()) {
                const char c = call[++i];
                if (c == 'P')
                    out += std::to_string(passed);
                else
                    out += args[static_cast<size_t>(c - '0')];
            } else {
                out += call[i];
            }
        }
        framed(s, {out + ";"}, out.find("tqs_") != std::string::npos || out.find("func_") != std::string::npos);
    }

    void gen_line(const stmt &s) {
        const auto &a = s.args;
        auto coord = [&](size_t k) { return a[k] ? numeric_arg(*a[k], type_kind::single) : std::string("0.0f"); };
        const std::string colour = a[4] ? colour_arg(*a[4]) : "0";
        const std::string style = a[5] ? numeric_arg(*a[5], type_kind::long_) : "0";
        framed(s,
               {"sub_line(" + coord(0) + ", " + coord(1) + ", " + coord(2) + ", " + coord(3) + ", " + colour + ", " +
                s.name + ", " + style + ", " + std::to_string(s.flags) + ");"},
               false);
    }

    void gen_pset(const stmt &s) {
        const std::string colour = s.args.size() > 2 ? colour_arg(*s.args[2]) : "0";
        framed(s,
               {std::string(s.name == "PSET" ? "sub_pset(" : "sub_preset(") +
                numeric_arg(*s.args[0], type_kind::single) + ", " + numeric_arg(*s.args[1], type_kind::single) + ", " +
                colour + ", " + std::to_string(s.flags) + ");"},
               false);
    }

    void gen_circle(const stmt &s) {
        const auto &a = s.args;
        auto num = [&](size_t k) { return a[k] ? numeric_arg(*a[k], type_kind::double_) : std::string("0.0"); };
        const std::string colour = a[3] ? colour_arg(*a[3]) : "0";
        framed(s,
               {"sub_circle(" + num(0) + ", " + num(1) + ", " + num(2) + ", " + colour + ", " + num(4) + ", " + num(5) +
                ", " + num(6) + ", " + std::to_string(s.flags) + ");"},
               false);
    }

    void gen_view(const stmt &s) {
        if (s.args.empty()) return framed(s, {"tqg_sub_view(0, 0, 0, 0, 0, 0, 0);"}, false);
        const auto &a = s.args;
        auto n = [&](size_t k) { return numeric_arg(*a[k], type_kind::long_); };
        const std::string fill = a[4] ? colour_arg(*a[4]) : "0";
        const std::string border = a[5] ? colour_arg(*a[5]) : "0";
        framed(s,
               {"tqg_sub_view(" + n(0) + ", " + n(1) + ", " + n(2) + ", " + n(3) + ", " + fill + ", " + border + ", " +
                std::to_string(s.flags) + ");"},
               false);
    }

    void gen_window(const stmt &s) {
        if (s.args.empty()) return framed(s, {"tqg_sub_window(0.0f, 0.0f, 0.0f, 0.0f, 0);"}, false);
        auto n = [&](size_t k) { return numeric_arg(*s.args[k], type_kind::single); };
        framed(s,
               {"tqg_sub_window(" + n(0) + ", " + n(1) + ", " + n(2) + ", " + n(3) + ", " + std::to_string(s.flags) +
                ");"},
               false);
    }

    // DIM: a type for a name, or an array. Arrays with constant bounds in the main module are made
    // when the program starts, like every array the program uses without a DIM; other arrays when the
    // DIM runs.
    void gen_dim(const stmt &s) {
        std::vector<std::string> work;
        for (const dim_item &d : s.dims) {
            const type_kind t = d.suffix != type_kind::none    ? d.suffix
                                : d.as_type != type_kind::none ? d.as_type
                                                               : d.deftype;
            if (!d.is_array) {
                if (d.as_type != type_kind::none) {
                    if (cur_->used_default.count(d.name) && d.as_type != d.deftype)
                        error(d.at, d.name + " is used before its DIM gives it the type " + type_name(d.as_type));
                    cur_->as_types[d.name] = d.as_type;
                }
                symbol *sym = scalar(d.name, t, t, d.at);
                if (s.shared) {
                    sym->shared = true;
                    shared_declared_.insert("S:" + d.name);
                }
                continue;
            }
            if (d.as_type != type_kind::none) cur_->array_as_types[d.name] = d.as_type;
            if (s.shared) shared_declared_.insert("A:" + d.name);
            const std::string key = key_of(d.name, t);
            scope &home = *cur_;
            if (home.arrays.count(key)) {
                error(d.at, "the array " + d.name + " is " +
                                (home.arrays[key].implicit ? "used before its DIM" : "already dimensioned"));
                continue;
            }
            symbol sym = make_symbol(d.name, t, true, cur_->proc ? symbol::local : symbol::global);
            sym.dims = static_cast<int>(d.upper.size());
            sym.dimmed = true;
            sym.shared = s.shared;
            if (sym.dims > 8) {
                error(d.at, "an array has at most 8 dimensions");
                continue;
            }
            bool constant = true;
            std::vector<std::string> lo_code, hi_code;
            for (size_t k = 0; k < d.upper.size(); k++) {
                std::optional<const_value> lo, hi;
                if (d.lower[k])
                    lo = eval_const(*d.lower[k]);
                else
                    lo = const_value{type_kind::integer, 0, 0, {}};
                hi = eval_const(*d.upper[k]);
                auto whole = [](const std::optional<const_value> &c) {
                    return c && is_numeric(c->type) && (is_integer(c->type) || std::nearbyint(c->number) == c->number);
                };
                if (whole(lo) && whole(hi)) {
                    const int64_t l = is_integer(lo->type) ? lo->integer : static_cast<int64_t>(lo->number);
                    const int64_t h = is_integer(hi->type) ? hi->integer : static_cast<int64_t>(hi->number);
                    if (h < l) {
                        error(d.upper[k]->at, "the upper bound is below the lower bound");
                        constant = false;
                        break;
                    }
                    sym.lo.push_back(l);
                    sym.hi.push_back(h);
                } else {
                    constant = false;
                }
                lo_code.push_back(d.lower[k] ? numeric_arg(*d.lower[k], type_kind::integer64) : "0");
                hi_code.push_back(numeric_arg(*d.upper[k], type_kind::integer64));
            }
            if (constant) {
                uint64_t total = 1;
                for (size_t k = 0; k < sym.lo.size(); k++) {
                    total *= static_cast<uint64_t>(sym.hi[k] - sym.lo[k] + 1);
                    if (total > (uint64_t(1) << 28)) break;
                }
                if (total > (uint64_t(1) << 28)) {
                    error(d.at, "the array " + d.name + " is too large");
                    continue;
                }
            }
            sym.static_bounds = constant && !cur_->proc;
            symbol &stored = home.arrays.emplace(key, sym).first->second;
            if (!stored.static_bounds) {
                std::string lo, hi;
                for (size_t k = 0; k < lo_code.size(); k++) {
                    lo += (k ? ", " : "") + lo_code[k];
                    hi += (k ? ", " : "") + hi_code[k];
                }
                work.push_back("tqc::dim(" + stored.cpp + ", tqc::bounds<" + std::to_string(stored.dims) + ">{{" + lo +
                               "}, {" + hi + "}}, sizeof(" + cpp_type(t) + "), " +
                               (t == type_kind::string ? "true" : "false") + ", " +
                               (cur_->proc ? "tqc::storage::heap" : "tqc::storage::static_pool") + ");");
            }
        }
        framed(s, work, false);
    }

    void gen_shared(const stmt &s) {
        for (const dim_item &d : s.dims) {
            const type_kind t = d.suffix != type_kind::none    ? d.suffix
                                : d.as_type != type_kind::none ? d.as_type
                                                               : d.deftype;
            const std::string key = key_of(d.name, t);
            if (d.is_array) {
                cur_->shared_arrays.insert(key);
                if (d.as_type != type_kind::none) cur_->array_as_types[d.name] = d.as_type;
                if (!main_scope_.arrays.count(key))
                    error(d.at, "the shared array " + d.name + " is not dimensioned in the main module");
            } else {
                cur_->shared_scalars.insert(key);
                if (d.as_type != type_kind::none) cur_->as_types[d.name] = d.as_type;
                if (!main_scope_.scalars.count(key))
                    main_scope_.scalars.emplace(key, make_symbol(d.name, t, false, symbol::global));
            }
        }
    }

    void gen_swap(const stmt &s) {
        value a = target_value(*s.target);
        value b = target_value(*s.value);
        if (a.type != b.type) {
            error(s.value->at,
                  std::string("type mismatch: SWAP of ") + type_name(a.type) + " and " + type_name(b.type));
            return;
        }
        if (a.type == type_kind::string)
            return framed(s,
                          {"{", "    tqs *tqc_a = " + a.code + ";", "    tqs *tqc_b = " + b.code + ";",
                           "    if (!new_error) tqc::swap_strings(tqc_a, tqc_b);", "}"},
                          false);
        const std::string t = cpp_type(a.type);
        framed(s,
               {"{", "    " + t + " &tqc_a = " + a.code + ";", "    " + t + " &tqc_b = " + b.code + ";",
                "    if (!new_error) std::swap(tqc_a, tqc_b);", "}"},
               false);
    }

    // READ: each target in turn; an error skips the rest of the statement.
    void gen_read(const stmt &s) {
        std::vector<std::string> work;
        std::string close;
        for (size_t k = 0; k < s.args.size(); k++) {
            value t = target_value(*s.args[k]);
            const std::string pad(4 * k, ' ');
            if (k) work.push_back(pad.substr(4) + "if (!new_error) {");
            if (t.type == type_kind::string) {
                work.push_back(pad + "{");
                work.push_back(pad + "    tqs *tqc_target = " + t.code + ";");
                work.push_back(pad + "    if (!new_error) sub_read_string(program_data.bytes, &program_data.position, "
                                     "program_data.size, tqc_target);");
                work.push_back(pad + "}");
            } else {
                work.push_back(pad + "{");
                work.push_back(pad + "    " + cpp_type(t.type) + " &tqc_target = " + t.code + ";");
                work.push_back(pad + "    if (!new_error) tqc_target = tqc::read_number<" + cpp_type(t.type) +
                               ">(program_data);");
                work.push_back(pad + "}");
            }
        }
        for (size_t k = s.args.size(); k-- > 1;) work.push_back(std::string(4 * (k - 1), ' ') + "}");
        framed(s, work, false);
    }

    // ---- the module ------------------------------------------------------------------------------------

    std::string assemble(function_state &main_state, const std::vector<std::string> &bodies) {
        std::string out;
        out += "// Compiled by tqc from " + options_.source_name + ". Do not edit: compile the program again.\n";
        out += "#include \"libtq.h\"\n#include \"libtq/compiled.h\"\n\n";
        out += "#include <utility>\n\n";
        if (!options_.namespace_name.empty()) out += "namespace " + options_.namespace_name + " {\n\n";
        out += "namespace {\n\n";
        out += "// The program's DATA, every item followed by a comma.\n";
        out += "const char program_data_text[] = " + c_string(data_text_) + ";\n";
        out +=
            "[[maybe_unused]] tqc::data_block program_data = {reinterpret_cast<const uint8_t *>(program_data_text), " +
            std::to_string(data_text_.size()) + ", 0};\n\n";
        std::vector<const symbol *> globals;
        for (auto &kv : main_scope_.scalars) globals.push_back(&kv.second);
        for (auto &kv : main_scope_.arrays) globals.push_back(&kv.second);
        std::sort(globals.begin(), globals.end(), [](const symbol *a, const symbol *b) { return a->order < b->order; });
        out += "// The main module's variables, taken from the static pool when the program starts.\n";
        for (const symbol *s : globals) {
            if (s->is_array)
                out += "array_descriptor<" + std::to_string(s->dims) + "> *" + s->var + " = nullptr;\n";
            else if (s->type == type_kind::string)
                out += "tqs *" + s->var + " = nullptr;\n";
            else
                out += std::string(cpp_type(s->type)) + " *" + s->var + " = nullptr;\n";
        }
        out += "\n";
        for (auto &p : procs_) out += signature(p.second) + ";\n";
        out += "\n";
        for (const std::string &b : bodies) out += b + "\n";
        out += "} // namespace\n\n";
        out += "void TQMAIN(void *) {\n";
        out += "    libtq_set_fpu_control_word(0x037F);\n";
        out += "    libtq_install_division_handler(division_by_zero_handler);\n";
        out += "    [[maybe_unused]] const ptrszint base = tqs_tmp_list_nexti;\n";
        out += "    mem_lock *scope = new_mem_lock();\n    scope->type = 3;\n";
        for (const symbol *s : globals) {
            if (s->is_array) {
                out += "    " + s->var + " = tqc::descriptor<" + std::to_string(s->dims) +
                       ">(tqc::storage::static_pool);\n";
                if (s->static_bounds) out += "    " + dim_call(*s, "tqc::storage::static_pool") + ";\n";
            } else if (s->type == type_kind::string) {
                out += "    " + s->var + " = tqs_new(0, 0);\n";
            } else {
                out += "    " + s->var + " = static_cast<" + cpp_type(s->type) + " *>(mem_static_malloc(sizeof(" +
                       cpp_type(s->type) + ")));\n";
                out += "    *" + s->var + " = 0;\n";
            }
        }
        out += "    libtq_log_info(\"ZORV code starting.\");\n";
        out += main_state.decls;
        out += main_state.body;
        out += "sub_exit: __attribute__((unused));\n";
        out += "    tqc::end_statement();\n}\n";
        if (!options_.namespace_name.empty()) out += "\n} // namespace " + options_.namespace_name + "\n";
        return out;
    }
};

} // namespace

std::string generate(program &prog, diagnostics &errors, const codegen_options &options) {
    return generator(prog, errors, options).run();
}

} // namespace tqc
