// The primitives of string memory: taking and giving back records, the slots of the temporary
// list and of the two string lists, room in the heap, byte moves, release, adoption and copying.
// The inline entry points at the end of this file and the runtime's own string code are both
// built from them, so every step is written once.
//
// Not an interface. Compiled programs include this file through libtq/strings.h only so that the
// common cases of the frequent operations compile into a few loads and stores at the call site;
// they reach it through the entry points declared there. Program thread only, like all strings.
#pragma once

#include <cstring>
#include <type_traits>

#include "libtq/frame.h"
#include "libtq/strings.h"

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

// ---- the rare steps, out of line ----------------------------------------------------------------

// Puts the next fresh record on the empty free stack (a new block when the current one is used up).
void refill_record_free();
// Doubles the free stack; doubles the temporary list. Failure ends the program.
void grow_record_free();
void grow_tmp_list();
// Rewrites the conventional-memory descriptor of `s`, if it has one, after its bytes moved or
// changed length.
void write_descriptor(tqs *s);
// Adoption inside the conventional-memory area: `dest`, which already holds `src`'s value, moves
// into `src`'s list slot, and its descriptor is rewritten.
void tqs_move_cmem(tqs *dest, const tqs *src);
// Assignment to a fixed-length or a read-only destination.
tqs *set_owned_elsewhere(tqs *dest, tqs *src);
// Assignment of a longer value to a destination that is not the top of the heap: in place when
// it can grow where it stands, else moved to the top of its area. Consumes `src`.
void set_growing(tqs *dest, tqs *src);

// ---- records ------------------------------------------------------------------------------------
// Released records are reused last released first; a constructor clears the whole record.

// Makes sure that a record can be taken.
[[gnu::always_inline]] inline void ensure_record() {
    if (tqs_record_free_n <= 0) [[unlikely]]
        refill_record_free();
}

// The record on top of the free stack; ensure_record must have run.
[[gnu::always_inline]] inline tqs *pop_record() { return tqs_record_free[--tqs_record_free_n]; }

[[gnu::always_inline]] inline tqs *take_record() {
    ensure_record();
    return pop_record();
}

[[gnu::always_inline]] inline void give_back_record(tqs *s) {
    if (tqs_record_free_n >= tqs_record_free_max) [[unlikely]]
        grow_record_free();
    tqs_record_free[tqs_record_free_n++] = s;
}

// ---- list slots ---------------------------------------------------------------------------------
// The temporary list and the two string lists are arrays of record pointers with a next index
// one past the highest used slot.

// Appends `s` to a list that has room and returns its slot.
[[gnu::always_inline]] inline uint32_t push_slot(tqs **list, ptrszint &nexti, tqs *s) {
    list[nexti] = s;
    return static_cast<uint32_t>(nexti++);
}

// How far a list's next index comes down when a slot is given up.
enum class lowering {
    // Past the given-up slot only, when it was the top one. Adoption leaves the freed temporary
    // slots below it to the statement's clean-up; a removal from the conventional-memory list
    // leaves its freed slots to the next packing.
    top_slot_only,
    // Past every freed slot at the top of the heap list, so that the top of the heap can be
    // reclaimed at once.
    past_freed_slots,
    // Past every freed slot at the top of the temporary list. Its slot 0 never holds a temporary,
    // so the walk ends there without a test.
    past_freed_temps,
};

[[gnu::always_inline]] inline void release_slot(tqs **list, ptrszint &nexti, uint32_t index, lowering how) {
    list[index] = TQS_FREED_SLOT;
    switch (how) {
    case lowering::top_slot_only:
        if (static_cast<ptrszint>(index) == nexti - 1) nexti--;
        break;
    case lowering::past_freed_slots:
        while (nexti > 0 && list[nexti - 1] == TQS_FREED_SLOT) nexti--;
        break;
    case lowering::past_freed_temps:
        while (list[nexti - 1] == TQS_FREED_SLOT) nexti--;
        break;
    }
}

[[gnu::always_inline]] inline void ensure_temp_slot() {
    if (tqs_tmp_list_nexti > tqs_tmp_list_lasti) [[unlikely]]
        grow_tmp_list();
}

[[gnu::always_inline]] inline void ensure_heap_list_slot() {
    if (tqs_heap_list_nexti > tqs_heap_list_lasti) [[unlikely]]
        tqs_heap_concat_list();
}

