// String memory: records, the heap and its list, the conventional-memory string area and its
// list, the temporary list, and the constructors that are not inline.
//
// Records come from blocks that are never returned and are reused through a free stack, so a
// string costs no allocation of its own. Heap bytes are bump-allocated: the top of the heap is
// reclaimed at once on release, holes elsewhere only by a compaction when the heap is full.
#include <cstdlib>
#include <vector>

#include "strings/strings_internal.h"

using namespace tqs_internal;

tqs **tqs_record_free = nullptr;
ptrszint tqs_record_free_n = 0;
ptrszint tqs_record_free_max = 0;

tqs **tqs_heap_list = nullptr;
ptrszint tqs_heap_list_nexti = 0;
ptrszint tqs_heap_list_lasti = 0;
tqs **tqs_cmem_list = nullptr;
ptrszint tqs_cmem_list_nexti = 0;
ptrszint tqs_cmem_list_lasti = 0;
tqs **tqs_tmp_list = nullptr;
ptrszint tqs_tmp_list_nexti = 1;
ptrszint tqs_tmp_list_lasti = 0;

uint8_t *tqs_heap = nullptr;
ptrszint tqs_heap_size = 0;
ptrszint tqs_heap_sp = 0;
uint32_t tqs_cmem_sp = CMEM_STRINGS_BASE;

tqs *nothingstring = nullptr;
tqs *singlespace = nullptr;

namespace tqs_internal {
tqs *record_block = nullptr;
ptrszint record_block_next = RECORDS_PER_BLOCK;
} // namespace tqs_internal

namespace {

// Every record block ever made; they live until the process ends.
std::vector<tqs *> &record_blocks() {
    static std::vector<tqs *> blocks;
    return blocks;
}

// Allocates a block of zeroed records and makes it the current one.
void new_record_block() {
    auto *block = static_cast<tqs *>(std::calloc(static_cast<size_t>(RECORDS_PER_BLOCK), sizeof(tqs)));
    if (!block) error(ERR_RECORD_STACK);
    record_blocks().push_back(block);
    record_block = block;
    record_block_next = 0;
}

// Enlarges a pointer array to `slots` slots, keeping its contents; null when memory is short.
tqs **enlarge(tqs **array, ptrszint slots) {
    return static_cast<tqs **>(std::realloc(array, static_cast<size_t>(slots) * sizeof(tqs *)));
}

// Packs a string list: live slots move down over freed ones in order, and the moved records
// learn their new slot. Doubles the list when at least half of it is live afterwards.
void concat_list(tqs **&list, ptrszint &nexti, ptrszint &lasti, int32_t failure) {
    ptrszint live = 0;
    for (ptrszint i = 0; i < nexti; i++) {
        tqs *s = list[i];
        if (s == TQS_FREED_SLOT) continue;
        list[live] = s;
        s->list_index = static_cast<uint32_t>(live);
        live++;
    }
    nexti = live;
    if (live >= lasti / 2) {
        tqs **bigger = enlarge(list, lasti * 2 + 1);
        if (!bigger) {
            error(failure);
            return;
        }
        list = bigger;
        lasti *= 2;
    }
}

// Fixed bytes inside the data segment can be reached by address, so they get a descriptor.
void tqs_new_fixed_cmem(tqs *s) {
    auto at = reinterpret_cast<uptrszint>(s->data);
    auto base = reinterpret_cast<uptrszint>(dblock);
    if (at > base && at < base + CMEM_DBLOCK_SIZE) give_descriptor(s, ERR_FIXED_DESCRIPTOR);
}

tqs *tqs_create_cmem(int32_t length, int32_t tmp) {
    if (length < 0) length = 0;
    if (tmp) ensure_temp_slot();
    ensure_cmem_room(length);
    tqs *s = take_record();
    *s = tqs{dblock + tqs_cmem_sp, length, 1, nullptr, 0, 0, 0, 0, 0, 0, nullptr};
    tqs_cmem_sp += static_cast<uint32_t>(length);
    ensure_cmem_list_slot();
    s->list_index = push_slot(tqs_cmem_list, tqs_cmem_list_nexti, s);
    if (tmp)
        add_temp(s);
    else
        give_descriptor(s, ERR_DESCRIPTOR);
    return s;
}

} // namespace

void tqs_internal::refill_record_free() {
    if (record_block_next >= RECORDS_PER_BLOCK) new_record_block();
    give_back_record(record_block + record_block_next++);
}

void tqs_internal::grow_record_free() {
    tqs **bigger = enlarge(tqs_record_free, tqs_record_free_max * 2);
    if (!bigger) error(ERR_RECORD_STACK);
    tqs_record_free = bigger;
    tqs_record_free_max *= 2;
}

void tqs_internal::grow_tmp_list() {
    tqs **bigger = enlarge(tqs_tmp_list, tqs_tmp_list_lasti * 2 + 1);
    if (!bigger) error(ERR_TMP_LIST);
    tqs_tmp_list = bigger;
    tqs_tmp_list_lasti *= 2;
}

// A conventional-memory descriptor: the low 16 bits of the length, then the offset of the bytes
// from dblock, both little-endian.
void tqs_internal::write_descriptor(tqs *s) {
    if (!s->descriptor) return;
    uint32_t length = static_cast<uint32_t>(s->length) & 0xFFFFu;
    uint32_t offset = static_cast<uint32_t>(s->data - dblock) & 0xFFFFu;
    s->descriptor[0] = static_cast<uint8_t>(length);
    s->descriptor[1] = static_cast<uint8_t>(length >> 8);
    s->descriptor[2] = static_cast<uint8_t>(offset);
    s->descriptor[3] = static_cast<uint8_t>(offset >> 8);
}

