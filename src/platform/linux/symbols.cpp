// The call stack and the symbol tables of loaded modules on Linux, for the log's stack traces.
//
// A frame's address is named after the function symbol at or below it in the module that holds
// it. The module and the amount its addresses are moved by come from the loader's list of loaded
// objects; the symbols from the module's own ELF file, read here without any library: the full
// symbol table when the file has one, else the dynamic symbol table that even a stripped file or
// a shared library keeps. Every offset and size in the file is checked against the file's length
// before it is used, so a damaged or hostile file only ends the reading with a reason.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <elf.h>
#include <execinfo.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"

namespace plat {

__attribute__((noinline)) int stack_return_addresses(void **addresses, int max) {
    if (max <= 0) return 0;
    // The walk starts inside this function, or deeper where the stack walker is wrapped (as
    // under the address sanitizer): the caller's frame begins with the address this function
    // returns to.
    void *caller = __builtin_return_address(0);
    constexpr int own_frames = 8;
    std::vector<void *> frames(static_cast<size_t>(max) + own_frames);
    const int n = backtrace(frames.data(), static_cast<int>(frames.size()));
    int first = 0;
    while (first < n && frames[static_cast<size_t>(first)] != caller) first++;
    if (first == n) first = n > 0 ? 1 : 0;
    const int kept = std::min(max, n - first);
    for (int i = 0; i < kept; i++) addresses[i] = frames[static_cast<size_t>(first + i)];
    return kept;
}

namespace {

struct module_search {
    uintptr_t address;
    bool found;
    std::string path;
    uintptr_t load_bias;
};

int visit_module(dl_phdr_info *info, size_t, void *data) {
    auto *search = static_cast<module_search *>(data);
    for (int i = 0; i < info->dlpi_phnum; i++) {
        const ElfW(Phdr) &segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD) continue;
        uintptr_t start = info->dlpi_addr + segment.p_vaddr;
        if (search->address >= start && search->address - start < segment.p_memsz) {
            search->found = true;
            search->load_bias = info->dlpi_addr;
            // The executable itself is listed without a name.
            const char *name = info->dlpi_name;
            search->path = (name && *name) ? name : executable_path();
            return 1;
        }
    }
    return 0;
}

// An open file read by offset, closed when done.
class elf_file {
  public:
    explicit elf_file(const std::string &path) : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~elf_file() {
        if (fd_ >= 0) close(fd_);
    }
    elf_file(const elf_file &) = delete;
    elf_file &operator=(const elf_file &) = delete;
    bool is_open() const { return fd_ >= 0; }
    bool size(uint64_t &bytes) const {
        struct stat info {};
        if (fstat(fd_, &info) != 0 || info.st_size < 0) return false;
        bytes = static_cast<uint64_t>(info.st_size);
        return true;
    }
    // Reads `count` bytes at `offset`; the caller has checked that they lie inside the file.
    bool read_at(uint64_t offset, void *into, size_t count) const {
        auto *out = static_cast<char *>(into);
        while (count > 0) {
            ssize_t n = pread(fd_, out, count, static_cast<off_t>(offset));
            if (n <= 0) return false;
            out += n;
            offset += static_cast<uint64_t>(n);
            count -= static_cast<size_t>(n);
        }
        return true;
    }

  private:
    int fd_;
};

// True when the `count` records of `size` bytes at `offset` lie inside a file of `file_size` bytes.
bool inside(uint64_t offset, uint64_t count, uint64_t size, uint64_t file_size) {
    if (size != 0 && count > file_size / size) return false;
    uint64_t bytes = count * size;
    return offset <= file_size && bytes <= file_size - offset;
}

} // namespace

bool module_containing(const void *address, std::string &path, uintptr_t &load_bias) {
    module_search search{reinterpret_cast<uintptr_t>(address), false, {}, 0};
    dl_iterate_phdr(visit_module, &search);
    if (!search.found) return false;
    path = search.path;
    load_bias = search.load_bias;
    return true;
}

const char *symbol_table::name_at(uintptr_t address) const {
    auto after = std::upper_bound(functions.begin(), functions.end(), address,
                                  [](uintptr_t a, const function &f) { return a < f.address; });
    if (after == functions.begin()) return nullptr;
    const function &f = *std::prev(after);
    // An address past the end of the function below it lies in code the table does not name (a
    // stripped file keeps only the few symbols it exports).
    if (f.size != 0 && address - f.address >= f.size) return nullptr;
    return names.c_str() + f.name;
}