[[gnu::always_inline]] inline void ensure_cmem_list_slot() {
    if (tqs_cmem_list_nexti > tqs_cmem_list_lasti) [[unlikely]]
        tqs_cmem_concat_list();
}

// Puts `s` on the temporary list and marks it temporary.
inline void add_temp(tqs *s) {
    ensure_temp_slot();
    s->temp_index = push_slot(tqs_tmp_list, tqs_tmp_list_nexti, s);
    s->is_temp = 1;
}

// Whether `s` holds the top slot of its area's list.
[[gnu::always_inline]] inline bool is_top(const tqs *s, ptrszint nexti) {
    return static_cast<ptrszint>(s->list_index) == nexti - 1;
}

// `dest` moves into `src`'s slot of the list of their area.
[[gnu::always_inline]] inline void take_list_slot(tqs **list, tqs *dest, const tqs *src) {
    list[dest->list_index] = TQS_FREED_SLOT;
    list[src->list_index] = dest;
    dest->list_index = src->list_index;
}

// Gives up heap string `s`'s slot; the top of the heap comes down to the end of the highest live
// string plus its slack.
[[gnu::always_inline]] inline void release_heap_slot(tqs *s) {
    release_slot(tqs_heap_list, tqs_heap_list_nexti, s->list_index, lowering::past_freed_slots);
    if (tqs_heap_list_nexti > 0) {
        tqs *top = tqs_heap_list[tqs_heap_list_nexti - 1];
        ptrszint sp = top->data - tqs_heap + top->length + TQS_HEAP_SLACK;
        tqs_heap_sp = sp > tqs_heap_size ? tqs_heap_size : sp;
    } else {
        tqs_heap_sp = 0;
    }
}

// Gives up conventional-memory string `s`'s slot. Its bytes wait for the next compaction of the
// area, and its descriptor stays where it is.
inline void tqs_remove_cmem(tqs *s) {
    release_slot(tqs_cmem_list, tqs_cmem_list_nexti, s->list_index, lowering::top_slot_only);
}

// ---- kinds of string ----------------------------------------------------------------------------

// The bytes belong to somebody else: a fixed-length or a read-only string.
[[gnu::always_inline]] inline bool owned_elsewhere(const tqs *s) { return (s->is_fixed | s->is_readonly) != 0; }

// The only kind of string whose bytes an operation may change in place.
[[gnu::always_inline]] inline bool plain_heap_temp(const tqs *s) {
    return s->is_temp && !owned_elsewhere(s) && !s->is_cmem;
}

// Whether `dest` can take over `src`'s bytes instead of copying them: `src` is a temporary whose
// bytes the string system owns, in the same area as `dest`.
[[gnu::always_inline]] inline bool adoptable(const tqs *dest, const tqs *src) {
    return src->is_temp && !owned_elsewhere(src) && src->is_cmem == dest->is_cmem;
}

// ---- bytes --------------------------------------------------------------------------------------

// Copies `n` bytes between regions that may overlap. Short copies are done with a few loads
// followed by the stores, which is why overlap does not matter to them.
inline void move_bytes(uint8_t *to, const uint8_t *from, ptrszint n) {
    if (n <= 0 || to == from) return;
    if (n <= 16) {
        if (n >= 8) {
            uint64_t head, tail;
            std::memcpy(&head, from, 8);
            std::memcpy(&tail, from + n - 8, 8);
            std::memcpy(to, &head, 8);
            std::memcpy(to + n - 8, &tail, 8);
        } else if (n >= 4) {
            uint32_t head, tail;
            std::memcpy(&head, from, 4);
            std::memcpy(&tail, from + n - 4, 4);
            std::memcpy(to, &head, 4);
            std::memcpy(to + n - 4, &tail, 4);
        } else {
            uint8_t first = from[0], middle = from[n / 2], last = from[n - 1];
            to[0] = first;
            to[n / 2] = middle;
            to[n - 1] = last;
        }
        return;
    }
    std::memmove(to, from, static_cast<size_t>(n));
}

