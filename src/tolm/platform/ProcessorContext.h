// The registers of a thread where a signal stopped it: the context its SA_SIGINFO handler receives,
// kept opaque so that only the platform layer knows its layout. x86-64.
#pragma once

#include <cstdint>

namespace Platform {

enum class Register
{
    Rax,
    Rbx,
    Rcx,
    Rdx,
    Rsi,
    Rdi,
    R8,
    R9,
    R10,
    R11,
    R12,
    R13,
    R14,
    R15,
    Rip,
    Rsp,
    Rbp,
    Flags,
    // The segment selectors the kernel saves: 16 bits each.
    Cs,
    Ss,
    Fs,
    Gs,
};

class ProcessorContext
{
public:
    // The third argument of the signal handler.
    explicit ProcessorContext(void* signalContext) : native(signalContext) {}

    uintptr_t ProgramCounter() const;
    uintptr_t FramePointer() const;
    uintptr_t StackPointer() const;
    uint64_t Read(Register name) const;
    void* Native() const { return native; }

private:
    void* native;
};

} // namespace Platform
