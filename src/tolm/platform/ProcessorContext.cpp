#include "platform/ProcessorContext.h"

#include <ucontext.h>

namespace Platform {

namespace {

uintptr_t Slot(void* native, int index)
{
    return uintptr_t(static_cast<ucontext_t*>(native)->uc_mcontext.gregs[index]);
}

constexpr int kGeneralRegisters[] = {REG_RAX, REG_RBX, REG_RCX, REG_RDX, REG_RSI, REG_RDI, REG_R8,  REG_R9,  REG_R10,
                                     REG_R11, REG_R12, REG_R13, REG_R14, REG_R15, REG_RIP, REG_RSP, REG_RBP, REG_EFL};

// The kernel packs the selectors into one word: CS, GS, FS, then SS.
int SelectorShift(Register name)
{
    switch (name) {
    case Register::Cs:
        return 0;
    case Register::Gs:
        return 16;
    case Register::Fs:
        return 32;
    default:
        return 48;
    }
}

} // namespace

uint64_t ProcessorContext::Read(Register name) const
{
    if (name < Register::Cs) {
        return Slot(native, kGeneralRegisters[int(name)]);
    }
    return (Slot(native, REG_CSGSFS) >> SelectorShift(name)) & 0xFFFF;
}

uintptr_t ProcessorContext::ProgramCounter() const
{
    return Slot(native, REG_RIP);
}

uintptr_t ProcessorContext::FramePointer() const
{
    return Slot(native, REG_RBP);
}

uintptr_t ProcessorContext::StackPointer() const
{
    return Slot(native, REG_RSP);
}

} // namespace Platform