// Makes sure that `n` bytes fit above the top of the heap, compacting or growing it if not. Heap
// strings may move, so their bytes are located afterwards.
[[gnu::always_inline]] inline void ensure_heap_room(ptrszint n) {
    if (tqs_heap_sp + n > tqs_heap_size) [[unlikely]]
        tqs_heap_concat(n);
}

// ---- release, adoption, copying -----------------------------------------------------------------
// Releasing a string touches none of its bytes and moves no other string, so an operation may
// release its operands as soon as it has located their bytes, before it copies them.

// Consumes `s` when it is a temporary.
[[gnu::always_inline]] inline void consume(tqs *s) {
    if (s->is_temp) tqs_free(s);
}

// `dest` takes over the bytes of the temporary `src`: it moves into `src`'s list slot, and `src`'s
// record goes straight back to the free stack. `dest`'s old bytes are left as dead space.
[[gnu::always_inline]] inline void adopt(tqs *dest, tqs *src) {
    dest->data = src->data;
    dest->length = src->length;
    if (dest->is_cmem) [[unlikely]]
        tqs_move_cmem(dest, src);
    else
        take_list_slot(tqs_heap_list, dest, src);
    release_slot(tqs_tmp_list, tqs_tmp_list_nexti, src->temp_index, lowering::top_slot_only);
    give_back_record(src);
}

// Copies `src`'s value over the start of `dest`'s bytes, which have room for it, and consumes
// `src`.
[[gnu::always_inline]] inline void copy_over(tqs *dest, tqs *src) {
    uint8_t *to = dest->data;
    const uint8_t *from = src->data;
    int32_t n = src->length;
    dest->length = n;
    consume(src);
    move_bytes(to, from, n);
    if (dest->is_cmem) [[unlikely]]
        write_descriptor(dest);
}

// ---- number to text -----------------------------------------------------------------------------

// The two digits of every number from 00 to 99, one after the other.
inline constexpr char digit_pairs[201] = "00010203040506070809101112131415161718192021222324"
                                         "25262728293031323334353637383940414243444546474849"
                                         "50515253545556575859606162636465666768697071727374"
                                         "75767778798081828384858687888990919293949596979899";

// STR$ of an integer: the sign position and the digits of `magnitude` in a new heap temporary
// of `max_length` bytes. The text is made in a local buffer, two digits per division from the
// last, and copied in one fixed-size move: the temporary's slack leaves room for it.
template <typename U> [[gnu::always_inline]] inline tqs *integer_str(U magnitude, bool negative, int32_t max_length) {
    constexpr int WIDTH = sizeof(U) > 4 ? 32 : 16;
    static_assert(WIDTH <= TQS_HEAP_SLACK);
    char text[2 * WIDTH] = {};
    char *first = text + WIDTH;
    while (magnitude >= 100) {
        U pair = magnitude % 100;
        magnitude /= 100;
        first -= 2;
        std::memcpy(first, digit_pairs + 2 * pair, 2);
    }
    if (magnitude >= 10) {
        first -= 2;
        std::memcpy(first, digit_pairs + 2 * magnitude, 2);
    } else {
        *--first = static_cast<char>('0' + magnitude);
    }
    *--first = negative ? '-' : ' ';
    tqs *s = tqs_new(max_length, 1);
    s->length = static_cast<int32_t>(text + WIDTH - first);
    std::memcpy(s->data, first, WIDTH);
    return s;
}

// The magnitude of a signed integer as the unsigned type of the same width.
template <typename S> constexpr auto magnitude_of(S v) {
    using U = std::make_unsigned_t<S>;
    return v < 0 ? static_cast<U>(U{0} - static_cast<U>(v)) : static_cast<U>(v);
}

} // namespace tqs_internal

// ---- the inline entry points --------------------------------------------------------------------
// A constructor first makes sure there is room (a record on the free stack, a free slot in each
// list it joins, heap bytes), calling out of line in the rare case that there is not, and then
// always takes the same straight path: a compiled statement that consumes a temporary right after
// making it then knows the temporary's fields.

