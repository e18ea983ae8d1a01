// Strings: the string descriptor, the memory that holds string bytes, the temporaries that
// expressions produce, the string operations compiled programs call, and number-to-text.
//
// Every string is a `tqs` record pointing at bytes that live in one of three places: the main
// string heap (variables and computed temporaries), the conventional-memory string area inside
// `dblock` (strings that compiled code reaches by address, each with a 4-byte descriptor), or
// memory owned by somebody else (literal text, fixed-length variables).
//
// A temporary is consumed by the operation it is passed to: that operation frees it or adopts its
// bytes. Whatever a statement leaves on the temporary list is freed by tqs_release_tmp after it.
//
// Threads: everything declared here belongs to the program thread, with no locks and no atomic
// fields; the globals are written only by it. The window thread may read the bytes of an existing
// string that nobody changes meanwhile.
#pragma once

#include <cstring>

#include "libtq/common.h"

struct tqs {
    uint8_t *data;              // first byte of the value; meaningless when `length` is 0
    int32_t length;             // number of bytes, compared as signed
    uint8_t is_cmem;            // the bytes live in the conventional-memory string area
    uint8_t *descriptor;        // the 4-byte descriptor inside dblock, or null
    uint16_t descriptor_offset; // offset of `descriptor` from dblock
    uint32_t list_index;        // slot in the heap list or the conventional-memory list
    uint8_t is_temp;            // may be consumed by the operation it is passed to
    uint32_t temp_index;        // slot in tqs_tmp_list; 0 when not listed
    uint8_t is_fixed;           // fixed length; the bytes belong to their owner
    uint8_t is_readonly;        // the bytes are neither changed nor released (literal text)
    void *field_binding;        // FIELD binding, released through field_free, or null
};

// The marker of a freed slot in the string lists and the temporary list. No record pointer has
// this value: records are aligned.
inline tqs *const TQS_FREED_SLOT = reinterpret_cast<tqs *>(~uptrszint(0));

// Every new heap string is followed by this many bytes of slack to grow into in place.
constexpr ptrszint TQS_HEAP_SLACK = 32;

// ---- records, lists, heap ---------------------------------------------------------------------

// Released records, reused last released first. Capacity doubles when full.
extern tqs **tqs_record_free;
extern ptrszint tqs_record_free_n;   // records on the stack
extern ptrszint tqs_record_free_max; // slots of the stack

// The heap list holds the records whose bytes live in the heap, in address order; the
// conventional-memory list likewise. `nexti` is one past the highest used slot, `lasti` the
// highest slot the array can hold.
extern tqs **tqs_heap_list;
extern ptrszint tqs_heap_list_nexti;
extern ptrszint tqs_heap_list_lasti;
extern tqs **tqs_cmem_list;
extern ptrszint tqs_cmem_list_nexti;
extern ptrszint tqs_cmem_list_lasti;

// The temporary list. Slot 0 never holds a temporary, so a `temp_index` of 0 means "not listed".
// Compiled code captures `tqs_tmp_list_nexti` at the start of a scope as the base it hands to
// tqs_release_tmp.
extern tqs **tqs_tmp_list;
extern ptrszint tqs_tmp_list_nexti;
extern ptrszint tqs_tmp_list_lasti;

// The main string heap: bytes below `tqs_heap_sp` are live strings, their slack, or dead bytes of
// freed strings; bytes above it are free.
extern uint8_t *tqs_heap;
extern ptrszint tqs_heap_size;
extern ptrszint tqs_heap_sp;

// The conventional-memory string area: string bytes grow upward from offset 256 of dblock to
// `tqs_cmem_sp`; descriptors grow downward from `cmem_sp`.
extern uint32_t tqs_cmem_sp;

// Two permanent conventional-memory strings made at start-up: empty, and one space.
extern tqs *nothingstring;
extern tqs *singlespace;

// Allocates the record block, the lists and the heap. Start-up runs it once, after the
// conventional memory is cleared; tqs_strings_init_constants then makes the two permanent strings.
void tqs_strings_init();
void tqs_strings_init_constants();

