// Stack traces for the log's ERROR entries.
//
// The walk visits at most 41 frames from the logging call outward. Each frame is named after the
// function symbol at or below its address in the module that holds it; the logging functions
// themselves are left out and counted, and the compiled program's functions get readable names
// ("Main ZORV code" for the main module, "NAME (ZORV)" for its SUBs and FUNCTIONs). A module's
// symbol table is read from its file the first time one of its frames is named and kept for the
// rest of the run, so a later trace reads no file.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <map>
#include <utility>

#include "frame/logging_internal.h"
#include "libtq.h"
#include "platform/platform.h"

namespace {

constexpr int most_frames = 41;

struct module_symbols {
    plat::symbol_table table;
    bool readable = false;
};

// Modules by path and load bias; filled by any thread that names a frame, under the lock.
std::map<std::pair<std::string, uintptr_t>, module_symbols> modules;
int tables_read = 0;

libtq_mutex *modules_lock() {
    static libtq_mutex *lock = libtq_mutex_new();
    return lock;
}

bool starts_with(const std::string &text, const char *prefix) { return text.rfind(prefix, 0) == 0; }

} // namespace

int libtq_log_symbol_tables_read() {
    libtq_mutex_lock(modules_lock());
    int n = tables_read;
    libtq_mutex_unlock(modules_lock());
    return n;
}

std::string libtq_log_resolve_symbol(const void *address) {
    std::string path;
    uintptr_t load_bias = 0;
    if (!plat::module_containing(address, path, load_bias)) return {};
    std::string name;
    libtq_mutex_lock(modules_lock());
    auto [found, added] = modules.try_emplace({path, load_bias});
    module_symbols &module = found->second;
    if (added) {
        tables_read++;
        module.readable = plat::read_symbol_table(path, load_bias, module.table).empty();
    }
    const char *raw = module.readable ? module.table.name_at(reinterpret_cast<uintptr_t>(address)) : nullptr;
    if (raw) name = plat::demangle(raw);
    libtq_mutex_unlock(modules_lock());
    return raw ? name : path;
}

bool libtq_log_resolve_zorv_symbol(const char *name, std::string &readable) {
    if (!name) return false;
    if (std::strncmp(name, "TQMAIN(", 7) == 0) {
        readable = "Main ZORV code";
        return true;
    }
    for (const char *prefix : {"SUB_", "FUNC_"}) {
        size_t length = std::strlen(prefix);
        if (std::strncmp(name, prefix, length) == 0) {
            readable = std::string(name + length) + " (ZORV)";
            return true;
        }
    }
    return false;
}

std::string libtq_log_get_stacktrace(bool program_only) {
    void *frames[most_frames];
    const int count = plat::stack_return_addresses(frames, most_frames);
    std::string trace;
    int skipped = 0;
    bool program_seen = false;
    for (int visited = 0; visited < count; visited++) {
        // A return address follows the call; the byte before it still lies in the calling function,
        // even when the call was the last instruction of that function.
        const auto address = reinterpret_cast<uintptr_t>(frames[visited]);
        std::string name = libtq_log_resolve_symbol(reinterpret_cast<const void *>(address - 1));
        if (starts_with(name, "libtq_log") || starts_with(name, "libtq_vlog")) {
            skipped++;
            continue;
        }
        std::string readable;
        bool program_frame = libtq_log_resolve_zorv_symbol(name.c_str(), readable);
        if (program_only && !program_frame) {
            if (program_seen) break;
            continue;
        }
        program_seen = program_seen || program_frame;
        if (program_frame) name = readable;
        char line[64];
        std::snprintf(line, sizeof line, "#%-2d [0x%" PRIxPTR "] in ", visited - skipped, address);
        trace += line;
        trace += name;
        trace += '\n';
    }
    return trace;
}
