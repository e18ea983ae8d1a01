// The static memory pool: a bump allocator for storage that lives until the program ends or a
// caller rolls the pool back. A request that does not fit starts a new, larger buffer; old
// buffers stay where they are, so every pointer handed out stays valid. Program thread only.
#include <cstdlib>

#include "frame/frame_internal.h"
#include "libtq.h"

uint8_t *mem_static = nullptr;
uint8_t *mem_static_pointer = nullptr;
uint8_t *mem_static_limit = nullptr;
uptrszint mem_static_size = 0;

namespace {
// Every buffer the pool has used. Replaced buffers are never freed, because pointers into them stay
// in use; listed here, they stay reachable for a leak checker too.
uint8_t *pool_buffers[64];
int pool_buffer_count = 0;

void keep_buffer(uint8_t *buffer) {
    if (pool_buffer_count < 64) pool_buffers[pool_buffer_count++] = buffer;
}
} // namespace

void mem_static_init(uptrszint size) {
    mem_static = static_cast<uint8_t *>(std::malloc(size));
    if (!mem_static) error(504);
    keep_buffer(mem_static);
    mem_static_size = size;
    mem_static_pointer = mem_static;
    mem_static_limit = mem_static + size;
}

void *mem_static_malloc(uptrszint size) {
    size = (size + 7) & ~static_cast<uptrszint>(7);
    uptrszint room = static_cast<uptrszint>(mem_static_limit - mem_static_pointer);
    if (size < room) {
        uint8_t *p = mem_static_pointer;
        mem_static_pointer += size;
        return p;
    }
    uptrszint grown = 2 * mem_static_size + size;
    auto *buffer = static_cast<uint8_t *>(std::malloc(grown ? grown : 8));
    if (!buffer) {
        error(504);
        return nullptr;
    }
    keep_buffer(buffer);
    mem_static = buffer;
    mem_static_size = grown;
    mem_static_limit = buffer + grown;
    mem_static_pointer = buffer + size;
    return buffer;
}

void mem_static_restore(void *pointer) {
    auto *p = static_cast<uint8_t *>(pointer);
    if (p >= mem_static && p <= mem_static_limit)
        mem_static_pointer = p;
    else
        mem_static_pointer = mem_static;
}
