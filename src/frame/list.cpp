// Indexed lists of fixed-size records with reusable integer handles.
//
// Slots are carved from blocks of 1, 3, 7, 15, ... usable slots that are never moved, so a
// record's pointer stays valid for the life of the list. Each slot holds the user record
// followed by a 32-bit handle word: the slot's handle while the record is live, 0 once it has
// been removed. Only the table of slot pointers (by handle) and the stack of free handles grow.
// A reader on another thread may still be reading a table of slot pointers that growth has
// replaced, at any later time, so replaced tables are never released while the list lives: each
// new table keeps the one it replaced in its unused entry 0 (together they take less than twice
// the newest table's room).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "libtq.h"

struct list {
    int32_t user_size;
    int32_t slot_size;
    uint8_t *block; // the block new slots are carved from
    int32_t used_in_block;
    int32_t block_capacity;
    int32_t *free_stack; // entries 1..free_count hold removed handles
    int32_t *previous_free_stack;
    int32_t free_count;
    int32_t free_capacity;
    uint8_t *blocks[63];
    int32_t block_count;
    std::atomic<uint8_t **> index; // slot pointer by handle; entry 0 unused
    std::atomic<int32_t> last_handle;
    int32_t index_capacity;
    libtq_mutex *add_lock;
    libtq_mutex *remove_lock;
    int32_t handle_offset; // where the handle word sits in a slot
};

namespace {

std::atomic_ref<int32_t> handle_word(const list *L, uint8_t *slot) {
    return std::atomic_ref<int32_t>(*reinterpret_cast<int32_t *>(slot + L->handle_offset));
}

void *zeroed_or_alert(size_t size, const list *L) {
    void *p = std::calloc(1, size);
    if (!p) {
        char text[96];
        std::snprintf(text, sizeof text, "list_add: failed to allocate new buffer, structure size: %lld",
                      static_cast<long long>(L->slot_size));
        gui_alert(text, "Alert", "ok");
    }
    return p;
}

list *make_list(int32_t user_size, bool threadsafe) {
    auto *L = static_cast<list *>(std::calloc(1, sizeof(list)));
    new (&L->index) std::atomic<uint8_t **>(nullptr);
    new (&L->last_handle) std::atomic<int32_t>(0);
    L->user_size = user_size < 0 ? 0 : user_size;
    // The handle word is kept 4-byte aligned and every slot 8-byte aligned, so that records
    // holding pointers or 64-bit values are naturally aligned.
    L->handle_offset = (L->user_size + 3) & ~3;
    L->slot_size = (L->handle_offset + 4 + 7) & ~7;
    L->block = static_cast<uint8_t *>(std::calloc(1, 4));
    L->blocks[0] = L->block;
    L->block_count = 1;
    L->free_stack = static_cast<int32_t *>(std::calloc(1, 4));
    L->index.store(static_cast<uint8_t **>(std::calloc(1, sizeof(uint8_t *))));
    if (threadsafe) {
        L->add_lock = libtq_mutex_new();
        L->remove_lock = libtq_mutex_new();
    }
    return L;
}

// Grows a table of `capacity` + 1 entries to 2 × capacity + 2 entries, copying `keep` entries.
// The replaced table becomes the previous one; the one before it is released.
template <typename T> bool grow_table(T *&current, T *&previous, int32_t &capacity, int32_t keep) {
    auto *grown = static_cast<T *>(std::calloc(static_cast<size_t>(2 * capacity + 2), sizeof(T)));
    if (!grown) return false;
    std::memcpy(grown, current, static_cast<size_t>(keep) * sizeof(T));
    std::free(previous);
    previous = current;
    current = grown;
    capacity = 2 * capacity + 1;
    return true;
}

} // namespace

list *list_new(int32_t user_size) { return make_list(user_size, false); }
list *list_new_threadsafe(int32_t user_size) { return make_list(user_size, true); }

