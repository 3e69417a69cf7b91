// Libraries the program loads by name and whose entry points it looks up by name, as it would a
// shared library on Windows. Here each is an in-process table of named entry points: the platform
// installs its own at start, and tests replace or remove one to see what the program does when a
// library is missing, incomplete or too old.
#pragma once

#include <string>
#include <vector>

namespace Platform {

// An entry point of any signature; the caller casts it to the one it expects.
using LibraryProc = void (*)();

struct LibraryExport
{
    const char* name;
    LibraryProc address;
};

// A loaded library: the entry points it had when it was loaded.
class Library;

// Null when no library of that name is installed; a folder before the name is ignored.
Library* LoadLibrary(const std::string& name);
// Null when the library has no entry point of that name.
LibraryProc GetProcAddress(Library* library, const char* name);
void FreeLibrary(Library* library);
// How many loaded libraries are not freed yet, as the loader's reference counts would tell.
int LoadedLibraryCount();

// Makes a library loadable under the name, replacing one installed before; libraries loaded earlier
// keep the entry points they had.
void InstallLibrary(const std::string& name, std::vector<LibraryExport> exports);
void RemoveLibrary(const std::string& name);
// Puts back the platform's own libraries as they are at start.
void InstallDefaultLibraries();

} // namespace Platform