// Compaction of the heap (keeps gaps of 32 bytes or less; grows the heap when less than `need`
// plus twice the used bytes would be free), packing of the string lists, compaction of the
// conventional-memory string area (raises 513 when `extra` more bytes would still not fit).
void tqs_heap_concat(ptrszint need);
void tqs_heap_concat_list();
void tqs_cmem_concat_list();
void tqs_concat_cmem(ptrszint extra);

// ---- construction and release ---------------------------------------------------------------------

tqs *tqs_new_txt(const char *text);
tqs *tqs_new_fixed(uint8_t *bytes, int32_t length, int32_t tmp);
tqs *tqs_new_cmem(int32_t length, int32_t tmp);
tqs *tqs_maketmp(tqs *s);

// The FIELD statement's release hook, called for a string that has a binding.
void field_free(tqs *s);

// ---- the most frequent operations ----------------------------------------------------------------
// Their common cases are inline, so that a compiled statement pays a few loads and stores for
// them. A constructor first makes sure there is room (a record on the free stack, a free slot in
// each list it joins, heap bytes), calling out of line in the rare case that there is not, and then
// always takes the same straight path: a compiled statement that consumes a temporary right after
// making it then knows the temporary's fields. Every other case of an operation goes to its
// complete out-of-line version (the `_full` functions, which handle every case themselves and are
// called by nothing else).

void tqs_free_full(tqs *s);
tqs *tqs_set_full(tqs *dest, tqs *src);
tqs *tqs_add_full(tqs *a, tqs *b);

namespace tqs_internal {
// Puts the next fresh record on the empty free stack (a new block when the current one is used up).
void refill_record_free();
// Doubles the free stack; doubles the temporary list. Failure ends the program.
void grow_record_free();
void grow_tmp_list();
} // namespace tqs_internal

// Makes sure that a record can be taken and that the temporary list has a free slot.
[[gnu::always_inline]] inline void tqs_make_temp_room() {
    if (tqs_record_free_n <= 0) [[unlikely]]
        tqs_internal::refill_record_free();
    if (tqs_tmp_list_nexti > tqs_tmp_list_lasti) [[unlikely]]
        tqs_internal::grow_tmp_list();
}

