// Helpers shared by the string operations. The hot ones are inline: creating and releasing a
// temporary is meant to be a few stores.
#pragma once

#include <cstring>

#include "libtq.h"

namespace tqs_internal {

// Fatal out-of-memory numbers of the string system.
constexpr int32_t ERR_RECORD_STACK = 508;
constexpr int32_t ERR_CMEM_LIST = 509;
constexpr int32_t ERR_HEAP_LIST = 510;
constexpr int32_t ERR_TMP_LIST = 511;
constexpr int32_t ERR_HEAP = 512;
constexpr int32_t ERR_CMEM_FULL = 513;
constexpr int32_t ERR_DESCRIPTOR = 514;
constexpr int32_t ERR_FIXED_DESCRIPTOR = 515;

// Every new heap string is followed by this much slack to grow into in place.
constexpr ptrszint HEAP_SLACK = 32;
// String bytes in dblock begin above the first 256 bytes.
constexpr uint32_t CMEM_STRINGS_BASE = 256;
constexpr ptrszint RECORDS_PER_BLOCK = 65536;

// The current record block and the next fresh record in it.
extern tqs *record_block;
extern ptrszint record_block_next;

tqs *take_record_from_new_block();
void grow_record_free();
void grow_tmp_list();

// A record cleared to zero: the last released one, else the next fresh one.
inline tqs *take_record() {
    if (tqs_record_free_n > 0) {
        tqs *s = tqs_record_free[--tqs_record_free_n];
        *s = tqs{};
        return s;
    }
    if (record_block_next < RECORDS_PER_BLOCK) return record_block + record_block_next++;
    return take_record_from_new_block();
}

inline void give_back_record(tqs *s) {
    if (tqs_record_free_n >= tqs_record_free_max) grow_record_free();
    tqs_record_free[tqs_record_free_n++] = s;
}

inline void add_temp(tqs *s) {
    if (tqs_tmp_list_nexti > tqs_tmp_list_lasti) grow_tmp_list();
    tqs_tmp_list[tqs_tmp_list_nexti] = s;
    s->temp_index = static_cast<uint32_t>(tqs_tmp_list_nexti);
    tqs_tmp_list_nexti++;
    s->is_temp = 1;
}

inline void heap_list_append(tqs *s) {
    if (tqs_heap_list_nexti > tqs_heap_list_lasti) tqs_heap_concat_list();
    tqs_heap_list[tqs_heap_list_nexti] = s;
    s->list_index = static_cast<uint32_t>(tqs_heap_list_nexti);
    tqs_heap_list_nexti++;
}

inline void cmem_list_append(tqs *s) {
    if (tqs_cmem_list_nexti > tqs_cmem_list_lasti) tqs_cmem_concat_list();
    tqs_cmem_list[tqs_cmem_list_nexti] = s;
    s->list_index = static_cast<uint32_t>(tqs_cmem_list_nexti);
    tqs_cmem_list_nexti++;
}

// The only kind of string whose bytes an operation may change in place.
inline bool plain_heap_temp(const tqs *s) { return s->is_temp && !s->is_fixed && !s->is_readonly && !s->is_cmem; }

// A conventional-memory descriptor: the low 16 bits of the length, then the offset of the bytes
// from dblock, both little-endian.
inline void write_descriptor(tqs *s) {
    if (!s->descriptor) return;
    uint32_t length = static_cast<uint32_t>(s->length) & 0xFFFFu;
    uint32_t offset = static_cast<uint32_t>(s->data - dblock) & 0xFFFFu;
    s->descriptor[0] = static_cast<uint8_t>(length);
    s->descriptor[1] = static_cast<uint8_t>(length >> 8);
    s->descriptor[2] = static_cast<uint8_t>(offset);
    s->descriptor[3] = static_cast<uint8_t>(offset >> 8);
}

// Takes 4 bytes below cmem_sp for a descriptor of `s`; `collision` is raised when they would
// reach into the string bytes.
void give_descriptor(tqs *s, int32_t collision);

// Copies `n` bytes; the regions may overlap, and nothing is touched when `n` is 0.
inline void move_bytes(uint8_t *to, const uint8_t *from, ptrszint n) {
    if (n > 0 && to != from) std::memmove(to, from, static_cast<size_t>(n));
}

// Consumes `s` when it is a temporary.
inline void consume(tqs *s) {
    if (s->is_temp) tqs_free(s);
}

// A new heap temporary holding a copy of `n` bytes of `src` from byte `from`. The source's
// bytes are read only after the new string exists, because making it may compact the heap.
inline tqs *heap_temp_copy(const tqs *src, int32_t from, int32_t n) {
    tqs *s = tqs_new(n, 1);
    move_bytes(s->data, src->data + from, n);
    return s;
}

} // namespace tqs_internal
