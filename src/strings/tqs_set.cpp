// Assignment. A temporary source is adopted when it can be: the destination takes over its
// bytes and no byte is copied (the common case of assigning a concatenation). Otherwise the
// value is copied, in place when the destination can grow where it stands, else at the top of
// its area.
#include "strings/strings_internal.h"

using namespace tqs_internal;

namespace {

// The next live entry of `list` above slot `index`, or null. A temporary source is about to be
// released, so it does not block growth.
tqs *next_live_above(tqs **list, ptrszint nexti, uint32_t index, const tqs *src) {
    for (ptrszint i = static_cast<ptrszint>(index) + 1; i < nexti; i++) {
        tqs *e = list[i];
        if (e == TQS_FREED_SLOT) continue;
        if (src->is_temp && e == src) continue;
        return e;
    }
    return nullptr;
}

// `dest` moves into `src`'s slot of the list of their area.
void take_list_slot(tqs **list, tqs *dest, const tqs *src) {
    list[dest->list_index] = TQS_FREED_SLOT;
    list[src->list_index] = dest;
    dest->list_index = src->list_index;
}

void tqs_move_cmem(tqs *dest, const tqs *src) { take_list_slot(tqs_cmem_list, dest, src); }

// Takes over the bytes of the temporary `src`: `dest` moves into `src`'s list slot, and `src`'s
// record goes straight back to the free stack. `dest`'s old bytes are left as dead space.
void adopt(tqs *dest, tqs *src) {
    if (dest->is_cmem)
        tqs_move_cmem(dest, src);
    else
        take_list_slot(tqs_heap_list, dest, src);
    tqs_tmp_list[src->temp_index] = TQS_FREED_SLOT;
    if (static_cast<ptrszint>(src->temp_index) == tqs_tmp_list_nexti - 1) tqs_tmp_list_nexti--;
    dest->data = src->data;
    dest->length = src->length;
    if (dest->is_cmem) write_descriptor(dest);
    give_back_record(src);
}

// Where a growing `dest` can take `src`'s bytes without moving.
enum class growth { elsewhere, in_place, at_top };

// Grows `dest` in place when the bytes fit below the next live string above it in its area's
// list, or below `limit` when none lies above it (then `dest` is the top of its area, and freed
// slots above it leave the list). Returns where the bytes went; `elsewhere` copies nothing.
growth grow_in_place(tqs **list, ptrszint &nexti, tqs *dest, const tqs *src, const uint8_t *limit) {
    const uint8_t *bound = limit;
    bool at_top = true;
    if (static_cast<ptrszint>(dest->list_index) != nexti - 1) {
        if (tqs *next = next_live_above(list, nexti, dest->list_index, src)) {
            bound = next->data;
            at_top = false;
        } else {
            nexti = dest->list_index + 1;
        }
    }
    if (dest->data + src->length > bound) return growth::elsewhere;
    move_bytes(dest->data, src->data, src->length);
    dest->length = src->length;
    return at_top ? growth::at_top : growth::in_place;
}

// A heap destination that must grow: in place when it can, else moved to the top of the heap.
void grow_heap(tqs *dest, tqs *src) {
    ptrszint n = src->length;
    growth where = grow_in_place(tqs_heap_list, tqs_heap_list_nexti, dest, src, tqs_heap + tqs_heap_size);
    if (where == growth::at_top) tqs_heap_sp = dest->data + n - tqs_heap;
    if (where != growth::elsewhere) return;
    // Making room may compact the heap and move `src`'s bytes, so they are read afterwards.
    tqs_heap_list[dest->list_index] = TQS_FREED_SLOT;
    if (tqs_heap_sp + n > tqs_heap_size) tqs_heap_concat(n);
    heap_list_append(dest);
    dest->data = tqs_heap + tqs_heap_sp;
    dest->length = src->length;
    tqs_heap_sp += n;
    move_bytes(dest->data, src->data, n);
}

// The same inside the conventional-memory string area, whose limit is the lowest descriptor; the
// descriptor follows the bytes on every path.
void tqs_copy_cmem(tqs *dest, tqs *src) {
    ptrszint n = src->length;
    growth where = grow_in_place(tqs_cmem_list, tqs_cmem_list_nexti, dest, src, dblock + cmem_sp);
    if (where == growth::at_top) tqs_cmem_sp = static_cast<uint32_t>(dest->data + n - dblock);
    if (where == growth::elsewhere) {
        tqs_cmem_list[dest->list_index] = TQS_FREED_SLOT;
        if (static_cast<ptrszint>(tqs_cmem_sp) + n > static_cast<ptrszint>(cmem_sp)) tqs_concat_cmem(n);
        cmem_list_append(dest);
        dest->data = dblock + tqs_cmem_sp;
        dest->length = src->length;
        tqs_cmem_sp += static_cast<uint32_t>(n);
        move_bytes(dest->data, src->data, n);
    }
    write_descriptor(dest);
}

} // namespace

tqs *tqs_set_full(tqs *dest, tqs *src) {
    // Assigning a string to itself changes nothing; consuming it would release the destination.
    if (dest == src) return dest;
    // Literal text lives in the program image and must never be written.
    if (dest->is_readonly) {
        error(5);
        return dest;
    }
    if (dest->is_fixed) {
        int32_t copy = src->length < dest->length ? src->length : dest->length;
        move_bytes(dest->data, src->data, copy);
        if (dest->length > copy) std::memset(dest->data + copy, ' ', static_cast<size_t>(dest->length - copy));
        consume(src);
        return dest;
    }
    if (src->is_temp && !src->is_fixed && !src->is_readonly && src->is_cmem == dest->is_cmem) {
        adopt(dest, src);
        return dest;
    }
    if (src->length <= dest->length) {
        // The space behind a shortened value stays with the destination until a compaction.
        move_bytes(dest->data, src->data, src->length);
        dest->length = src->length;
        if (dest->is_cmem) write_descriptor(dest);
    } else if (dest->is_cmem) {
        tqs_copy_cmem(dest, src);
    } else {
        grow_heap(dest, src);
    }
    consume(src);
    return dest;
}
