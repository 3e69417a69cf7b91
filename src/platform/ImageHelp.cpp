#include "platform/ImageHelp.h"

#include "platform/ThreadStack.h"

#define UNW_LOCAL_ONLY
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <dlfcn.h>
#include <libunwind.h>

namespace Platform {

namespace {

// libunwind's entry points carry the architecture in their names; its header's macros give them.
#define UNWIND_SYMBOL_TEXT(name) #name
#define UNWIND_SYMBOL(name) UNWIND_SYMBOL_TEXT(name)

constexpr const char* kUnwinderLibrary = "libunwind.so.8";

static_assert(sizeof(unw_cursor_t) <= sizeof(StackFrame::walker), "the walk's state does not fit its frame record");

struct Unwinder
{
    decltype(&unw_init_local2) initLocal2 = nullptr;
    decltype(&unw_step) step = nullptr;
    decltype(&unw_get_reg) getRegister = nullptr;
    decltype(&unw_get_accessors) getAccessors = nullptr;
    unw_addr_space_t* localAddressSpace = nullptr;
};

template <typename T>
bool Resolve(void* library, const char* name, T& entry)
{
    entry = reinterpret_cast<T>(dlsym(library, name));
    return entry != nullptr;
}

Unwinder LoadUnwinder()
{
    void* library = dlopen(kUnwinderLibrary, RTLD_NOW | RTLD_LOCAL);
    Unwinder unwinder;
    if (!library || !Resolve(library, UNWIND_SYMBOL(unw_init_local2), unwinder.initLocal2) ||
        !Resolve(library, UNWIND_SYMBOL(unw_step), unwinder.step) ||
        !Resolve(library, UNWIND_SYMBOL(unw_get_reg), unwinder.getRegister) ||
        !Resolve(library, UNWIND_SYMBOL(unw_get_accessors), unwinder.getAccessors) ||
        !Resolve(library, UNWIND_SYMBOL(unw_local_addr_space), unwinder.localAddressSpace)) {
        return Unwinder();
    }
    return unwinder;
}

// Null when libunwind is not there; opened once and never closed.
const Unwinder* OpenUnwinder()
{
    static const Unwinder unwinder = LoadUnwinder();
    return unwinder.initLocal2 ? &unwinder : nullptr;
}

uintptr_t Register(const Unwinder& unwinder, unw_cursor_t* cursor, int index)
{
    unw_word_t value = 0;
    unwinder.getRegister(cursor, index, &value);
    return uintptr_t(value);
}

// Above the saved frame pointer and the return address.
void ReadParams(StackFrame& frame)
{
    if (frame.frame == 0 || !ReadStackWords(frame.frame + 2 * sizeof(uintptr_t), frame.params, 4)) {
        std::fill(std::begin(frame.params), std::end(frame.params), 0);
    }
}

bool StackWalk(StackFrame* frame, const ProcessorContext* context)
{
    const Unwinder& unwinder = *OpenUnwinder();
    auto* cursor = reinterpret_cast<unw_cursor_t*>(frame->walker);
    bool first = !frame->started;
    frame->started = true;
    int result =
        first ? unwinder.initLocal2(cursor, static_cast<unw_context_t*>(context->Native()), UNW_INIT_SIGNAL_FRAME)
              : unwinder.step(cursor);
    if (first ? result != 0 : result <= 0) {
        frame->lastError = -result;
        return false;
    }
    frame->programCounter = Register(unwinder, cursor, UNW_REG_IP);
    frame->stack = Register(unwinder, cursor, UNW_REG_SP);
    frame->frame = Register(unwinder, cursor, UNW_X86_64_RBP);
    ReadParams(*frame);
    return true;
}

bool SymGetSymFromAddr(uintptr_t address, char* name, size_t length, uintptr_t* displacement)
{
    const Unwinder& unwinder = *OpenUnwinder();
    unw_addr_space_t space = *unwinder.localAddressSpace;
    unw_accessors_t* accessors = unwinder.getAccessors(space);
    unw_word_t offset = 0;
    if (!accessors || !accessors->get_proc_name || length == 0) {
        return false;
    }
    // A name too long for the buffer comes back cut, which is what the caller asked for.
    int result = accessors->get_proc_name(space, address, name, length, &offset, nullptr);
    if (result != 0 && result != -UNW_ENOMEM) {
        return false;
    }
    name[length - 1] = '\0';
    *displacement = uintptr_t(offset);
    return true;
}

size_t UnDecorateSymbolName(const char* name, char* readable, size_t length)
{
    // Only "_Z" starts a decorated function or object name; the demangler would read a plain "f" as
    // the type float.
    if (length == 0 || std::strncmp(name, "_Z", 2) != 0) {
        return 0;
    }
    int status = 0;
    char* text = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    if (status != 0 || !text) {
        std::free(text);
        return 0;
    }
    size_t size = std::min(std::strlen(text), length - 1);
    std::memcpy(readable, text, size);
    readable[size] = '\0';
    std::free(text);
    return size;
}

} // namespace

std::vector<LibraryExport> ImageHelpExports()
{
    if (!OpenUnwinder()) {
        return {};
    }
    return {{"StackWalk", reinterpret_cast<LibraryProc>(&StackWalk)},
            {"SymGetSymFromAddr", reinterpret_cast<LibraryProc>(&SymGetSymFromAddr)},
            {"UnDecorateSymbolName", reinterpret_cast<LibraryProc>(&UnDecorateSymbolName)}};
}

void PrepareImageHelp()
{
    OpenUnwinder();
}

} // namespace Platform
