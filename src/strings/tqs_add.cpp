// Concatenation.
#include "strings/strings_internal.h"

using namespace tqs_internal;

tqs *tqs_add_full(tqs *a, tqs *b) {
    // Joining with an empty string yields the other operand itself; the empty one stays listed
    // until the statement's clean-up.
    if (b->length == 0) return a;
    if (a->length == 0) return b;
    int64_t total = static_cast<int64_t>(a->length) + b->length;
    // A length must fit in 31 bits; a longer string is more than the heap can ever hold.
    if (total > INT32_MAX) error(ERR_HEAP);
    tqs *s = tqs_new(static_cast<int32_t>(total), 1);
    // Making the result may compact the heap, so the operands' bytes are read afterwards.
    move_bytes(s->data, a->data, a->length);
    move_bytes(s->data + a->length, b->data, b->length);
    consume(a);
    if (b != a) consume(b);
    return s;
}
