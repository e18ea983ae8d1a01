// Assignment: the cases that are not inline. A fixed-length destination is padded or cut; a
// destination that must grow does so in place when it can, else it moves to the top of its area.
#include "strings/strings_internal.h"

using namespace tqs_internal;

namespace {

// The next live entry of `list` above slot `index`, or null. A temporary source of the same area
// is always adopted, so the source of a growing assignment never stands in the list.
tqs *next_live_above(tqs **list, ptrszint nexti, uint32_t index) {
    for (ptrszint i = static_cast<ptrszint>(index) + 1; i < nexti; i++) {
        if (list[i] != TQS_FREED_SLOT) return list[i];
    }
    return nullptr;
}

// Where a growing `dest` can take `n` bytes without moving.
enum class growth { elsewhere, in_place, at_top };

// Whether `dest` can grow to `n` bytes where it stands: below the next live string above it in its
// area's list, or below `limit` when none lies above it (then `dest` is the top of its area, and
// the freed slots above it leave the list).
growth room_in_place(tqs **list, ptrszint &nexti, const tqs *dest, ptrszint n, const uint8_t *limit) {
    const uint8_t *bound = limit;
    bool at_top = true;
    if (!is_top(dest, nexti)) {
        if (tqs *next = next_live_above(list, nexti, dest->list_index)) {
            bound = next->data;
            at_top = false;
        } else {
            nexti = dest->list_index + 1;
        }
    }
    if (dest->data + n > bound) return growth::elsewhere;
    return at_top ? growth::at_top : growth::in_place;
}

// A byte area of the string system as a growing assignment sees it: its list, where its bytes
// begin, the first byte a string may not grow into, its top, and how to make room in it.
template <typename Top> struct area {
    tqs **&list;
    ptrszint &nexti;
    uint8_t *&base;
    const uint8_t *limit;
    Top &top;
    void (*make_room)(ptrszint n);
    void (*make_list_slot)();
};

// Gives a growing `dest` room for `n` bytes: where it stands when it can, else at the top of its
// area, which moved strings reach without slack.
template <typename Top> void grow(area<Top> a, tqs *dest, ptrszint n) {
    growth where = room_in_place(a.list, a.nexti, dest, n, a.limit);
    if (where == growth::in_place) return;
    if (where == growth::elsewhere) {
        a.list[dest->list_index] = TQS_FREED_SLOT;
        a.make_room(n); // may move the area and every string in it
        a.make_list_slot();
        dest->list_index = push_slot(a.list, a.nexti, dest);
        dest->data = a.base + a.top;
    }
    a.top = static_cast<Top>(dest->data + n - a.base);
}

// Assignment of a longer value inside the conventional-memory string area, whose limit is the
// lowest descriptor. Making room may compact the area and move `src`'s bytes, so copy_over
// locates them afterwards.
void tqs_copy_cmem(tqs *dest, tqs *src) {
    grow(area<uint32_t>{tqs_cmem_list, tqs_cmem_list_nexti, dblock, dblock + cmem_sp, tqs_cmem_sp, ensure_cmem_room,
                        ensure_cmem_list_slot},
         dest, src->length);
    copy_over(dest, src);
}

// The same in the heap.
void tqs_copy_heap(tqs *dest, tqs *src) {
    grow(area<ptrszint>{tqs_heap_list, tqs_heap_list_nexti, tqs_heap, tqs_heap + tqs_heap_size, tqs_heap_sp,
                        ensure_heap_room, ensure_heap_list_slot},
         dest, src->length);
    copy_over(dest, src);
}

} // namespace

void tqs_internal::tqs_move_cmem(tqs *dest, const tqs *src) {
    take_list_slot(tqs_cmem_list, dest, src);
    write_descriptor(dest);
}

tqs *tqs_internal::set_owned_elsewhere(tqs *dest, tqs *src) {
    // Literal text lives in the program image and must never be written.
    if (dest->is_readonly) {
        error(5);
        return dest;
    }
    int32_t copy = src->length < dest->length ? src->length : dest->length;
    move_bytes(dest->data, src->data, copy);
    if (dest->length > copy) std::memset(dest->data + copy, ' ', static_cast<size_t>(dest->length - copy));
    consume(src);
    return dest;
}

void tqs_internal::set_growing(tqs *dest, tqs *src) {
    if (dest->is_cmem)
        tqs_copy_cmem(dest, src);
    else
        tqs_copy_heap(dest, src);
}
