// The pool of lifetime records for arrays and memory blocks. Records are carved from blocks
// that are never moved or released, so a holder of a record may keep its address; a released
// record gets id 0, so every holder of its old id sees the storage as freed. Program thread only.
#include <cstdlib>
#include <cstring>

#include "libtq.h"

namespace {
constexpr int32_t mem_lock_max = 10000;
mem_lock *mem_lock_base = static_cast<mem_lock *>(std::calloc(mem_lock_max, sizeof(mem_lock)));
int32_t mem_lock_next = 0;
mem_lock **mem_lock_freed = static_cast<mem_lock **>(std::malloc(1000 * sizeof(mem_lock *)));
int32_t mem_lock_freed_max = 1000;
int32_t mem_lock_freed_n = 0;
} // namespace

mem_lock *mem_lock_tmp = nullptr;
uint64_t mem_lock_id = 1073741823;

mem_lock *new_mem_lock() {
    mem_lock *lock;
    if (mem_lock_freed_n > 0) {
        lock = mem_lock_freed[--mem_lock_freed_n];
    } else {
        if (mem_lock_next == mem_lock_max) {
            mem_lock *block = static_cast<mem_lock *>(std::calloc(mem_lock_max, sizeof(mem_lock)));
            if (!block) error(257);
            mem_lock_base = block;
            mem_lock_next = 0;
        }
        lock = &mem_lock_base[mem_lock_next++];
    }
    lock->id = ++mem_lock_id;
    mem_lock_tmp = lock;
    return lock;
}

void free_mem_lock(mem_lock *lock) {
    lock->id = 0;
    if (lock->type == 1) {
        std::free(lock->offset);
        lock->offset = nullptr;
    }
    if (mem_lock_freed_n == mem_lock_freed_max) {
        auto grown =
            static_cast<mem_lock **>(std::realloc(mem_lock_freed, 2 * mem_lock_freed_max * sizeof(mem_lock *)));
        if (!grown) error(257);
        mem_lock_freed = grown;
        mem_lock_freed_max *= 2;
    }
    mem_lock_freed[mem_lock_freed_n++] = lock;
}
