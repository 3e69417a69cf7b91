// The crash report's two stack walks on this test program's own stack. Three functions call each
// other and the innermost traps; the walks run in the trap's handler, from the context it received, as
// they do in a crash. The names come from the program's symbols, or from its map file, which the build
// writes beside it.
#include "core/StringUtils.h"
#include "diagnostics/CrashCatcher.h"
#include "diagnostics/CrashReportLines.h"
#include "platform/FileSystem.h"
#include "platform/ImageHelp.h"
#include "platform/Library.h"
#include "support/WorkingFolder.h"

#include <algorithm>
#include <csetjmp>
#include <csignal>
#include <cstring>
#include <functional>
#include <gmock/gmock.h>
#include <memory>
#include <regex>
#include <ucontext.h>

using testing::HasSubstr;
using testing::MatchesRegex;

namespace {

volatile bool trapInside = true;
std::function<void(const Platform::ProcessorContext&)> inspectStack;
sigjmp_buf afterTrap;

void OnTrap(int, siginfo_t*, void* context)
{
    inspectStack(Platform::ProcessorContext(context));
    siglongjmp(afterTrap, 1);
}

// Never inlined, and each call is followed by code of its caller, so that every return address lies
// inside the function that made the call. The innermost one calls out before it traps, as code that
// crashes has usually done: a function that calls nothing may trap before it has set up its frame,
// and a walk along the frame pointers then passes over its caller.
__attribute__((noinline)) void Pause()
{
    asm volatile("");
}

__attribute__((noinline)) void WalkInnermost()
{
    Pause();
    if (trapInside) {
        __builtin_trap();
    }
    asm volatile("");
}

__attribute__((noinline)) void WalkMiddle()
{
    WalkInnermost();
    asm volatile("");
}

__attribute__((noinline)) void WalkOutermost()
{
    WalkMiddle();
    asm volatile("");
}

// Runs the inspection in the innermost function's trap handler.
void InspectThreeDeepStack(std::function<void(const Platform::ProcessorContext&)> inspect)
{
    struct sigaction action = {};
    struct sigaction previous = {};
    action.sa_sigaction = OnTrap;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    sigaction(SIGILL, &action, &previous);
    inspectStack = std::move(inspect);
    if (sigsetjmp(afterTrap, 1) == 0) {
        WalkOutermost();
    }
    sigaction(SIGILL, &previous, nullptr);
    inspectStack = nullptr;
}

// The walk as the crash path takes it in its handler: into a buffer of static storage, since a handler
// may not use the heap; handed back once the handler is done.
FixedText<1 << 18> walked;

std::string WalkThreeDeepStack(std::function<void(const Platform::ProcessorContext&, SignalSafeText&)> walk)
{
    walked.Clear();
    InspectThreeDeepStack([&walk](const Platform::ProcessorContext& context) { walk(context, walked); });
    return std::string(walked.Data(), walked.Length());
}

// The three functions as the stack names them, in its order; at most the first three names.
std::vector<std::string> NamedLevels(const std::string& text)
{
    static const std::regex level("Walk(Innermost|Middle|Outermost)");
    std::vector<std::string> names;
    for (auto match = std::sregex_iterator(text.begin(), text.end(), level);
         match != std::sregex_iterator() && names.size() < 3; ++match) {
        names.push_back(match->str());
    }
    return names;
}

const std::vector<std::string> kThreeDeep = {"WalkInnermost", "WalkMiddle", "WalkOutermost"};

class StackWalkTest : public testing::Test
{
protected:
    StackWalkTest()
    {
        std::vector<uint8_t> map;
        EXPECT_TRUE(Platform::ReadWholeFile(Platform::ProgramFile() + ".map", map)) << "the build writes it";
        folder.Write("test_diagnostics.map", std::string(map.begin(), map.end()));
    }
    ~StackWalkTest() override
    {
        CrashCatcher::FreeImageHelp();
        Platform::InstallDefaultLibraries();
    }