std::string read_symbol_table(const std::string &path, uintptr_t load_bias, symbol_table &table) {
    table = {};
    elf_file file(path);
    if (!file.is_open()) return "failed to open file";
    uint64_t file_size = 0;
    if (!file.size(file_size)) return "failed to get file size";

    Elf64_Ehdr header{};
    if (file_size < sizeof header || !file.read_at(0, &header, sizeof header) ||
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0)
        return "file is not an ELF file";
    if (header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_ident[EI_DATA] != ELFDATA2LSB)
        return "ELF class or byte order not recognized";
    if (header.e_shentsize != sizeof(Elf64_Shdr)) return "size of section header did not match expectation";
    if (!inside(header.e_shoff, header.e_shnum, sizeof(Elf64_Shdr), file_size)) return "invalid section header table";

    std::vector<Elf64_Shdr> sections(header.e_shnum);
    if (!sections.empty() && !file.read_at(header.e_shoff, sections.data(), sections.size() * sizeof(Elf64_Shdr)))
        return "invalid section header table";

    // The full table when there is one, else the dynamic one.
    const Elf64_Shdr *symbols = nullptr;
    for (uint32_t kind : {static_cast<uint32_t>(SHT_SYMTAB), static_cast<uint32_t>(SHT_DYNSYM)}) {
        for (const Elf64_Shdr &s : sections)
            if (s.sh_type == kind && s.sh_size > 0) {
                symbols = &s;
                break;
            }
        if (symbols) break;
    }
    if (!symbols) return "no ELF symbols";
    if (symbols->sh_entsize != sizeof(Elf64_Sym) || symbols->sh_size % sizeof(Elf64_Sym) != 0 ||
        !inside(symbols->sh_offset, symbols->sh_size, 1, file_size))
        return "invalid size in ELF symbol table";
    if (symbols->sh_link >= sections.size()) return "invalid ELF string table";
    const Elf64_Shdr &strings = sections[symbols->sh_link];
    if (strings.sh_type != SHT_STRTAB || !inside(strings.sh_offset, strings.sh_size, 1, file_size))
        return "invalid ELF string table";

    std::vector<Elf64_Sym> records(symbols->sh_size / sizeof(Elf64_Sym));
    std::string text(strings.sh_size, '\0');
    if ((!records.empty() && !file.read_at(symbols->sh_offset, records.data(), symbols->sh_size)) ||
        (!text.empty() && !file.read_at(strings.sh_offset, text.data(), text.size())))
        return "failed to read ELF symbols";

    symbol_table result;
    for (const Elf64_Sym &s : records) {
        if (ELF64_ST_TYPE(s.st_info) != STT_FUNC) continue;
        if (s.st_shndx == SHN_UNDEF || s.st_shndx >= sections.size()) continue;
        if (s.st_name >= text.size()) continue;
        const char *name = text.data() + s.st_name;
        size_t length = strnlen(name, text.size() - s.st_name);
        if (length == 0 || length == text.size() - s.st_name) continue; // unnamed, or not ended in the table
        if (result.names.size() + length + 1 > UINT32_MAX) break;
        result.functions.push_back(
            {static_cast<uintptr_t>(s.st_value) + load_bias, s.st_size, static_cast<uint32_t>(result.names.size())});
        result.names.append(name, length);
        result.names.push_back('\0');
    }
    std::stable_sort(result.functions.begin(), result.functions.end(),
                     [](const auto &a, const auto &b) { return a.address < b.address; });
    table = std::move(result);
    return {};
}

std::string demangle(const char *raw_name) {
    if (!raw_name) return {};
    // Only names in the mangled form are given to the demangler, which would otherwise read a
    // short plain name such as "f" as the name of a type ("float").
    for (const char *candidate : {raw_name, raw_name[0] == '_' ? raw_name + 1 : nullptr}) {
        if (!candidate || std::strncmp(candidate, "_Z", 2) != 0) continue;
        int status = 0;
        char *readable = abi::__cxa_demangle(candidate, nullptr, nullptr, &status);
        if (status == 0 && readable) {
            std::string out = readable;
            std::free(readable);
            return out;
        }
        std::free(readable);
    }
    return raw_name;
}

} // namespace plat
