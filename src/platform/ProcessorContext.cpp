#include "platform/ProcessorContext.h"

#include <ucontext.h>

namespace Platform {

namespace {

uintptr_t Register(void* native, int index)
{
    return uintptr_t(static_cast<ucontext_t*>(native)->uc_mcontext.gregs[index]);
}

} // namespace

uintptr_t ProcessorContext::ProgramCounter() const
{
    return Register(native, REG_RIP);
}

uintptr_t ProcessorContext::FramePointer() const
{
    return Register(native, REG_RBP);
}

uintptr_t ProcessorContext::StackPointer() const
{
    return Register(native, REG_RSP);
}

} // namespace Platform