void tqs_internal::give_descriptor(tqs *s, int32_t collision) {
    cmem_sp -= 4;
    if (cmem_sp < tqs_cmem_sp) error(collision);
    s->descriptor = dblock + cmem_sp;
    s->descriptor_offset = static_cast<uint16_t>(cmem_sp);
    write_descriptor(s);
}

void tqs_strings_init() {
    constexpr ptrszint slots = 65536;
    new_record_block();
    tqs_record_free = static_cast<tqs **>(std::malloc(slots * sizeof(tqs *)));
    if (!tqs_record_free) error(ERR_RECORD_STACK);
    tqs_record_free_n = 0;
    tqs_record_free_max = slots;

    tqs_heap_list = static_cast<tqs **>(std::malloc(slots * sizeof(tqs *)));
    if (!tqs_heap_list) error(ERR_HEAP_LIST);
    tqs_heap_list_nexti = 0;
    tqs_heap_list_lasti = slots - 1;

    tqs_tmp_list = static_cast<tqs **>(std::calloc(slots, sizeof(tqs *)));
    if (!tqs_tmp_list) error(ERR_TMP_LIST);
    tqs_tmp_list_nexti = 1;
    tqs_tmp_list_lasti = slots - 1;

    tqs_cmem_list = static_cast<tqs **>(std::malloc(slots * sizeof(tqs *)));
    if (!tqs_cmem_list) error(ERR_CMEM_LIST);
    tqs_cmem_list_nexti = 0;
    tqs_cmem_list_lasti = slots - 1;

    tqs_heap_size = 1048576;
    tqs_heap = static_cast<uint8_t *>(std::malloc(static_cast<size_t>(tqs_heap_size)));
    if (!tqs_heap) error(ERR_HEAP);
    tqs_heap_sp = 0;
    tqs_cmem_sp = CMEM_STRINGS_BASE;
}

void tqs_strings_init_constants() {
    nothingstring = tqs_new_cmem(0, 0);
    singlespace = tqs_new_cmem(1, 0);
    singlespace->data[0] = ' ';
}

void tqs_heap_concat_list() { concat_list(tqs_heap_list, tqs_heap_list_nexti, tqs_heap_list_lasti, ERR_HEAP_LIST); }
void tqs_cmem_concat_list() { concat_list(tqs_cmem_list, tqs_cmem_list_nexti, tqs_cmem_list_lasti, ERR_CMEM_LIST); }

void tqs_heap_concat(ptrszint need) {
    if (tqs_heap_list_nexti != 0) {
        uint8_t *end = tqs_heap;
        for (ptrszint i = 0; i < tqs_heap_list_nexti; i++) {
            tqs *s = tqs_heap_list[i];
            if (s == TQS_FREED_SLOT) continue;
            // Small gaps are not worth a move.
            if (s->data - end > TQS_HEAP_SLACK) {
                move_bytes(end, s->data, s->length);
                s->data = end;
            }
            end = s->data + s->length;
        }
        tqs_heap_sp = end - tqs_heap;
    }
    if (need + 2 * tqs_heap_sp + TQS_HEAP_SLACK < tqs_heap_size) return;

    // Less than half would stay free: grow. The new area is allocated before the old one is
    // released, so the live strings can be copied across and pointed at their new place.
    ptrszint size = need + 2 * tqs_heap_size;
    auto *bigger = static_cast<uint8_t *>(std::malloc(static_cast<size_t>(size)));
    if (!bigger) {
        error(ERR_HEAP);
        return;
    }
    if (tqs_heap_sp > 0) std::memcpy(bigger, tqs_heap, static_cast<size_t>(tqs_heap_sp));
    for (ptrszint i = 0; i < tqs_heap_list_nexti; i++) {
        tqs *s = tqs_heap_list[i];
        if (s == TQS_FREED_SLOT) continue;
        s->data = bigger + (s->data - tqs_heap);
    }
    std::free(tqs_heap);
    tqs_heap = bigger;
    tqs_heap_size = size;
}

void tqs_concat_cmem(ptrszint extra) {
    tqs_cmem_sp = CMEM_STRINGS_BASE;
    for (ptrszint i = 0; i < tqs_cmem_list_nexti; i++) {
        tqs *s = tqs_cmem_list[i];
        if (s == TQS_FREED_SLOT) continue;
        uint8_t *to = dblock + tqs_cmem_sp;
        if (s->data != to) {
            move_bytes(to, s->data, s->length);
            s->data = to;
            write_descriptor(s);
        }
        tqs_cmem_sp += static_cast<uint32_t>(s->length);
    }
    if (static_cast<ptrszint>(tqs_cmem_sp) + extra > static_cast<ptrszint>(cmem_sp)) error(ERR_CMEM_FULL);
}

tqs *tqs_new_txt(const char *text) {
    size_t n = text ? std::strlen(text) : 0;
    return tqs_new_txt_len(text, static_cast<int32_t>(n));
}

tqs *tqs_new_fixed(uint8_t *bytes, int32_t length, int32_t tmp) {
    tqs *s = take_record();
    if (!bytes || length < 0) length = 0;
    *s = tqs{bytes, length, 0, nullptr, 0, 0, 0, 0, 1, 0, nullptr};
    if (tmp)
        add_temp(s);
    else
        tqs_new_fixed_cmem(s);
    return s;
}

tqs *tqs_new_cmem(int32_t length, int32_t tmp) { return tqs_create_cmem(length, tmp); }

tqs *tqs_maketmp(tqs *s) {
    // A record listed twice would be released twice.
    if (!s->is_temp) add_temp(s);
    return s;
}

// The file statements are not part of this runtime, so a FIELD binding holds nothing but the
// link itself.
void field_free(tqs *s) { s->field_binding = nullptr; }
