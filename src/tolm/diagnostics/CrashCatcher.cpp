#include "diagnostics/CrashCatcher.h"

#include "diagnostics/CrashReportLines.h"
#include "diagnostics/MapFile.h"
#include "platform/FileSystem.h"
#include "platform/ImageHelp.h"
#include "platform/Library.h"
#include "platform/ThreadStack.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <fstream>
#include <memory>
#include <unistd.h>
#include <vector>

// Made before, and destroyed after, everything else of the program, so that a crash in another static
// object's construction or destruction finds them whole.
#define CRASH_STATE __attribute__((init_priority(101)))
std::atomic<Tolm::TolmAppBase*> CrashCatcher::application{nullptr};
bool CrashCatcher::showCrashWindow = true;
bool CrashCatcher::allowSubmit = true;
std::string CrashCatcher::submitHost CRASH_STATE;
std::string CrashCatcher::crashTitle CRASH_STATE;
std::string CrashCatcher::crashText CRASH_STATE;
std::string CrashCatcher::clipboardText CRASH_STATE;
std::string CrashCatcher::userText CRASH_STATE;
std::string CrashCatcher::attachmentPath CRASH_STATE;
bool CrashCatcher::attachFile = false;
#undef CRASH_STATE

namespace {

constexpr size_t kSymbolNameLength = 512;
constexpr size_t kReadableNameLength = 256;
// A walk longer than this has run into something that is not a stack, or down an overflowed one.
constexpr int kMaxWalkFrames = 256;
// Enough for the longest walk, every frame with a name cut to its length.
constexpr size_t kStackTextLength = kMaxWalkFrames * (kReadableNameLength + 128);

struct ImageHelp
{
    Platform::Library* library = nullptr;
    Platform::StackWalkProc stackWalk = nullptr;
    Platform::SymGetSymFromAddrProc symGetSymFromAddr = nullptr;
    Platform::UnDecorateSymbolNameProc unDecorateSymbolName = nullptr;

    bool Loaded() const { return stackWalk && symGetSymFromAddr && unDecorateSymbolName; }
};

ImageHelp imageHelp;
// Loaded by PrepareForCrash and never freed: what a crash loads, since loading by name needs the heap.
ImageHelp preparedImageHelp;

// The map file PrepareForCrash found, mapped into memory, its tables given room to be parsed without
// the heap, and the folder it was looked for in. Parsed by the crash that needs it: most programs
// never crash, and the map can take longer to parse than the rest of a start.
struct PreparedMap
{
    char folder[PATH_MAX] = {};
    std::string name;
    std::unique_ptr<Platform::MappedFile> text;
    MapFile map;
    bool parsed = false;
};

// Never destroyed, so that a crash in a static destructor still finds it; one prepared again takes
// its place whole, and the one before is kept, since a crash on another thread may be reading it.
std::atomic<PreparedMap*> preparedMap{nullptr};

std::vector<PreparedMap*>& RetiredMaps()
{
    static auto* retired = new std::vector<PreparedMap*>();
    return *retired;
}

template <typename T>
bool Resolve(ImageHelp& help, const char* name, T& entry)
{
    entry = reinterpret_cast<T>(Platform::GetProcAddress(help.library, name));
    return entry != nullptr;
}

// In the order the entry points are needed; the first one missing ends the search.
bool LoadByName(ImageHelp& help)
{
    help.library = Platform::LoadLibrary(Platform::kImageHelpLibraryName);
    return help.library && Resolve(help, "StackWalk", help.stackWalk) &&
           Resolve(help, "SymGetSymFromAddr", help.symGetSymFromAddr) &&
           Resolve(help, "UnDecorateSymbolName", help.unDecorateSymbolName);
}

void AppendStackWalkFailed(SignalSafeText& text, const Platform::StackFrame& frame)
{
    text.Append("StackWalk failed (error ");
    text.AppendDecimal(frame.lastError);
    text.Append(")\r\n");
}

void AppendAddress(SignalSafeText& text, uintptr_t value)
{
    text.AppendHex(value, 8);
}

// "section:offset module" and the line's end, as both stack dumps name an address without a symbol.
void AppendLogicalAddressLine(SignalSafeText& text, uintptr_t address)
{
    LogicalAddress where(address);
    text.AppendHex(where.section, 4);
    text.Append(":");
    text.AppendHex(where.offset, 8);
    text.Append(" ");
    text.Append(where.module);
    text.Append("\r\n");
}

void AppendNamedFrameLine(SignalSafeText& text, const Platform::StackFrame& frame)
{
    AppendAddress(text, frame.frame);
    text.Append(" ");
    AppendAddress(text, frame.programCounter);
    text.Append(" ");
    char name[kSymbolNameLength];
    uintptr_t displacement = 0;
    if (imageHelp.symGetSymFromAddr(frame.programCounter, name, sizeof name, &displacement)) {
        char readable[kReadableNameLength];
        text.Append(imageHelp.unDecorateSymbolName(name, readable, sizeof readable) ? readable : name);
        text.Append("+");
        text.AppendHex(displacement, 1);
        text.Append("\r\n");
        return;
    }
    AppendLogicalAddressLine(text, frame.programCounter);
}

// The file's name after its last folder separator.
const char* FileNameOf(const char* path)
{
    const char* name = path;
    for (const char* c = path; *c; ++c) {
        if (*c == '/' || *c == '\\') {
            name = c + 1;
        }
    }
    return name;
}

// The first map file of the current folder, in name order; empty when there is none.
std::string FindMapFile()
{
    Platform::FindData found;
    return Platform::DirectorySearch::First("*.map", found) ? found.fileName : std::string();
}

// False when no map file is found or it cannot be read.
bool ReadMapFile(MapFile& map)
{
    std::string name = FindMapFile();
    std::ifstream input(name, std::ios::binary);
    if (name.empty() || !input) {
        return false;
    }
    map.Read(input);
    return true;
}

// The map prepared before the crash, when it was looked for where the report goes; parsed now, once.
const MapFile* PreparedMapHere()
{
    PreparedMap* prepared = preparedMap;
    char folder[PATH_MAX];
    if (!prepared || !prepared->text || !getcwd(folder, sizeof folder) || std::strcmp(folder, prepared->folder) != 0) {
        return nullptr;
    }
    if (!prepared->parsed) {
        const Platform::MappedFile& text = *prepared->text;
        prepared->map.Parse(std::string_view(reinterpret_cast<const char*>(text.Data()), text.Size()));
        prepared->parsed = true;
    }
    return &prepared->map;
}

// Maps the first map file of the current folder and makes room for its tables.
void PrepareMapFile()
{
    std::string name = FindMapFile();
    char folder[PATH_MAX];
    PreparedMap* current = preparedMap;
    // An application started again in the same folder finds the map it had.
    if (current && getcwd(folder, sizeof folder) && std::strcmp(folder, current->folder) == 0 &&
        name == current->name) {
        return;
    }
    auto* prepared = new PreparedMap();
    prepared->name = name;
    // Without its folder the map could not be told from another folder's.
    if (getcwd(prepared->folder, sizeof prepared->folder) && !name.empty()) {
        prepared->text = Platform::MappedFile::Open(name);
    }
    if (prepared->text) {
        prepared->map.Reserve(size_t(prepared->text->Size()));
    }
    if (PreparedMap* before = preparedMap.exchange(prepared)) {
        RetiredMaps().push_back(before);
    }
}

} // namespace