[[gnu::always_inline]] inline tqs *tqs_new(int32_t length, int32_t tmp) {
    using namespace tqs_internal;
    if (length < 0) length = 0;
    ensure_heap_room(length + TQS_HEAP_SLACK);
    ensure_heap_list_slot();
    ensure_record();
    if (tmp) ensure_temp_slot();
    tqs *s = pop_record();
    uint8_t *data = tqs_heap + tqs_heap_sp;
    tqs_heap_sp += length + TQS_HEAP_SLACK;
    uint32_t list_index = push_slot(tqs_heap_list, tqs_heap_list_nexti, s);
    uint32_t temp_index = tmp ? push_slot(tqs_tmp_list, tqs_tmp_list_nexti, s) : 0;
    // One aggregate store: byte-wise stores over a cleared record would make the next wide read of
    // the flags wait for them to drain.
    *s = tqs{data, length, 0, nullptr, 0, list_index, static_cast<uint8_t>(tmp ? 1 : 0), temp_index, 0, 0, nullptr};
    return s;
}

[[gnu::always_inline]] inline tqs *tqs_new_txt_len(const char *text, int32_t length) {
    using namespace tqs_internal;
    ensure_record();
    ensure_temp_slot();
    tqs *s = pop_record();
    uint32_t temp_index = push_slot(tqs_tmp_list, tqs_tmp_list_nexti, s);
    if (!text || length < 0) length = 0;
    *s = tqs{
        reinterpret_cast<uint8_t *>(const_cast<char *>(text)), length, 0, nullptr, 0, 0, 1, temp_index, 0, 1, nullptr};
    return s;
}

[[gnu::always_inline]] inline void tqs_free(tqs *s) {
    using namespace tqs_internal;
    if (!s) return;
    if (s->field_binding) [[unlikely]]
        field_free(s);
    if (s->temp_index) release_slot(tqs_tmp_list, tqs_tmp_list_nexti, s->temp_index, lowering::past_freed_temps);
    if (!owned_elsewhere(s)) {
        if (s->is_cmem) [[unlikely]]
            tqs_remove_cmem(s);
        else
            release_heap_slot(s);
    }
    give_back_record(s);
}

[[gnu::always_inline]] inline int32_t tqs_release_tmp(ptrszint base, int32_t value) {
    if (base < 1) base = 1; // slot 0 is never a temporary's
    while (tqs_tmp_list_nexti > base) {
        tqs *s = tqs_tmp_list[--tqs_tmp_list_nexti];
        if (s != TQS_FREED_SLOT) tqs_free(s);
    }
    return value;
}

[[gnu::always_inline]] inline tqs *tqs_set(tqs *dest, tqs *src) {
    using namespace tqs_internal;
    // Assigning a string to itself changes nothing; consuming it would release the destination.
    if (dest == src) return dest;
    if (owned_elsewhere(dest)) [[unlikely]]
        return set_owned_elsewhere(dest, src);
    if (adoptable(dest, src)) {
        adopt(dest, src);
    } else if (src->length <= dest->length) {
        // The space behind a shortened value stays with the destination until a compaction.
        copy_over(dest, src);
    } else if (!dest->is_cmem && is_top(dest, tqs_heap_list_nexti) &&
               dest->data + src->length <= tqs_heap + tqs_heap_size) {
        // The top heap string grows freely; it keeps no slack.
        tqs_heap_sp = dest->data + src->length - tqs_heap;
        copy_over(dest, src);
    } else {
        set_growing(dest, src);
    }
    return dest;
}

[[gnu::always_inline]] inline tqs *tqs_add(tqs *a, tqs *b) {
    using namespace tqs_internal;
    int32_t length_a = a->length, length_b = b->length;
    if (length_b == 0) return a;
    if (length_a == 0) return b;
    int64_t total = static_cast<int64_t>(length_a) + length_b;
    // A length must fit in 31 bits; a longer string is more than the heap can ever hold.
    if (total > INT32_MAX) [[unlikely]]
        error(ERR_HEAP);
    tqs *s = tqs_new(static_cast<int32_t>(total), 1);
    // Making the result may have compacted the heap, so the operands' bytes are located now. The
    // result lies above both.
    uint8_t *to = s->data;
    const uint8_t *from_a = a->data, *from_b = b->data;
    consume(a);
    if (b != a) consume(b);
    move_bytes(to, from_a, length_a);
    move_bytes(to + length_a, from_b, length_b);
    return s;
}

[[gnu::always_inline]] inline tqs *tqs_str(int32_t value) {
    return tqs_internal::integer_str(tqs_internal::magnitude_of(value), value < 0, 11);
}
