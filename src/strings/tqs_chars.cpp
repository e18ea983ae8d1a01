// ASC, CHR$, SPACE$ and STRING$.
#include "strings/strings_internal.h"

using namespace tqs_internal;

int32_t tqs_asc(tqs *s) {
    if (s->length < 1) {
        error(5);
        return 0;
    }
    return s->data[0];
}

int32_t tqs_asc(tqs *s, int32_t position) {
    if (position < 1 || position > s->length) {
        error(5);
        return 0;
    }
    return s->data[position - 1];
}

tqs *func_chr(int32_t code) {
    if (code < 0 || code > 255) {
        error(5);
        return tqs_new(0, 1);
    }
    tqs *s = tqs_new(1, 1);
    s->data[0] = static_cast<uint8_t>(code);
    return s;
}

tqs *func_string(int32_t n, int32_t code) {
    if (n < 0) n = 0;
    tqs *s = tqs_new(n, 1);
    if (n > 0) std::memset(s->data, code & 0xFF, static_cast<size_t>(n));
    return s;
}

tqs *func_space(int32_t n) { return func_string(n, ' '); }
