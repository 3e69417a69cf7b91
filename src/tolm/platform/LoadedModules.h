// The program and the shared libraries loaded into it, as a crash report names code addresses: the
// module's file and a section-relative address that stays the same wherever the module was loaded.
// A module's sections come from the section headers of its file, which are not loaded into memory:
// CacheModuleSections reads them, and the names of the module's functions, for every module loaded so far, so that a
// crash reads no file; a module loaded later has its headers read when an address in it is first looked up, except
// while a fault is handled, when it is named without its sections.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Platform {

// An allocated section: its index in the file's section header table (1 for the first, since entry 0
// is the null section), the address it is linked at, relative to the module's load base, and its size.
struct ModuleSection
{
    uint32_t index;
    uintptr_t address;
    uintptr_t size;
};

// A function of the module: where it is linked, its length, and where its name starts in the
// module's names.
struct ModuleSymbol
{
    uintptr_t address;
    uintptr_t size;
    uint32_t name;
};

struct LoadedModule
{
    // The module's file; for the program itself, the program file.
    const char* path;
    // What the module's linked addresses were moved by when it was loaded.
    uintptr_t loadBase;
    const ModuleSection* sections;
    size_t sectionCount;
    // Read with the sections, from the file's full symbol table or else the loader's: sorted by
    // address.
    const ModuleSymbol* symbols;
    size_t symbolCount;
    const char* names;
};

// The module whose loaded segments hold the address; false when none does. What it points to stays
// valid for the life of the process.
bool FindLoadedModule(uintptr_t address, LoadedModule& module);
// The decorated name of the module's nearest function at or below the address, and how far past its
// start the address lies; false when there is none. Needs neither the heap nor a file.
bool FindModuleSymbol(const LoadedModule& module, uintptr_t address, const char*& name, uintptr_t& displacement);
void CacheModuleSections();

} // namespace Platform
