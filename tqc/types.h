// The dialect's types: their C++ spelling in the generated module and the rules that combine
// them.
#pragma once

#include <string>

namespace tqc {

enum class type_kind { none, integer, long_, integer64, single, double_, string };

// The name users write after AS, and as it appears in messages.
const char *type_name(type_kind t);
// The C++ type of a value of type t.
const char *cpp_type(type_kind t);
// The storage name's type word, as in __SINGLE_I and __ARRAY_LONG_X.
const char *storage_word(type_kind t);
inline bool is_numeric(type_kind t) { return t != type_kind::none && t != type_kind::string; }
inline bool is_integer(type_kind t) {
    return t == type_kind::integer || t == type_kind::long_ || t == type_kind::integer64;
}
inline bool is_float(type_kind t) { return t == type_kind::single || t == type_kind::double_; }
// The type mixed operands are computed in: the later one of INTEGER, LONG, _INTEGER64, SINGLE,
// DOUBLE.
type_kind wider(type_kind a, type_kind b);
// The type of a suffix character ('%', '&', '!', '#', '$', and "&&" as 'q'), none for others.
type_kind suffix_type(char c);
const char *suffix_text(type_kind t);

} // namespace tqc
