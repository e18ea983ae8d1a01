// LEFT$, RIGHT$, the MID$ function and statement, LTRIM$, RTRIM$ and _TRIM$. A plain heap
// temporary is cut in place; any other string gives a new temporary holding the selected bytes.
#include "strings/strings_internal.h"

using namespace tqs_internal;

namespace {

// The `n` bytes of `s` from offset `from`, consuming `s`.
tqs *select(tqs *s, int32_t from, int32_t n) {
    if (from == 0 && n == s->length) return s;
    if (plain_heap_temp(s)) {
        s->data += from;
        s->length = n;
        return s;
    }
    tqs *out = heap_temp_copy(s, from, n);
    consume(s);
    return out;
}

int32_t clamp_count(int32_t n, int32_t length) { return n < 0 ? 0 : (n > length ? length : n); }

} // namespace

tqs *tqs_left(tqs *s, int32_t n) { return select(s, 0, clamp_count(n, s->length)); }

tqs *tqs_right(tqs *s, int32_t n) {
    n = clamp_count(n, s->length);
    return select(s, s->length - n, n);
}

tqs *func_mid(tqs *s, int32_t start, int32_t n, int32_t has_n) {
    int64_t first = start;
    int64_t count = has_n ? n : static_cast<int64_t>(s->length);
    if (first < 1) {
        // The bytes before the first one are counted but do not exist.
        if (has_n) count -= 1 - first;
        first = 1;
    }
    if (first > s->length || count <= 0) return select(s, 0, 0);
    int64_t rest = s->length - first + 1;
    if (count > rest) count = rest;
    return select(s, static_cast<int32_t>(first - 1), static_cast<int32_t>(count));
}

void sub_mid(tqs *dest, int32_t start, int32_t n, tqs *src, int32_t has_n) {
    if (new_error) return;
    if (dest == nothingstring) return;
    // The statement writes inside the string; a position outside it, a negative count or a
    // literal destination is an illegal call.
    if (start < 1 || start > dest->length || (has_n && n < 0) || dest->is_readonly) {
        error(5);
        return;
    }
    int64_t count = src->length;
    if (has_n && n < count) count = n;
    int64_t room = static_cast<int64_t>(dest->length) - start + 1;
    if (count > room) count = room;
    move_bytes(dest->data + start - 1, src->data, count);
    if (src != dest) consume(src);
}

tqs *tqs_ltrim(tqs *s) {
    int32_t from = 0;
    while (from < s->length && s->data[from] == ' ') from++;
    return select(s, from, s->length - from);
}

tqs *tqs_rtrim(tqs *s) {
    int32_t n = s->length;
    while (n > 0 && s->data[n - 1] == ' ') n--;
    return select(s, 0, n);
}

tqs *tqs__trim(tqs *s) {
    int32_t from = 0;
    while (from < s->length && s->data[from] == ' ') from++;
    int32_t end = s->length;
    while (end > from && s->data[end - 1] == ' ') end--;
    return select(s, from, end - from);
}
