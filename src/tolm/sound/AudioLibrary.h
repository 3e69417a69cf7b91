// What the music libraries' function tables share: the library loaded by its name, each entry point
// looked up by its name, and the reference count through which users share the table. A missing required
// entry point ends the program with the library's message, as a program does whose library is too old;
// a library that does not load at all is reported to the caller, who goes on without it.
#pragma once

#include "platform/Library.h"

#include <string>

namespace Tolm {

// Shows text in a message box captioned "Error", then exits with code 0.
[[noreturn]] void FailAudioLibrary(const std::string& text);

// The library, or null after missingText went to the debug output.
Platform::Library* LoadAudioLibrary(const char* path, const char* missingText);

template <typename Proc>
void ResolveOptional(Platform::Library* library, Proc& proc, const char* name)
{
    proc = reinterpret_cast<Proc>(Platform::GetProcAddress(library, name));
}

// Fatal with missingText when the library has no such entry point.
template <typename Proc>
void ResolveRequired(Platform::Library* library, Proc& proc, const char* name, const std::string& missingText)
{
    ResolveOptional(library, proc, name);
    if (!proc) {
        FailAudioLibrary(missingText);
    }
}

// The shared table's users: the first reference creates the table (null when its library does not load),
// the last one unloads the library and deletes the table.
template <typename Table>
Table* AddTableReference(Table*& shared, Table* (*create)())
{
    if (!shared) {
        shared = create();
    }
    if (shared) {
        ++shared->referenceCount;
    }
    return shared;
}

template <typename Table>
void DropTableReference(Table*& shared)
{
    if (!shared || --shared->referenceCount > 0) {
        return;
    }
    Platform::FreeLibrary(shared->module);
    delete shared;
    shared = nullptr;
}

} // namespace Tolm
