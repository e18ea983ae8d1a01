#include "types.h"

namespace tqc {

const char *type_name(type_kind t) {
    switch (t) {
    case type_kind::integer: return "INTEGER";
    case type_kind::long_: return "LONG";
    case type_kind::integer64: return "_INTEGER64";
    case type_kind::single: return "SINGLE";
    case type_kind::double_: return "DOUBLE";
    case type_kind::string: return "STRING";
    case type_kind::none: break;
    }
    return "no type";
}

const char *cpp_type(type_kind t) {
    switch (t) {
    case type_kind::integer: return "int16_t";
    case type_kind::long_: return "int32_t";
    case type_kind::integer64: return "int64_t";
    case type_kind::single: return "float";
    case type_kind::double_: return "double";
    case type_kind::string: return "tqs *";
    case type_kind::none: break;
    }
    return "void";
}

const char *storage_word(type_kind t) {
    switch (t) {
    case type_kind::integer: return "INTEGER";
    case type_kind::long_: return "LONG";
    case type_kind::integer64: return "INTEGER64";
    case type_kind::single: return "SINGLE";
    case type_kind::double_: return "DOUBLE";
    case type_kind::string: return "STRING";
    case type_kind::none: break;
    }
    return "NONE";
}

static int rank(type_kind t) {
    switch (t) {
    case type_kind::integer: return 1;
    case type_kind::long_: return 2;
    case type_kind::integer64: return 3;
    case type_kind::single: return 4;
    case type_kind::double_: return 5;
    default: return 0;
    }
}

type_kind wider(type_kind a, type_kind b) { return rank(a) >= rank(b) ? a : b; }

type_kind suffix_type(char c) {
    switch (c) {
    case '%': return type_kind::integer;
    case '&': return type_kind::long_;
    case 'q': return type_kind::integer64;
    case '!': return type_kind::single;
    case '#': return type_kind::double_;
    case '$': return type_kind::string;
    default: return type_kind::none;
    }
}

const char *suffix_text(type_kind t) {
    switch (t) {
    case type_kind::integer: return "%";
    case type_kind::long_: return "&";
    case type_kind::integer64: return "&&";
    case type_kind::single: return "!";
    case type_kind::double_: return "#";
    case type_kind::string: return "$";
    case type_kind::none: break;
    }
    return "";
}

} // namespace tqc
