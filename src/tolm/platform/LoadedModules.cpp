// dl_iterate_phdr for the loaded segments; pread of the ELF section header table for the sections.
#include "platform/LoadedModules.h"

#include "platform/ExceptionFilter.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cstring>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <memory>
#include <mutex>
#include <string>
#include <unistd.h>
#include <vector>

namespace Platform {

namespace {

// Far above what any real module has; a damaged header cannot make us read gigabytes.
constexpr uint64_t kMaxSections = 1 << 16;
constexpr uint64_t kMaxSymbolBytes = uint64_t(1) << 28;

struct CachedModule
{
    std::string name;
    std::string path;
    uintptr_t loadBase;
    std::vector<ModuleSection> sections;
    // The functions, by address, and the text their names point into.
    std::vector<ModuleSymbol> symbols;
    std::string names;
};

struct ModuleCache
{
    std::mutex lock;
    // Entries are never moved, so the paths and sections handed out stay put.
    std::vector<std::unique_ptr<CachedModule>> modules;
};

ModuleCache& Cache()
{
    static ModuleCache cache;
    return cache;
}

bool ReadExactly(int fd, void* buffer, size_t size, uint64_t offset)
{
    return pread(fd, buffer, size, off_t(offset)) == ssize_t(size);
}

std::vector<Elf64_Shdr> ReadSectionHeaders(int fd)
{
    Elf64_Ehdr header;
    if (!ReadExactly(fd, &header, sizeof header, 0) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_shoff == 0 || header.e_shentsize != sizeof(Elf64_Shdr)) {
        return {};
    }
    uint64_t count = header.e_shnum;
    // A table too long for the 16-bit count keeps its length in the null section's size.
    if (count == 0) {
        Elf64_Shdr first;
        if (!ReadExactly(fd, &first, sizeof first, header.e_shoff)) {
            return {};
        }
        count = first.sh_size;
    }
    if (count > kMaxSections) {
        return {};
    }
    std::vector<Elf64_Shdr> headers(count);
    if (!ReadExactly(fd, headers.data(), count * sizeof(Elf64_Shdr), header.e_shoff)) {
        return {};
    }
    return headers;
}

std::vector<ModuleSection> AllocatedSections(const std::vector<Elf64_Shdr>& headers)
{
    std::vector<ModuleSection> sections;
    for (size_t i = 1; i < headers.size(); ++i) {
        if (headers[i].sh_flags & SHF_ALLOC) {
            sections.push_back({uint32_t(i), uintptr_t(headers[i].sh_addr), uintptr_t(headers[i].sh_size)});
        }
    }
    return sections;
}

// The full symbol table when the file keeps one, else the one the loader uses; null for neither.
const Elf64_Shdr* SymbolTable(const std::vector<Elf64_Shdr>& headers)
{
    for (uint32_t type : {uint32_t(SHT_SYMTAB), uint32_t(SHT_DYNSYM)}) {
        for (const Elf64_Shdr& header : headers) {
            if (header.sh_type == type && header.sh_entsize == sizeof(Elf64_Sym) && header.sh_link < headers.size()) {
                return &header;
            }
        }
    }
    return nullptr;
}

// The functions of the module with their names, sorted by address.
void ReadSymbols(int fd, const std::vector<Elf64_Shdr>& headers, CachedModule& module)
{
    const Elf64_Shdr* table = SymbolTable(headers);
    if (!table) {
        return;
    }
    const Elf64_Shdr& strings = headers[table->sh_link];
    if (table->sh_size > kMaxSymbolBytes || strings.sh_size > kMaxSymbolBytes) {
        return;
    }
    std::vector<Elf64_Sym> entries(table->sh_size / sizeof(Elf64_Sym));
    module.names.resize(strings.sh_size + 1);
    if (!ReadExactly(fd, entries.data(), entries.size() * sizeof(Elf64_Sym), table->sh_offset) ||
        !ReadExactly(fd, module.names.data(), strings.sh_size, strings.sh_offset)) {
        module.names.clear();
        return;
    }
    for (const Elf64_Sym& entry : entries) {
        if (ELF64_ST_TYPE(entry.st_info) == STT_FUNC && entry.st_shndx != SHN_UNDEF && entry.st_size > 0 &&
            entry.st_name < strings.sh_size) {
            module.symbols.push_back({uintptr_t(entry.st_value), uintptr_t(entry.st_size), entry.st_name});
        }
    }
    std::sort(module.symbols.begin(), module.symbols.end(),
              [](const ModuleSymbol& a, const ModuleSymbol& b) { return a.address < b.address; });
}

void ReadFile(const std::string& file, CachedModule& module)
{
    int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    std::vector<Elf64_Shdr> headers = ReadSectionHeaders(fd);
    module.sections = AllocatedSections(headers);
    ReadSymbols(fd, headers, module);
    close(fd);
}

// The system names the program itself with an empty name.
std::unique_ptr<CachedModule> ReadModule(const char* name, uintptr_t loadBase)
{
    auto module = std::make_unique<CachedModule>();
    module->name = name;
    module->loadBase = loadBase;
    module->path = *name ? std::string(name) : ProgramFile();
    ReadFile(*name ? module->path : std::string("/proc/self/exe"), *module);
    return module;
}

// Under the cache's lock; null when the module has not been read.
const CachedModule* FindCachedLocked(ModuleCache& cache, const char* name, uintptr_t loadBase)
{
    for (const auto& module : cache.modules) {
        if (module->loadBase == loadBase && module->name == name) {
            return module.get();
        }
    }
    return nullptr;
}

// Under the cache's lock.
const CachedModule& CachedLocked(ModuleCache& cache, const char* name, uintptr_t loadBase)
{
    if (const CachedModule* cached = FindCachedLocked(cache, name, loadBase)) {
        return *cached;
    }
    cache.modules.push_back(ReadModule(name, loadBase));
    return *cache.modules.back();
}

struct Search
{
    uintptr_t address;
    const char* name = nullptr;
    uintptr_t loadBase = 0;
};

int MatchSegments(dl_phdr_info* info, size_t, void* data)
{
    auto* search = static_cast<Search*>(data);
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        uintptr_t start = info->dlpi_addr + segment.p_vaddr;
        if (segment.p_type == PT_LOAD && search->address - start < segment.p_memsz) {
            search->name = info->dlpi_name ? info->dlpi_name : "";
            search->loadBase = info->dlpi_addr;
            return 1;
        }
    }
    return 0;
}

int CacheEach(dl_phdr_info* info, size_t, void*)
{
    ModuleCache& cache = Cache();
    std::lock_guard<std::mutex> guard(cache.lock);
    CachedLocked(cache, info->dlpi_name ? info->dlpi_name : "", info->dlpi_addr);
    return 0;
}

} // namespace

