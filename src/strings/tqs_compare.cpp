// String comparisons: bytes compared as unsigned values, then the shorter string sorts first.
// They do not consume their operands; the statement's clean-up frees the temporaries.
#include "strings/strings_internal.h"

using namespace tqs_internal;

namespace {

// Negative, zero or positive as `a` sorts before, equal to or after `b`.
int compare(const tqs *a, const tqs *b) {
    int32_t n = a->length < b->length ? a->length : b->length;
    if (n > 0) {
        int c = std::memcmp(a->data, b->data, static_cast<size_t>(n));
        if (c != 0) return c;
    }
    return a->length < b->length ? -1 : (a->length > b->length ? 1 : 0);
}

uint8_t fold(uint8_t c) { return c >= 'A' && c <= 'Z' ? static_cast<uint8_t>(c + 32) : c; }

} // namespace

int32_t tqs_equal(tqs *a, tqs *b) {
    if (a->length != b->length) return TQ_FALSE;
    if (a->length == 0) return TQ_TRUE;
    return std::memcmp(a->data, b->data, static_cast<size_t>(a->length)) == 0 ? TQ_TRUE : TQ_FALSE;
}

int32_t tqs_notequal(tqs *a, tqs *b) { return tqs_equal(a, b) ? TQ_FALSE : TQ_TRUE; }
int32_t tqs_lessthan(tqs *a, tqs *b) { return compare(a, b) < 0 ? TQ_TRUE : TQ_FALSE; }
int32_t tqs_greaterthan(tqs *a, tqs *b) { return tqs_lessthan(b, a); }
int32_t tqs_lessorequal(tqs *a, tqs *b) { return compare(a, b) <= 0 ? TQ_TRUE : TQ_FALSE; }
int32_t tqs_greaterorequal(tqs *a, tqs *b) { return tqs_lessorequal(b, a); }

int32_t func__str_compare(tqs *a, tqs *b) {
    int c = compare(a, b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int32_t func__str_nc_compare(tqs *a, tqs *b) {
    int32_t n = a->length < b->length ? a->length : b->length;
    for (int32_t i = 0; i < n; i++) {
        uint8_t x = fold(a->data[i]), y = fold(b->data[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a->length < b->length ? -1 : (a->length > b->length ? 1 : 0);
}
