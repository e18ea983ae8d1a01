// The ELF symbol reader on any bytes written to a file: it reads what a well-formed file holds and
// gives a reason for anything else, never reading outside the file's bytes or its own buffers.
// A table it builds is sorted by address, and every name it hands out is a whole name inside it.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "platform/platform.h"

namespace {

std::string file_path;

void write_file(const uint8_t *data, size_t size) {
    const int fd = open(file_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    FUZZ_CHECK(fd >= 0, "cannot write %s", file_path.c_str());
    for (size_t done = 0; done < size;) {
        const ssize_t n = write(fd, data + done, size - done);
        FUZZ_CHECK(n > 0, "cannot write %s", file_path.c_str());
        done += static_cast<size_t>(n);
    }
    close(fd);
}

// A name the table hands out for `address`: null, or the start of a whole name inside the table.
void check_name(const plat::symbol_table &table, uintptr_t address) {
    const char *name = table.name_at(address);
    if (!name) return;
    const char *first = table.names.data(), *end = first + table.names.size();
    FUZZ_CHECK(name >= first && name < end && (name == first || name[-1] == '\0') &&
                   std::memchr(name, '\0', static_cast<size_t>(end - name)),
               "the name of %#lx is not a whole name of the table", static_cast<unsigned long>(address));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz_prepare();
    if (file_path.empty()) {
        char pattern[] = "/tmp/libtq_fuzz_elf_XXXXXX";
        const int fd = mkstemp(pattern);
        FUZZ_CHECK(fd >= 0, "no temporary file");
        close(fd);
        file_path = pattern;
    }
    write_file(data, size);
    // Position-independent files are moved by the loader; the reader adds the amount it is given.
    const uintptr_t bias = size > 0 && (data[0] & 1) ? 0x555555554000u : 0;
    plat::symbol_table table;
    const std::string failure = plat::read_symbol_table(file_path, bias, table);
    if (!failure.empty()) {
        FUZZ_CHECK(table.functions.empty() && table.names.empty(), "a failed read (%s) left a table", failure.c_str());
        return 0;
    }
    for (size_t i = 0; i < table.functions.size(); i++) {
        const auto &f = table.functions[i];
        FUZZ_CHECK(i == 0 || table.functions[i - 1].address <= f.address, "the table is not sorted at %zu", i);
        FUZZ_CHECK(f.name < table.names.size() && table.names[f.name] != '\0' &&
                       (f.name == 0 || table.names[f.name - 1] == '\0'),
                   "function %zu names offset %u of %zu", i, f.name, table.names.size());
        check_name(table, f.address);
        check_name(table, f.address + f.size);
        check_name(table, f.address - 1);
    }
    for (uintptr_t address : {uintptr_t{0}, bias, ~uintptr_t{0}}) check_name(table, address);
    return 0;
}
