#include "diagnostics/CrashCatcher.h"

#include "core/PathUtils.h"
#include "core/StringUtils.h"
#include "diagnostics/CrashReportLines.h"
#include "diagnostics/MapFile.h"
#include "platform/FileSystem.h"
#include "platform/ImageHelp.h"
#include "platform/Library.h"

#include <algorithm>
#include <cstring>
#include <fstream>

// Made before, and destroyed after, everything else of the program, so that a crash in another static
// object's construction or destruction finds them whole.
#define CRASH_STATE __attribute__((init_priority(101)))
std::atomic<Tolm::TolmAppBase*> CrashCatcher::application{nullptr};
bool CrashCatcher::showCrashWindow = true;
bool CrashCatcher::allowSubmit = true;
std::string CrashCatcher::submitHost CRASH_STATE;
std::string CrashCatcher::crashTitle CRASH_STATE;
std::string CrashCatcher::crashText CRASH_STATE;
std::string CrashCatcher::userText CRASH_STATE;
std::string CrashCatcher::attachmentPath CRASH_STATE;
bool CrashCatcher::attachFile = false;
#undef CRASH_STATE

namespace {

// As the exception's module is looked up; a longer path is cut.
constexpr size_t kModuleNameLength = 2048;
constexpr size_t kSymbolNameLength = 512;
constexpr size_t kReadableNameLength = 256;
// A walk longer than this has run into something that is not a stack, or down an overflowed one.
constexpr int kMaxWalkFrames = 256;

struct ImageHelp
{
    Platform::Library* library = nullptr;
    Platform::StackWalkProc stackWalk = nullptr;
    Platform::SymGetSymFromAddrProc symGetSymFromAddr = nullptr;
    Platform::UnDecorateSymbolNameProc unDecorateSymbolName = nullptr;

    bool Loaded() const { return stackWalk && symGetSymFromAddr && unDecorateSymbolName; }
} imageHelp;

template <typename T>
bool Resolve(const char* name, T& entry)
{
    entry = reinterpret_cast<T>(Platform::GetProcAddress(imageHelp.library, name));
    return entry != nullptr;
}

unsigned long long Hex(uintptr_t value)
{
    return value;
}

std::string StackWalkFailed(const Platform::StackFrame& frame)
{
    return Tolm::FormatString("StackWalk failed (error %d)\r\n", frame.lastError);
}

std::string NamedFrameLine(const Platform::StackFrame& frame)
{
    char name[kSymbolNameLength];
    uintptr_t displacement = 0;
    if (imageHelp.symGetSymFromAddr(frame.programCounter, name, sizeof name, &displacement)) {
        char readable[kReadableNameLength];
        const char* shown = imageHelp.unDecorateSymbolName(name, readable, sizeof readable) ? readable : name;
        return Tolm::FormatString("%08llX %08llX %s+%llX\r\n", Hex(frame.frame), Hex(frame.programCounter), shown,
                                  Hex(displacement));
    }
    LogicalAddress where(frame.programCounter);
    return Tolm::FormatString("%08llX %08llX %04X:%08llX %s\r\n", Hex(frame.frame), Hex(frame.programCounter),
                              where.section, Hex(where.offset), where.module.c_str());
}

} // namespace

LogicalAddress::LogicalAddress(uintptr_t address)
{
    char name[kModuleNameLength] = {};
    if (CrashCatcher::GetLogicalAddress(reinterpret_cast<const void*>(address), name, sizeof name, section, offset)) {
        module = Tolm::StripDirectory(name);
    } else {
        section = 0;
        offset = 0;
    }
}

bool FindSectionOffset(const Platform::ModuleSection* sections, size_t count, uintptr_t relativeAddress,
                       uint32_t& section, uintptr_t& offset)
{
    for (size_t i = 0; i < count; ++i) {
        if (relativeAddress >= sections[i].address && relativeAddress - sections[i].address <= sections[i].size) {
            section = sections[i].index;
            offset = relativeAddress - sections[i].address;
            return true;
        }
    }
    return false;
}

bool CrashCatcher::GetLogicalAddress(const void* address, char* moduleName, size_t length, uint32_t& section,
                                     uintptr_t& offset)
{
    Platform::LoadedModule module;
    if (length == 0 || !Platform::FindLoadedModule(reinterpret_cast<uintptr_t>(address), module)) {
        return false;
    }
    size_t size = std::min(std::strlen(module.path), length - 1);
    std::memcpy(moduleName, module.path, size);
    moduleName[size] = '\0';
    return FindSectionOffset(module.sections, module.sectionCount,
                             reinterpret_cast<uintptr_t>(address) - module.loadBase, section, offset);
}

bool CrashCatcher::LoadImageHelp()
{
    FreeImageHelp();
    imageHelp.library = Platform::LoadLibrary(Platform::kImageHelpLibraryName);
    // In the order the entry points are needed; the first one missing ends the search.
    return imageHelp.library && Resolve("StackWalk", imageHelp.stackWalk) &&
           Resolve("SymGetSymFromAddr", imageHelp.symGetSymFromAddr) &&
           Resolve("UnDecorateSymbolName", imageHelp.unDecorateSymbolName);
}

void CrashCatcher::FreeImageHelp()
{
    Platform::FreeLibrary(imageHelp.library);
    imageHelp = ImageHelp();
}

std::string CrashCatcher::StackWalkDump(const Platform::ProcessorContext& context, int skip)
{
    if (!imageHelp.Loaded()) {
        return std::string();
    }
    Platform::StackFrame frame{};
    if (!imageHelp.stackWalk(&frame, &context)) {
        return StackWalkFailed(frame);
    }
    std::string text;
    // The frame pointer of a function built without one (much of the C library) may be anything, 0
    // included; the walk ends where the unwinder finds no more stack.
    for (int depth = 0; depth < kMaxWalkFrames && frame.stack != 0 && frame.programCounter != 0; ++depth) {
        if (skip > 0) {
            --skip;
        } else {
            text += NamedFrameLine(frame);
            text += Tolm::FormatString("Params: %08llX %08llX %08llX %08llX\r\n\r\n", Hex(frame.params[0]),
                                       Hex(frame.params[1]), Hex(frame.params[2]), Hex(frame.params[3]));
        }
        if (!imageHelp.stackWalk(&frame, &context)) {
            text += StackWalkFailed(frame);
            break;
        }
    }
    return text;
}

std::string CrashCatcher::FrameChainDump(const Platform::ProcessorContext& context)
{
    FrameChain chain(context);
    uintptr_t pc = 0;
    uintptr_t frame = 0;
    std::string text;
    while (chain.Next(pc, frame)) {
        LogicalAddress where(pc);
        text += Tolm::FormatString("%08llX  %08llX  %04X:%08llX %s\r\n", Hex(pc), Hex(frame), where.section,
                                   Hex(where.offset), where.module.c_str());
    }
    return text;
}

void CrashCatcher::MergeMapFileSymbols(std::string& report)
{
    Platform::FindData found;
    if (!Platform::DirectorySearch::First("*.map", found)) {
        return;
    }
    std::ifstream input(found.fileName, std::ios::binary);
    if (!input) {
        return;
    }
    MapFile map;
    map.Read(input);
    map.Merge(report, imageHelp.unDecorateSymbolName);
}
