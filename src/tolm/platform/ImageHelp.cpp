#include "platform/ImageHelp.h"

#include "platform/ExceptionFilter.h"
#include "platform/LoadedModules.h"
#include "platform/ThreadStack.h"

#define UNW_LOCAL_ONLY
#include <algorithm>
#include <cstring>
#include <dlfcn.h>
#include <libunwind.h>
// libiberty's header declares basename as the C library does not.
#define HAVE_DECL_BASENAME 1
#include <libiberty/demangle.h>

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

// The name from the module's symbols read before; false when the module's were not read, or
// no function of them holds the address.
bool CachedSymbol(uintptr_t address, char* name, size_t length, uintptr_t* displacement, bool& moduleRead)
{
    LoadedModule module{};
    moduleRead = FindLoadedModule(address, module) && module.symbolCount > 0;
    const char* found = nullptr;
    if (!moduleRead || !FindModuleSymbol(module, address, found, *displacement)) {
        return false;
    }
    size_t size = std::min(std::strlen(found), length - 1);
    std::memcpy(name, found, size);
    name[size] = '\0';
    return true;
}

bool SymGetSymFromAddr(uintptr_t address, char* name, size_t length, uintptr_t* displacement)
{
    if (length == 0) {
        return false;
    }
    // The names read when the module was first seen need no heap and no file; while a fault is handled
    // they are all there is, since libunwind's own lookup allocates.
    bool moduleRead = false;
    if (CachedSymbol(address, name, length, displacement, moduleRead)) {
        return true;
    }
    if (moduleRead || FaultInProgress()) {
        return false;
    }
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

// The demangler's pieces of text, gathered into the caller's buffer and cut where it ends.
struct ReadableName
{
    char* text;
    size_t room;
    size_t length;
};

void AppendPiece(const char* piece, size_t count, void* data)
{
    auto* name = static_cast<ReadableName*>(data);
    size_t taken = std::min(count, name->room - 1 - name->length);
    std::memcpy(name->text + name->length, piece, taken);
    name->length += taken;
    name->text[name->length] = '\0';
}

size_t UnDecorateSymbolName(const char* name, char* readable, size_t length)
{
    // Only "_Z" starts a decorated function or object name; the demangler would read a plain "f" as
    // the type float.
    if (length == 0 || std::strncmp(name, "_Z", 2) != 0) {
        return 0;
    }
    // The demangler that hands its text out piece by piece keeps its work on the stack: a crash may
    // name its stack with the heap's lock held.
    ReadableName out{readable, length, 0};
    readable[0] = '\0';
    if (!cplus_demangle_v3_callback(name, DMGL_PARAMS | DMGL_TYPES, AppendPiece, &out)) {
        return 0;
    }
    return out.length;
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