bool FindLoadedModule(uintptr_t address, LoadedModule& module)
{
    Search search{address};
    if (!dl_iterate_phdr(MatchSegments, &search)) {
        return false;
    }
    ModuleCache& cache = Cache();
    std::lock_guard<std::mutex> guard(cache.lock);
    // While a fault is handled the heap may be locked: a module not read before keeps its sections
    // to itself, and is named as the loader knows it.
    const CachedModule* cached = FindCachedLocked(cache, search.name, search.loadBase);
    if (!cached && FaultInProgress()) {
        module = {search.name, search.loadBase, nullptr, 0, nullptr, 0, nullptr};
        return true;
    }
    if (!cached) {
        cached = &CachedLocked(cache, search.name, search.loadBase);
    }
    module = {cached->path.c_str(),   cached->loadBase,       cached->sections.data(), cached->sections.size(),
              cached->symbols.data(), cached->symbols.size(), cached->names.c_str()};
    return true;
}

bool FindModuleSymbol(const LoadedModule& module, uintptr_t address, const char*& name, uintptr_t& displacement)
{
    uintptr_t relative = address - module.loadBase;
    const ModuleSymbol* end = module.symbols + module.symbolCount;
    const ModuleSymbol* after =
        std::upper_bound(module.symbols, end, relative,
                         [](uintptr_t value, const ModuleSymbol& symbol) { return value < symbol.address; });
    if (after == module.symbols) {
        return false;
    }
    // The nearest function below, even when the address lies past its end: code the table does not
    // list (local functions of a library that keeps only the loader's table) is named after it, as
    // the unwinder names it.
    const ModuleSymbol& symbol = *(after - 1);
    name = module.names + symbol.name;
    displacement = relative - symbol.address;
    return true;
}

void CacheModuleSections()
{
    dl_iterate_phdr(CacheEach, nullptr);
}

} // namespace Platform
