// Where the calling thread's stack lies, so that a walk along saved frame pointers reads only memory
// that belongs to it: a garbage pointer then ends the walk instead of faulting inside the crash
// report. Finding the main thread's stack reads /proc, which a crash must not do, so each thread's
// bounds are worked out once, best before anything can go wrong (RememberThreadStack).
#pragma once

#include <cstddef>
#include <cstdint>

namespace Platform {

struct StackBounds
{
    uintptr_t low = 0;
    uintptr_t high = 0;

    // Whether the size bytes from address lie wholly inside.
    bool Contains(uintptr_t address, size_t size) const
    {
        return address >= low && address <= high && high - address >= size;
    }
};

// Copies count words from the calling thread's stack; false, copying nothing, unless they all lie on
// it. The words may belong to any frame, including ones a sanitizer keeps poisoned.
bool ReadStackWords(uintptr_t address, uintptr_t* words, size_t count);

// The calling thread's stack; empty bounds when the system does not say.
StackBounds CurrentThreadStack();
// Works the calling thread's bounds out now, so that a later crash on it finds them ready.
void RememberThreadStack();

} // namespace Platform
