// The emulated first megabyte of a real-mode PC: DEF SEG, PEEK, POKE, and the dynamic block
// region between the data segment and the 640 KiB line.
//
// Other threads keep BIOS fields in this memory (the housekeeping thread the tick count, the window
// thread the keyboard buffer), so PEEK and POKE read and write each byte whole.
#include <atomic>
#include <cstring>

#include "frame/frame_internal.h"
#include "libtq.h"

namespace {
// One fixed area for the whole run, so that addresses handed to the program never move.
alignas(16) uint8_t cmem_area[CMEM_SIZE];
uint8_t *defseg = cmem_area + CMEM_DBLOCK_OFFSET;

bool offset_in_range(int32_t offset) { return offset >= -65536 && offset <= 65535; }
uint32_t wrap16(int32_t value) { return static_cast<uint32_t>(value) & 0xFFFFu; }

// The dynamic region's block table. The chain lists live blocks from the highest address down.
struct dynamic_block {
    uint32_t start;   // address of the block in cmem
    uint32_t gap_end; // end of the free gap above it (the candidate top it was carved from)
    uint32_t size;
    uint32_t number; // the record's own number
    int32_t next;    // next record in the chain, -1 at the end
};
dynamic_block dynamic_blocks[CMEM_DYNAMIC_RECORDS];
uint32_t dynamic_reuse[CMEM_DYNAMIC_RECORDS];
uint32_t dynamic_reuse_n = 0;
uint32_t dynamic_next_number = 0;
int32_t dynamic_head = -1;
uint32_t dynamic_lower_limit = CMEM_DYNAMIC_BOTTOM;
uint32_t dynamic_lowest = CMEM_DYNAMIC_TOP;
} // namespace

uint8_t *cmem = cmem_area;
uint8_t *dblock = cmem_area + CMEM_DBLOCK_OFFSET;
uint32_t cmem_sp = CMEM_DBLOCK_SIZE;

void cmem_init() {
    std::memset(cmem_area, 0, sizeof cmem_area);
    defseg = dblock;
    cmem_sp = CMEM_DBLOCK_SIZE - 8; // 8 bytes the runtime keeps zeroed for itself
    std::memset(dblock + cmem_sp, 0, 8);
    dynamic_reuse_n = 0;
    dynamic_next_number = 0;
    dynamic_head = -1;
    dynamic_lower_limit = CMEM_DYNAMIC_BOTTOM;
    dynamic_lowest = CMEM_DYNAMIC_TOP;
}

void sub_defseg(int32_t segment, int32_t passed) {
    if (new_error) return;
    if (!passed) {
        defseg = dblock;
        return;
    }
    if (!offset_in_range(segment)) {
        error(6);
        return;
    }
    defseg = cmem_area + wrap16(segment) * 16;
}

int32_t func_peek(int32_t offset) {
    if (!offset_in_range(offset)) {
        error(6);
        return 0;
    }
    return std::atomic_ref<uint8_t>(defseg[wrap16(offset)]).load(std::memory_order_relaxed);
}

void sub_poke(int32_t offset, int32_t value) {
    if (new_error) return;
    if (!offset_in_range(offset)) {
        error(6);
        return;
    }
    std::atomic_ref<uint8_t>(defseg[wrap16(offset)]).store(static_cast<uint8_t>(value), std::memory_order_relaxed);
}

uint32_t cmem_dynamic_malloc(uint32_t size) {
    if (size > 65536) {
        error(505);
        return 0;
    }
    if (size == 0) return CMEM_DYNAMIC_TOP;
    size = (size + 15) & ~15u;
    uint32_t top = CMEM_DYNAMIC_TOP;
    int32_t previous = -1;
    int32_t at = dynamic_head;
    while (at != -1) {
        const dynamic_block &b = dynamic_blocks[at];
        if (top - (b.start + b.size) >= size) break;
        top = b.start;
        previous = at;
        at = b.next;
    }
    if (at == -1) {
        if (top < dynamic_lower_limit || top - dynamic_lower_limit < size) {
            error(506);
            return 0;
        }
        dynamic_lowest = top - size;
    }
    uint32_t number;
    if (dynamic_reuse_n) {
        number = dynamic_reuse[--dynamic_reuse_n];
    } else {
        if (dynamic_next_number >= CMEM_DYNAMIC_RECORDS) {
            error(507);
            return 0;
        }
        number = dynamic_next_number++;
    }
    dynamic_block &b = dynamic_blocks[number];
    b.start = top - size;
    b.gap_end = top;
    b.size = size;
    b.number = number;
    if (previous == -1) {
        b.next = dynamic_head;
        dynamic_head = static_cast<int32_t>(number);
    } else {
        b.next = dynamic_blocks[previous].next;
        dynamic_blocks[previous].next = static_cast<int32_t>(number);
    }
    return b.start;
}

void cmem_dynamic_free(uint32_t address) {
    if (dynamic_head == -1 || address == 0 || address == CMEM_DYNAMIC_TOP) return;
    int32_t previous = -1;
    for (int32_t at = dynamic_head; at != -1; previous = at, at = dynamic_blocks[at].next) {
        if (dynamic_blocks[at].start != address) continue;
        if (previous == -1)
            dynamic_head = dynamic_blocks[at].next;
        else
            dynamic_blocks[previous].next = dynamic_blocks[at].next;
        dynamic_reuse[dynamic_reuse_n++] = static_cast<uint32_t>(at);
        return;
    }
}
