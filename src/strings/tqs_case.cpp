// UCASE$ and LCASE$: ASCII letters only; bytes 128..255 are left alone.
#include "strings/strings_internal.h"

using namespace tqs_internal;

namespace {

tqs *convert_case(tqs *s, uint8_t from, uint8_t to) {
    if (s->length == 0) return s;
    tqs *out = s;
    if (!plain_heap_temp(s)) {
        out = heap_temp_copy(s, 0, s->length);
        consume(s);
    }
    uint8_t *p = out->data;
    for (int32_t i = 0; i < out->length; i++) {
        uint8_t c = p[i];
        if (c >= from && c <= static_cast<uint8_t>(from + 25)) p[i] = static_cast<uint8_t>(c - from + to);
    }
    return out;
}

} // namespace

tqs *tqs_ucase(tqs *s) { return convert_case(s, 'a', 'A'); }
tqs *tqs_lcase(tqs *s) { return convert_case(s, 'A', 'a'); }
