// The image-help library: walking a thread's stack from the context a signal stopped it at, naming
// code addresses by the symbols of their modules, and turning decorated (mangled) names into readable
// ones. The crash report loads it by name only when a crash happens and looks its entry points up by
// name; without it the report walks the saved frame pointers and names nothing.
//
// It rests on libunwind, opened by name and kept to itself: linked in, its copy of the C++ exception
// unwinder would take the place of the compiler's for the whole program. Names come from the
// modules' ELF symbol tables, read by libunwind, and from libiberty's demangler, which needs no heap.
#pragma once

#include "platform/Library.h"
#include "platform/ProcessorContext.h"

#include <cstddef>
#include <cstdint>

namespace Platform {

constexpr const char* kImageHelpLibraryName = "IMAGEHLP.DLL";

// One frame of a walk and the walk's own state. Zero-filled before the first StackWalk.
struct StackFrame
{
    uintptr_t programCounter;
    // The frame pointer of the frame's function.
    uintptr_t frame;
    uintptr_t stack;
    // The four words the caller left above the return address; 0 where they are not on the stack.
    uintptr_t params[4];
    // Why the last StackWalk failed: 0 when the stack ends there, otherwise the unwinder's error.
    int lastError;
    bool started;
    alignas(16) unsigned char walker[1024];
};

// "StackWalk": the first call takes the frame the context stopped in; each later call the frame it
// returns to. False when there is none, with the reason in lastError.
using StackWalkProc = bool (*)(StackFrame* frame, const ProcessorContext* context);
// "SymGetSymFromAddr": the decorated name of the function that holds the address, cut to length - 1
// characters, and the address's distance from its start. False when no symbol holds it.
using SymGetSymFromAddrProc = bool (*)(uintptr_t address, char* name, size_t length, uintptr_t* displacement);
// "UnDecorateSymbolName": the readable form of a decorated name, cut to length - 1 characters. Returns
// its length; 0 when the name is not decorated or cannot be read.
using UnDecorateSymbolNameProc = size_t (*)(const char* name, char* readable, size_t length);

// The entry points as the library table installs them; none when libunwind cannot be opened.
std::vector<LibraryExport> ImageHelpExports();
// Opens libunwind now, so that a crash need not.
void PrepareImageHelp();

} // namespace Platform