// Copies `n` bytes between regions that may overlap. Short copies are done with a few loads
// followed by the stores, which is why overlap does not matter to them.
inline void tqs_move_bytes(uint8_t *to, const uint8_t *from, ptrszint n) {
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

// A new heap string of `length` bytes whose contents are not initialised; a temporary when `tmp`
// is non-zero.
[[gnu::always_inline]] inline tqs *tqs_new(int32_t length, int32_t tmp) {
    if (length < 0) length = 0;
    if (tqs_heap_sp + length + TQS_HEAP_SLACK > tqs_heap_size) [[unlikely]]
        tqs_heap_concat(length + TQS_HEAP_SLACK);
    if (tqs_heap_list_nexti > tqs_heap_list_lasti) [[unlikely]]
        tqs_heap_concat_list();
    if (tmp)
        tqs_make_temp_room();
    else if (tqs_record_free_n <= 0) [[unlikely]]
        tqs_internal::refill_record_free();
    tqs *s = tqs_record_free[--tqs_record_free_n];
    uint8_t *data = tqs_heap + tqs_heap_sp;
    tqs_heap_sp += length + TQS_HEAP_SLACK;
    ptrszint list_index = tqs_heap_list_nexti++;
    tqs_heap_list[list_index] = s;
    ptrszint temp_index = 0;
    if (tmp) {
        temp_index = tqs_tmp_list_nexti++;
        tqs_tmp_list[temp_index] = s;
    }
    // One aggregate store: byte-wise stores over a cleared record would make the next wide read of
    // the flags wait for them to drain.
    *s = tqs{data,
             length,
             0,
             nullptr,
             0,
             static_cast<uint32_t>(list_index),
             static_cast<uint8_t>(tmp ? 1 : 0),
             static_cast<uint32_t>(temp_index),
             0,
             0,
             nullptr};
    return s;
}

// A read-only temporary over `length` bytes of literal text; no copy is made.
[[gnu::always_inline]] inline tqs *tqs_new_txt_len(const char *text, int32_t length) {
    tqs_make_temp_room();
    tqs *s = tqs_record_free[--tqs_record_free_n];
    ptrszint temp_index = tqs_tmp_list_nexti++;
    tqs_tmp_list[temp_index] = s;
    if (!text || length < 0) length = 0;
    *s = tqs{reinterpret_cast<uint8_t *>(const_cast<char *>(text)),
             length,
             0,
             nullptr,
             0,
             0,
             1,
             static_cast<uint32_t>(temp_index),
             0,
             1,
             nullptr};
    return s;
}

// Gives up `s`'s slot in the temporary list, lowering the list's top past freed slots.
[[gnu::always_inline]] inline void tqs_release_temp_slot(tqs *s) {
    tqs_tmp_list[s->temp_index] = TQS_FREED_SLOT;
    // Slot 0 never holds the marker, so this stops there at the latest.
    while (tqs_tmp_list[tqs_tmp_list_nexti - 1] == TQS_FREED_SLOT) tqs_tmp_list_nexti--;
}

// Gives up heap string `s`'s slot in the heap list; the top of the heap is reclaimed at once, down
// to the end of the highest live string plus its slack.
[[gnu::always_inline]] inline void tqs_release_heap_slot(tqs *s) {
    tqs_heap_list[s->list_index] = TQS_FREED_SLOT;
    while (tqs_heap_list_nexti > 0 && tqs_heap_list[tqs_heap_list_nexti - 1] == TQS_FREED_SLOT) tqs_heap_list_nexti--;
    if (tqs_heap_list_nexti > 0) {
        tqs *top = tqs_heap_list[tqs_heap_list_nexti - 1];
        ptrszint sp = top->data - tqs_heap + top->length + TQS_HEAP_SLACK;
        tqs_heap_sp = sp > tqs_heap_size ? tqs_heap_size : sp;
    } else {
        tqs_heap_sp = 0;
    }
}

// The bytes belong to somebody else: a fixed-length or a read-only string.
[[gnu::always_inline]] inline bool tqs_owned_elsewhere(const tqs *s) { return (s->is_fixed | s->is_readonly) != 0; }

// Whether the quick release below applies to `s` (no FIELD binding, not in conventional memory);
// makes room on the free stack for its record.
[[gnu::always_inline]] inline bool tqs_quick_release_applies(const tqs *s) {
    if (tqs_record_free_n >= tqs_record_free_max) [[unlikely]]
        tqs_internal::grow_record_free();
    return !s->field_binding && !s->is_cmem;
}

// Releases a string for which tqs_quick_release_applies holds. It touches no string bytes, so an
// operation may release its operands before it copies their bytes.
[[gnu::always_inline]] inline void tqs_quick_release(tqs *s) {
    if (s->temp_index) tqs_release_temp_slot(s);
    if (!tqs_owned_elsewhere(s)) tqs_release_heap_slot(s);
    tqs_record_free[tqs_record_free_n++] = s;
}

// Releases `s`: its temporary slot, its slot in its area's list (the top of the heap is
// reclaimed at once), and its record.
[[gnu::always_inline]] inline void tqs_free(tqs *s) {
    if (s && tqs_quick_release_applies(s))
        tqs_quick_release(s);
    else
        tqs_free_full(s);
}

// Frees every temporary at or above slot `base` of the temporary list and returns `value`, so
// that a condition is computed before its operands are freed.
[[gnu::always_inline]] inline int32_t tqs_release_tmp(ptrszint base, int32_t value) {
    if (base < 1) base = 1; // slot 0 is never a temporary's
    while (tqs_tmp_list_nexti > base) {
        tqs *s = tqs_tmp_list[--tqs_tmp_list_nexti];
        if (s != TQS_FREED_SLOT) tqs_free(s);
    }
    return value;
}

// Assignment: `dest` receives a copy of `src`'s value, and `src` is consumed. A temporary of the
// same area is adopted: `dest` takes over its bytes and no byte is copied.
[[gnu::always_inline]] inline tqs *tqs_set(tqs *dest, tqs *src) {
    if (dest != src && !tqs_owned_elsewhere(dest) && !dest->is_cmem) {
        uint8_t *from = src->data;
        int32_t length = src->length;
        bool temp = src->is_temp;
        if (temp && !tqs_owned_elsewhere(src) && !src->is_cmem) {
            if (tqs_record_free_n < tqs_record_free_max) {
                tqs_heap_list[dest->list_index] = TQS_FREED_SLOT;
                tqs_heap_list[src->list_index] = dest;
                dest->list_index = src->list_index;
                tqs_tmp_list[src->temp_index] = TQS_FREED_SLOT;
                if (static_cast<ptrszint>(src->temp_index) == tqs_tmp_list_nexti - 1) tqs_tmp_list_nexti--;
                dest->data = from;
                dest->length = length;
                tqs_record_free[tqs_record_free_n++] = src;
                return dest;
            }
        } else if (!temp || tqs_quick_release_applies(src)) {
            // Copied bytes: in place when they fit, or when `dest` is the top heap string, which
            // grows freely. A temporary here is fixed or read-only, so releasing it first leaves
            // its bytes alone.
            uint8_t *to = dest->data;
            bool fits = length <= dest->length;
            if (fits || (static_cast<ptrszint>(dest->list_index) == tqs_heap_list_nexti - 1 &&
                         to + length <= tqs_heap + tqs_heap_size)) {
                dest->length = length;
                if (!fits) tqs_heap_sp = to + length - tqs_heap;
                if (temp) tqs_quick_release(src);
                tqs_move_bytes(to, from, length);
                return dest;
            }
        }
    }
    return tqs_set_full(dest, src);
}

// Concatenation; consumes both operands. Joining with an empty string yields the other operand
// itself, and the empty one stays listed until the statement's clean-up.
[[gnu::always_inline]] inline tqs *tqs_add(tqs *a, tqs *b) {
    int32_t length_a = a->length, length_b = b->length;
    if (length_b == 0) return a;
    if (length_a == 0) return b;
    int64_t total = static_cast<int64_t>(length_a) + length_b;
    if (total > INT32_MAX) return tqs_add_full(a, b);
    tqs *s = tqs_new(static_cast<int32_t>(total), 1);
    // Making the result may have compacted the heap, so the operands' bytes are located now.
    uint8_t *to = s->data;
    const uint8_t *from_a = a->data, *from_b = b->data;
    bool release_a = a->is_temp, release_b = b != a && b->is_temp;
    if ((!release_a || tqs_quick_release_applies(a)) && (!release_b || tqs_quick_release_applies(b))) {
        // Releasing touches no bytes, and the result lies above both operands.
        if (release_a) tqs_quick_release(a);
        if (release_b) tqs_quick_release(b);
        tqs_move_bytes(to, from_a, length_a);
        tqs_move_bytes(to + length_a, from_b, length_b);
        return s;
    }
    tqs_move_bytes(to, from_a, length_a);
    tqs_move_bytes(to + length_a, from_b, length_b);
    if (release_a) tqs_free(a);
    if (release_b) tqs_free(b);
    return s;
}

// ---- assignment and operations ------------------------------------------------------------------

tqs *tqs_ucase(tqs *s);
tqs *tqs_lcase(tqs *s);
tqs *tqs_left(tqs *s, int32_t n);
tqs *tqs_right(tqs *s, int32_t n);
tqs *func_mid(tqs *s, int32_t start, int32_t n, int32_t has_n);
void sub_mid(tqs *dest, int32_t start, int32_t n, tqs *src, int32_t has_n);
tqs *tqs_ltrim(tqs *s);
tqs *tqs_rtrim(tqs *s);
tqs *tqs__trim(tqs *s);

int32_t tqs_equal(tqs *a, tqs *b);
int32_t tqs_notequal(tqs *a, tqs *b);
int32_t tqs_lessthan(tqs *a, tqs *b);
int32_t tqs_greaterthan(tqs *a, tqs *b);
int32_t tqs_lessorequal(tqs *a, tqs *b);
int32_t tqs_greaterorequal(tqs *a, tqs *b);
int32_t func__str_compare(tqs *a, tqs *b);
int32_t func__str_nc_compare(tqs *a, tqs *b);

int32_t tqs_asc(tqs *s);
int32_t tqs_asc(tqs *s, int32_t position);
tqs *func_chr(int32_t code);
tqs *func_space(int32_t n);
tqs *func_string(int32_t n, int32_t code);
int32_t func_instr(int32_t start, tqs *text, tqs *find, int32_t has_start);
int32_t func__instrrev(int32_t start, tqs *text, tqs *find, int32_t has_start);

// ---- number to text -----------------------------------------------------------------------------
// Every result is a new heap temporary. The scratch buffers are shared: not re-entrant.

extern char tqs_str_buffer[64];
extern char tqs_str_buffer2[64];

// The two digits of every number from 00 to 99, one after the other.
inline constexpr char tqs_digit_pairs[201] = "00010203040506070809101112131415161718192021222324"
                                             "25262728293031323334353637383940414243444546474849"
                                             "50515253545556575859606162636465666768697071727374"
                                             "75767778798081828384858687888990919293949596979899";

// STR$ of an integer: the sign position and the digits of `magnitude` in a new heap temporary
// of `max_length` bytes. The text is made in a local buffer, two digits per division from the
// last, and copied in one fixed-size move: the temporary's slack leaves room for it.
template <typename U>
[[gnu::always_inline]] inline tqs *tqs_integer_str(U magnitude, bool negative, int32_t max_length) {
    constexpr int WIDTH = sizeof(U) > 4 ? 32 : 16;
    static_assert(WIDTH <= TQS_HEAP_SLACK);
    char text[2 * WIDTH] = {};
    char *first = text + WIDTH;
    while (magnitude >= 100) {
        U pair = magnitude % 100;
        magnitude /= 100;
        first -= 2;
        std::memcpy(first, tqs_digit_pairs + 2 * pair, 2);
    }
    if (magnitude >= 10) {
        first -= 2;
        std::memcpy(first, tqs_digit_pairs + 2 * magnitude, 2);
    } else {
        *--first = static_cast<char>('0' + magnitude);
    }
    *--first = negative ? '-' : ' ';
    tqs *s = tqs_new(max_length, 1);
    s->length = static_cast<int32_t>(text + WIDTH - first);
    std::memcpy(s->data, first, WIDTH);
    return s;
}

tqs *tqs_str(int64_t value);
// LONG, the type of a printed counter, is made inline.
[[gnu::always_inline]] inline tqs *tqs_str(int32_t value) {
    uint32_t magnitude = value < 0 ? 0 - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    return tqs_integer_str(magnitude, value < 0, 11);
}
tqs *tqs_str(int16_t value);
tqs *tqs_str(int8_t value);
tqs *tqs_str(uint64_t value);
tqs *tqs_str(uint32_t value);
tqs *tqs_str(uint16_t value);
tqs *tqs_str(uint8_t value);
tqs *tqs_str(float value);
tqs *tqs_str(double value);
tqs *tqs_str(long double value);

tqs *tqs__tostr(int64_t value);
tqs *tqs__tostr(int32_t value);
tqs *tqs__tostr(int16_t value);
tqs *tqs__tostr(int8_t value);
tqs *tqs__tostr(uint64_t value);
tqs *tqs__tostr(uint32_t value);
tqs *tqs__tostr(uint16_t value);
tqs *tqs__tostr(uint8_t value);
tqs *tqs__tostr(float value, int32_t digits = 0, int32_t has_digits = 0);
tqs *tqs__tostr(double value, int32_t digits = 0, int32_t has_digits = 0);
tqs *tqs__tostr(long double value, int32_t digits = 0, int32_t has_digits = 0);

// ---- texts of the runtime frame -------------------------------------------------------------------

// The message text of error `n`, or of the ERR value when `passed` is 0.
tqs *func__errormessage(int32_t n, int32_t passed);
// The include file of the statement that raised the last reported error (empty for the main module).
tqs *func__inclerrorfile();
// Three bytes: the type byte, then the 16-bit offset low byte first.
tqs *func_varptr_helper(uint8_t type, uint16_t offset);