ptrszint list_add(list *L) {
    if (L->add_lock) libtq_mutex_lock(L->add_lock);
    int32_t handle = 0;
    if (L->free_count > 0) {
        if (L->remove_lock) libtq_mutex_lock(L->remove_lock);
        if (L->free_count > 0) {
            handle = L->free_stack[L->free_count--];
            uint8_t *slot = L->index.load()[handle];
            std::memset(slot, 0, static_cast<size_t>(L->user_size));
            handle_word(L, slot).store(handle);
        }
        if (L->remove_lock) libtq_mutex_unlock(L->remove_lock);
    }
    if (!handle) {
        if (L->used_in_block >= L->block_capacity) {
            if (L->block_count >= 63) goto failed;
            int64_t slots = 2 * static_cast<int64_t>(L->block_capacity) + 2;
            auto *block = static_cast<uint8_t *>(zeroed_or_alert(static_cast<size_t>(slots * L->slot_size), L));
            if (!block) goto failed;
            L->block = block;
            L->block_capacity = 2 * L->block_capacity + 1;
            L->used_in_block = 0;
            L->blocks[L->block_count++] = block;
        }
        handle = L->last_handle.load() + 1;
        L->used_in_block++;
        uint8_t *slot = L->block + static_cast<size_t>(L->used_in_block) * static_cast<size_t>(L->slot_size);
        handle_word(L, slot).store(handle);
        if (L->index_capacity < handle) {
            uint8_t **old_table = L->index.load();
            auto **table =
                static_cast<uint8_t **>(std::calloc(static_cast<size_t>(2 * L->index_capacity + 2), sizeof(uint8_t *)));
            if (!table) {
                L->used_in_block--;
                goto failed;
            }
            std::memcpy(table + 1, old_table + 1, static_cast<size_t>(L->index_capacity) * sizeof(uint8_t *));
            table[0] = reinterpret_cast<uint8_t *>(old_table);
            L->index_capacity = 2 * L->index_capacity + 1;
            table[handle] = slot;
            L->index.store(table);
        } else {
            L->index.load()[handle] = slot;
        }
        L->last_handle.store(handle);
    }
    if (L->add_lock) libtq_mutex_unlock(L->add_lock);
    return handle;
failed:
    if (L->add_lock) libtq_mutex_unlock(L->add_lock);
    error(257);
    return 0;
}

int32_t list_remove(list *L, ptrszint handle) {
    if (L->remove_lock) libtq_mutex_lock(L->remove_lock);
    int32_t result = 0;
    if (handle > 0 && handle <= L->last_handle.load()) {
        uint8_t *slot = L->index.load()[handle];
        if (handle_word(L, slot).load() != 0) {
            bool room = L->free_count < L->free_capacity ||
                        grow_table(L->free_stack, L->previous_free_stack, L->free_capacity, L->free_count + 1);
            if (room) {
                L->free_stack[L->free_count + 1] = static_cast<int32_t>(handle);
                handle_word(L, slot).store(0);
                L->free_count++;
                result = -1;
            }
        }
    }
    if (L->remove_lock) libtq_mutex_unlock(L->remove_lock);
    return result;
}

void *list_get(list *L, ptrszint handle) {
    if (handle < 1 || handle > L->last_handle.load()) return nullptr;
    uint8_t *slot = L->index.load()[handle];
    if (handle_word(L, slot).load() == 0) return nullptr;
    return slot;
}

ptrszint list_get_index(list *L, void *record) { return handle_word(L, static_cast<uint8_t *>(record)).load(); }

void list_destroy(list *L) {
    if (!L) return;
    for (int32_t i = 0; i < L->block_count; i++) std::free(L->blocks[i]);
    std::free(L->free_stack);
    std::free(L->previous_free_stack);
    for (uint8_t **table = L->index.load(); table;) {
        auto **replaced = reinterpret_cast<uint8_t **>(table[0]);
        std::free(table);
        table = replaced;
    }
    if (L->add_lock) libtq_mutex_free(L->add_lock);
    if (L->remove_lock) libtq_mutex_free(L->remove_lock);
    std::free(L);
}
