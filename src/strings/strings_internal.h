// What the runtime's string code shares beyond the primitives of libtq/detail/strings_primitives.h:
// the record blocks, the conventional-memory string area, and copies into new temporaries.
#pragma once

#include <cstring>

#include "libtq.h"

namespace tqs_internal {

// String bytes in dblock begin above the first 256 bytes.
constexpr uint32_t CMEM_STRINGS_BASE = 256;
constexpr ptrszint RECORDS_PER_BLOCK = 65536;

// The current record block and the next fresh record in it.
extern tqs *record_block;
extern ptrszint record_block_next;

// Takes 4 bytes below cmem_sp for a descriptor of `s`; `collision` is raised when they would
// reach into the string bytes.
void give_descriptor(tqs *s, int32_t collision);

// Makes sure that `n` bytes fit above the strings of the conventional-memory area, compacting it
// if not (which raises 513 when they still do not fit).
inline void ensure_cmem_room(ptrszint n) {
    if (static_cast<ptrszint>(tqs_cmem_sp) + n > static_cast<ptrszint>(cmem_sp)) tqs_concat_cmem(n);
}

// A new heap temporary holding a copy of `n` bytes of `src` from byte `from`. The source's
// bytes are read only after the new string exists, because making it may compact the heap.
inline tqs *heap_temp_copy(const tqs *src, int32_t from, int32_t n) {
    tqs *s = tqs_new(n, 1);
    move_bytes(s->data, src->data + from, n);
    return s;
}

} // namespace tqs_internal
