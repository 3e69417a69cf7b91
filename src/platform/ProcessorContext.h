// The registers of a thread where a signal stopped it: the context its SA_SIGINFO handler receives,
// kept opaque so that only the platform layer knows its layout. x86-64.
#pragma once

#include <cstdint>

namespace Platform {

class ProcessorContext
{
public:
    // The third argument of the signal handler.
    explicit ProcessorContext(void* signalContext) : native(signalContext) {}

    uintptr_t ProgramCounter() const;
    uintptr_t FramePointer() const;
    uintptr_t StackPointer() const;
    void* Native() const { return native; }

private:
    void* native;
};

} // namespace Platform