LogicalAddress::LogicalAddress(uintptr_t address)
{
    char path[sizeof module] = {};
    module[0] = '\0';
    if (!CrashCatcher::GetLogicalAddress(reinterpret_cast<const void*>(address), path, sizeof path, section, offset)) {
        section = 0;
        offset = 0;
        return;
    }
    const char* name = FileNameOf(path);
    std::memmove(module, name, std::strlen(name) + 1);
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
    if (Platform::FaultInProgress() && preparedImageHelp.Loaded()) {
        imageHelp = preparedImageHelp;
        return true;
    }
    return LoadByName(imageHelp);
}

void CrashCatcher::FreeImageHelp()
{
    if (imageHelp.library != preparedImageHelp.library) {
        Platform::FreeLibrary(imageHelp.library);
    }
    imageHelp = ImageHelp();
}

void CrashCatcher::PrepareForCrash()
{
    Platform::CacheModuleSections();
    Platform::RememberThreadStack();
    if (!preparedImageHelp.Loaded()) {
        Platform::FreeLibrary(preparedImageHelp.library);
        preparedImageHelp = ImageHelp();
        LoadByName(preparedImageHelp);
    }
    PrepareMapFile();
}

std::string CrashCatcher::StackWalkDump(const Platform::ProcessorContext& context, int skip)
{
    auto text = std::make_unique<FixedText<kStackTextLength>>();
    StackWalkDump(context, skip, *text);
    return std::string(text->Data(), text->Length());
}

void CrashCatcher::StackWalkDump(const Platform::ProcessorContext& context, int skip, SignalSafeText& text)
{
    if (!imageHelp.Loaded()) {
        return;
    }
    Platform::StackFrame frame{};
    if (!imageHelp.stackWalk(&frame, &context)) {
        AppendStackWalkFailed(text, frame);
        return;
    }
    // The frame pointer of a function built without one (much of the C library) may be anything, 0
    // included; the walk ends where the unwinder finds no more stack.
    for (int depth = 0; depth < kMaxWalkFrames && frame.stack != 0 && frame.programCounter != 0; ++depth) {
        if (skip > 0) {
            --skip;
        } else {
            AppendNamedFrameLine(text, frame);
            text.Append("Params:");
            for (uintptr_t param : frame.params) {
                text.Append(" ");
                AppendAddress(text, param);
            }
            text.Append("\r\n\r\n");
        }
        if (!imageHelp.stackWalk(&frame, &context)) {
            AppendStackWalkFailed(text, frame);
            break;
        }
    }
}

std::string CrashCatcher::FrameChainDump(const Platform::ProcessorContext& context)
{
    auto text = std::make_unique<FixedText<kStackTextLength>>();
    FrameChainDump(context, *text);
    return std::string(text->Data(), text->Length());
}

void CrashCatcher::FrameChainDump(const Platform::ProcessorContext& context, SignalSafeText& text)
{
    FrameChain chain(context);
    uintptr_t pc = 0;
    uintptr_t frame = 0;
    while (chain.Next(pc, frame)) {
        AppendAddress(text, pc);
        text.Append("  ");
        AppendAddress(text, frame);
        text.Append("  ");
        AppendLogicalAddressLine(text, pc);
    }
}

void CrashCatcher::MergeMapFileSymbols(std::string& report)
{
    MapFile map;
    if (ReadMapFile(map)) {
        map.Merge(report, imageHelp.unDecorateSymbolName);
    }
}

void CrashCatcher::MergeMapFileSymbols(SignalSafeText& report)
{
    if (const MapFile* prepared = Platform::FaultInProgress() ? PreparedMapHere() : nullptr) {
        prepared->Merge(report, imageHelp.unDecorateSymbolName);
        return;
    }
    MapFile map;
    if (ReadMapFile(map)) {
        map.Merge(report, imageHelp.unDecorateSymbolName);
    }
}
