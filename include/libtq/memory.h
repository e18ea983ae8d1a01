// The runtime's memory facilities: indexed lists, the static memory pool and the emulated
// real-mode memory with its BIOS data area.
#pragma once

#include "libtq/common.h"

// ---- indexed lists ----------------------------------------------------------------------------
// A container of fixed-size records named by small positive handles that are reused last
// removed first. Record pointers never move for the life of the list. Only lists made by
// list_new_threadsafe may be shared between threads; list_get never takes a lock.

struct list;
list *list_new(int32_t user_size);
list *list_new_threadsafe(int32_t user_size);
ptrszint list_add(list *L);
int32_t list_remove(list *L, ptrszint handle); // -1 when a live record was removed, else 0
void *list_get(list *L, ptrszint handle);      // null for anything but a live handle
ptrszint list_get_index(list *L, void *record);
void list_destroy(list *L);

// The runtime's handle lists, made at start-up before any other thread exists; the pointers never
// change afterwards.
extern list *special_handles;
extern list *stream_handles;
extern list *connection_handles;
extern list *hardware_img_handles; // the one thread-safe list: the window thread's textures
extern list *hardware_graphics_command_handles;

// ---- static memory pool ----------------------------------------------------------------------
// A bump allocator for storage that lives until the program ends or the pool is rolled back.
// Program thread only.

void *mem_static_malloc(uptrszint size);
void mem_static_restore(void *pointer);
extern uint8_t *mem_static;         // start of the current pool buffer
extern uint8_t *mem_static_pointer; // next free byte
extern uint8_t *mem_static_limit;   // one past the last byte
extern uptrszint mem_static_size;

// ---- emulated real-mode memory -------------------------------------------------------------------
// The first megabyte of a real-mode PC byte for byte, at one address for the whole run. The
// program thread owns it but for the BIOS fields other threads keep, which every thread reads and
// writes whole, as atomic bytes or 16-bit words: the housekeeping thread writes the tick count; the
// window and housekeeping threads the keyboard flags; the keyboard buffer's producer (window thread)
// moves only its tail and its consumer (program thread) only its head. PEEK and POKE access every
// byte that way.

constexpr uint32_t CMEM_SIZE = 1114099;       // every segment:offset of 0000:0000..FFFF:FFFF
constexpr uint32_t CMEM_DBLOCK_OFFSET = 1280; // data segment 0x50
constexpr uint32_t CMEM_DBLOCK_SIZE = 65536;
constexpr uint32_t CMEM_DYNAMIC_BOTTOM = 0x10500; // end of the data segment
constexpr uint32_t CMEM_DYNAMIC_TOP = 0xA0000;    // the 640 KiB line
constexpr uint32_t CMEM_DYNAMIC_RECORDS = 147136;

// BIOS data area fields (absolute offsets into cmem).
constexpr uint32_t BIOS_KEYBOARD_FLAGS1 = 0x417;
constexpr uint32_t BIOS_KEYBOARD_FLAGS2 = 0x418;
constexpr uint32_t BIOS_KEYBOARD_HEAD = 0x41A;   // 16-bit offset within segment 0x40
constexpr uint32_t BIOS_KEYBOARD_TAIL = 0x41C;   // 16-bit offset within segment 0x40
constexpr uint32_t BIOS_KEYBOARD_BUFFER = 0x41E; // 16 entries: character code, scan code
constexpr uint32_t BIOS_KEYBOARD_BUFFER_END = 0x43E;
constexpr uint32_t BIOS_TIMER_TICKS = 0x46C; // 3 bytes little-endian, ticks since midnight
constexpr uint32_t BIOS_KEYBOARD_STATUS3 = 0x496;

extern uint8_t *cmem;    // the area (CMEM_SIZE bytes); the pointer never changes
extern uint8_t *dblock;  // the data segment, cmem + CMEM_DBLOCK_OFFSET
extern uint32_t cmem_sp; // offset into dblock of the lowest space taken from the top (program thread)

void sub_defseg(int32_t segment, int32_t passed);
int32_t func_peek(int32_t offset);
void sub_poke(int32_t offset, int32_t value);

// Blocks of the dynamic region between the data segment and the 640 KiB line, carved from the
// top down. Returns the block's address within cmem.
uint32_t cmem_dynamic_malloc(uint32_t size);
void cmem_dynamic_free(uint32_t address);