    WorkingFolder folder;
};

// The image-help library as it is, except that it finds no symbol: its walk then names each frame by
// module and section:offset.
bool FindNoSymbol(uintptr_t, char*, size_t, uintptr_t*)
{
    return false;
}

} // namespace

TEST_F(StackWalkTest, SymbolizedWalkNamesEachFrameFromTheProgramsSymbols)
{
    ASSERT_TRUE(CrashCatcher::LoadImageHelp());
    std::string stack = WalkThreeDeepStack([](const Platform::ProcessorContext& context, SignalSafeText& text) {
        CrashCatcher::StackWalkDump(context, 0, text);
    });
    EXPECT_EQ(NamedLevels(stack), kThreeDeep) << stack;
    // Frame, program counter, name and distance; then the frame's parameter words and a blank line.
    EXPECT_THAT(
        stack,
        MatchesRegex("[0-9A-F]{8,16} [0-9A-F]{8,16} \\(anonymous namespace\\)::WalkInnermost\\(\\)"
                     "( \\[clone \\.cold\\])?\\+[0-9A-F]+\r\nParams:( [0-9A-F]{8,16}){4}\r\n\r\n[0-9A-F]{8,16} .*"));
}

TEST_F(StackWalkTest, SkippedFramesAreLeftOut)
{
    ASSERT_TRUE(CrashCatcher::LoadImageHelp());
    std::string stack = WalkThreeDeepStack([](const Platform::ProcessorContext& context, SignalSafeText& text) {
        CrashCatcher::StackWalkDump(context, 1, text);
    });
    EXPECT_THAT(stack, testing::Not(HasSubstr("WalkInnermost")));
    EXPECT_THAT(stack, MatchesRegex("[0-9A-F]{8,16} [0-9A-F]{8,16} \\(anonymous namespace\\)::WalkMiddle\\(\\).*"));
}

TEST_F(StackWalkTest, SymbolizedWalkWithoutSymbolsIsNamedThroughTheMapFile)
{
    std::vector<Platform::LibraryExport> exports = Platform::ImageHelpExports();
    for (Platform::LibraryExport& entry : exports) {
        if (std::strcmp(entry.name, "SymGetSymFromAddr") == 0) {
            entry.address = reinterpret_cast<Platform::LibraryProc>(&FindNoSymbol);
        }
    }
    Platform::InstallLibrary(Platform::kImageHelpLibraryName, exports);
    ASSERT_TRUE(CrashCatcher::LoadImageHelp());
    std::string stack = WalkThreeDeepStack([](const Platform::ProcessorContext& context, SignalSafeText& text) {
        CrashCatcher::StackWalkDump(context, 0, text);
    });
    EXPECT_THAT(stack, MatchesRegex("[0-9A-F]{8,16} [0-9A-F]{8,16} [0-9A-F]{4}:[0-9A-F]{8} test_diagnostics\r\n.*"));
    EXPECT_TRUE(NamedLevels(stack).empty());
    CrashCatcher::MergeMapFileSymbols(stack);
    EXPECT_EQ(NamedLevels(stack), kThreeDeep) << stack;
    EXPECT_THAT(
        stack,
        MatchesRegex(
            "[0-9A-F]{8,16} [0-9A-F]{8,16} \\(anonymous namespace\\)::WalkInnermost\\(\\)"
            "( \\[clone \\.cold\\])?(\\+0x[0-9A-F]+)?\r\n    /.*/tests/diagnostics/StackWalkTest\\.cpp line [0-9]+ "
            "\\+0x[0-9A-F]+ test_diagnostics\r\n.*"));
}

