// Declarations shared inside the runtime frame.
#pragma once

#include <cstdint>

// The include file of the statement that raised the pending error, or null.
const char *error_include_file_name();

// Start-up steps of the runtime's memory facilities.
void mem_static_init(uintptr_t size);
void cmem_init();

// The housekeeping thread's update of the emulated BIOS tick count at 0040:006C.
void update_bios_ticks();
