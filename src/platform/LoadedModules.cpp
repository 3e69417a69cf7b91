// dl_iterate_phdr for the loaded segments; pread of the ELF section header table for the sections.
#include "platform/LoadedModules.h"

#include "platform/FileSystem.h"

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

struct CachedModule
{
    std::string name;
    std::string path;
    uintptr_t loadBase;
    std::vector<ModuleSection> sections;
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

std::vector<ModuleSection> ReadSections(const std::string& file)
{
    int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    std::vector<Elf64_Shdr> headers = ReadSectionHeaders(fd);
    close(fd);
    std::vector<ModuleSection> sections;
    for (size_t i = 1; i < headers.size(); ++i) {
        if (headers[i].sh_flags & SHF_ALLOC) {
            sections.push_back({uint32_t(i), uintptr_t(headers[i].sh_addr), uintptr_t(headers[i].sh_size)});
        }
    }
    return sections;
}

// The system names the program itself with an empty name.
std::unique_ptr<CachedModule> ReadModule(const char* name, uintptr_t loadBase)
{
    auto module = std::make_unique<CachedModule>();
    module->name = name;
    module->loadBase = loadBase;
    module->path = *name ? std::string(name) : ProgramFile();
    module->sections = ReadSections(*name ? module->path : std::string("/proc/self/exe"));
    return module;
}

// Under the cache's lock.
const CachedModule& CachedLocked(ModuleCache& cache, const char* name, uintptr_t loadBase)
{
    for (const auto& module : cache.modules) {
        if (module->loadBase == loadBase && module->name == name) {
            return *module;
        }
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
    const CachedModule& cached = CachedLocked(cache, search.name, search.loadBase);
    module = {cached.path.c_str(), cached.loadBase, cached.sections.data(), cached.sections.size()};
    return true;
}

void CacheModuleSections()
{
    dl_iterate_phdr(CacheEach, nullptr);
}

} // namespace Platform