TEST_F(StackWalkTest, FrameChainWalkIsNamedThroughTheMapFile)
{
    std::string stack = WalkThreeDeepStack([](const Platform::ProcessorContext& context, SignalSafeText& text) {
        CrashCatcher::FrameChainDump(context, text);
    });
    // Program counter first, two blanks after each number.
    EXPECT_THAT(stack, MatchesRegex("[0-9A-F]{8,16}  [0-9A-F]{8,16}  [0-9A-F]{4}:[0-9A-F]{8} test_diagnostics\r\n"
                                    "[0-9A-F]{8,16}  [0-9A-F]{8,16}  [0-9A-F]{4}:[0-9A-F]{8} test_diagnostics\r\n"
                                    "[0-9A-F]{8,16}  [0-9A-F]{8,16}  [0-9A-F]{4}:[0-9A-F]{8} test_diagnostics\r\n.*"));
    CrashCatcher::MergeMapFileSymbols(stack);
    EXPECT_EQ(NamedLevels(stack), kThreeDeep) << stack;
    EXPECT_THAT(stack, HasSubstr("StackWalkTest.cpp line "));
}

namespace {

// A context that stopped at pc with the frame pointer frame.
std::string ChainFrom(uintptr_t pc, uintptr_t frame)
{
    ucontext_t context{};
    context.uc_mcontext.gregs[REG_RIP] = greg_t(pc);
    context.uc_mcontext.gregs[REG_RBP] = greg_t(frame);
    return CrashCatcher::FrameChainDump(Platform::ProcessorContext(&context));
}

size_t LineCount(const std::string& text)
{
    return size_t(std::count(text.begin(), text.end(), '\n'));
}

enum class LastLink
{
    Below,
    Itself,
    Misaligned,
    OffTheStack,
    None
};

// A chain of frame records, each holding its caller's frame pointer and a return address (0x1000 for
// the first, then counting up), walked from the first; the last record's link is as asked. The
// records must lie on this thread's own stack, where a sanitizer would not leave them, so it is kept
// out of this function.
__attribute__((no_sanitize("address"), noinline)) std::string WalkChain(int frames, LastLink last)
{
    alignas(16) uintptr_t records[2 * 300] = {};
    auto at = [&records](int i) { return reinterpret_cast<uintptr_t>(&records[2 * i]); };
    for (int i = 0; i + 1 < frames; ++i) {
        records[2 * i] = at(i + 1);
        records[2 * i + 1] = 0x1000 + uintptr_t(i);
    }
    auto heap = std::make_unique<uintptr_t[]>(4);
    uintptr_t links[] = {at(0), at(frames - 1), at(frames) + 4, reinterpret_cast<uintptr_t>(heap.get()), 0};
    records[2 * (frames - 1)] = links[int(last)];
    return ChainFrom(0x10, at(0));
}

} // namespace

TEST(FrameChainDump, AnUnreadableFirstFramePointerGivesOneLine)
{
    EXPECT_EQ(ChainFrom(0x10, 0x20), "00000010  00000020  0000:00000000 \r\n");
}

TEST(FrameChainDump, TheChainEndsWhereItStopsRisingOrLeavesTheStack)
{
    struct Case
    {
        const char* name;
        LastLink last;
    } cases[] = {
        {"a caller below the frame", LastLink::Below},
        {"a caller at the frame itself", LastLink::Itself},
        {"a misaligned caller", LastLink::Misaligned},
        {"a caller off the stack", LastLink::OffTheStack},
        {"no caller", LastLink::None},
    };
    for (const Case& c : cases) {
        std::string chain = WalkChain(4, c.last);
        EXPECT_EQ(LineCount(chain), 4u) << c.name;
        EXPECT_THAT(chain, MatchesRegex("00000010  [0-9A-F]{8,16}  0000:00000000 \r\n"
                                        "00001000  [0-9A-F]{8,16}  0000:00000000 \r\n.*"))
            << c.name;
    }
}

TEST(FrameChainDump, AChainThatKeepsRisingEndsAfter256Frames)
{
    EXPECT_EQ(LineCount(WalkChain(300, LastLink::None)), 256u);
}
