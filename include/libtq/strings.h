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

// A new heap string of `length` bytes whose contents are not initialised; a temporary when `tmp`
// is non-zero. Every new heap string is followed by TQS_HEAP_SLACK bytes of slack.
inline tqs *tqs_new(int32_t length, int32_t tmp);
// A read-only temporary over NUL-terminated literal text, or over `length` bytes of it; no copy
// is made.
tqs *tqs_new_txt(const char *text);
inline tqs *tqs_new_txt_len(const char *text, int32_t length);
// A fixed string over caller-owned bytes; a temporary when `tmp` is non-zero, otherwise given a
// descriptor when the bytes lie inside dblock.
tqs *tqs_new_fixed(uint8_t *bytes, int32_t length, int32_t tmp);
// A new conventional-memory string; a temporary when `tmp` is non-zero, otherwise with a descriptor.
tqs *tqs_new_cmem(int32_t length, int32_t tmp);
// Puts `s` on the temporary list and marks it temporary.
tqs *tqs_maketmp(tqs *s);

// Releases `s`: its temporary slot, its slot in its area's list (the top of the heap is reclaimed
// at once), and its record.
inline void tqs_free(tqs *s);
// Frees every temporary at or above slot `base` of the temporary list and returns `value`, so
// that a condition is computed before its operands are freed.
inline int32_t tqs_release_tmp(ptrszint base, int32_t value);

// The FIELD statement's release hook, called for a string that has a binding.
void field_free(tqs *s);

// ---- assignment and operations ------------------------------------------------------------------
// Every operation here but the comparisons, ASC and INSTR consumes its string arguments.

// Assignment: `dest` receives a copy of `src`'s value, and `src` is consumed. A temporary of the
// same area is adopted: `dest` takes over its bytes and no byte is copied.
inline tqs *tqs_set(tqs *dest, tqs *src);
// Concatenation. Joining with an empty string yields the other operand itself, and the empty one
// stays listed until the statement's clean-up.
inline tqs *tqs_add(tqs *a, tqs *b);

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

tqs *tqs_str(int64_t value);
inline tqs *tqs_str(int32_t value);
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

// The operations declared `inline` above are the most frequent ones: they are defined in the
// detail header below, so that a compiled statement pays a few loads and stores for them.
#include "libtq/detail/strings_primitives.h"
