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

constexpr ptrszint HEAP_SLACK = TQS_HEAP_SLACK;
// String bytes in dblock begin above the first 256 bytes.
constexpr uint32_t CMEM_STRINGS_BASE = 256;
constexpr ptrszint RECORDS_PER_BLOCK = 65536;

// The current record block and the next fresh record in it.
extern tqs *record_block;
extern ptrszint record_block_next;

tqs *take_record_from_new_block();

// A record to be filled in whole: the last released one, else the next fresh one. Constructors
// write every field in one aggregate store; setting single bytes over a cleared record would make
// the next wide read of the flags wait for several stores to drain.
inline tqs *take_record() {
    if (tqs_record_free_n > 0) return tqs_record_free[--tqs_record_free_n];
    if (record_block_next < RECORDS_PER_BLOCK) return record_block + record_block_next++;
    return take_record_from_new_block();
}

inline void give_back_record(tqs *s) {
    if (tqs_record_free_n >= tqs_record_free_max) grow_record_free();
    tqs_record_free[tqs_record_free_n++] = s;
}

// Puts `s` on the temporary list and returns its slot; the caller marks the record.
inline uint32_t temp_slot(tqs *s) {
    if (tqs_tmp_list_nexti > tqs_tmp_list_lasti) grow_tmp_list();
    tqs_tmp_list[tqs_tmp_list_nexti] = s;
    return static_cast<uint32_t>(tqs_tmp_list_nexti++);
}

inline void add_temp(tqs *s) {
    s->temp_index = temp_slot(s);
    s->is_temp = 1;
}

// Appends `s` to the heap list and returns its slot; the caller sets `list_index`.
inline uint32_t heap_list_slot(tqs *s) {
    if (tqs_heap_list_nexti > tqs_heap_list_lasti) tqs_heap_concat_list();
    tqs_heap_list[tqs_heap_list_nexti] = s;
    return static_cast<uint32_t>(tqs_heap_list_nexti++);
}

inline void heap_list_append(tqs *s) { s->list_index = heap_list_slot(s); }

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

inline void move_bytes(uint8_t *to, const uint8_t *from, ptrszint n) { tqs_move_bytes(to, from, n); }

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
