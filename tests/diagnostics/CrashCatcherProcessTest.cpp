// Whole crashes: a victim program crashes in each way a game can, in a folder of its own, with the
// crash window off, and must die by its signal with a complete report in "crash.txt" (or on stderr
// when the file cannot be written). The expected exception names and codes are the system's own;
// the function names are those of the victim's source.
#include "support/TempFolder.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <regex>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

using testing::HasSubstr;
using testing::Not;

namespace {

const std::string kVictim = CRASH_VICTIM;
// The first line of every report.
const std::regex kExceptionLine(
    "^(Exception: [A-Za-z ]+ |Unknown exception: )\\(code 0x[0-9a-f]+\\) at address [0-9A-F]{8,} in thread "
    "([0-9A-F]+)\r\n");

struct Outcome
{
    // The signal the victim died by; 0 when it ended otherwise or did not end in time.
    int signal = 0;
    pid_t process = 0;
    std::string report;
    std::string errorOutput;
};

// Empty for anything but a file.
std::string ReadFile(const std::string& path)
{
    if (!std::filesystem::is_regular_file(path)) {
        return std::string();
    }
    std::ifstream input(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>());
}

#if defined(QUENDARA_SANITIZED)
constexpr bool kCatcherAside = true;
#else
constexpr bool kCatcherAside = false;
#endif

class CrashCatcherProcess : public testing::Test
{
protected:
    void SetUp() override
    {
        if (kCatcherAside) {
            GTEST_SKIP() << "the crash catcher stands aside for the sanitizers";
        }
        std::ifstream map(kVictim + ".map", std::ios::binary);
        std::ofstream(folder.Path() + "crash_victim.map", std::ios::binary) << map.rdbuf();
    }

    // Runs the victim in the folder and waits up to 10 seconds for it to end.
    Outcome Run(std::vector<std::string> arguments)
    {
        std::string errorPath = folder.Path() + "stderr.txt";
        // Each run's own report, or none.
        if (std::filesystem::is_regular_file(folder.Path() + "crash.txt")) {
            std::filesystem::remove(folder.Path() + "crash.txt");
        }
        arguments.insert(arguments.begin(), kVictim);
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, folder.Path().c_str());
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        pid_t child = 0;
        int started = posix_spawn(&child, kVictim.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        Outcome outcome;
        if (started != 0) {
            ADD_FAILURE() << "cannot start " << kVictim;
            return outcome;
        }
        int status = 0;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (waitpid(child, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(child, SIGKILL);
                waitpid(child, &status, 0);
                ADD_FAILURE() << "the victim did not end within 10 seconds";
                return outcome;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        outcome.process = child;
        outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        outcome.report = ReadFile(folder.Path() + "crash.txt");
        outcome.errorOutput = ReadFile(errorPath);
        return outcome;
    }

    TempFolder folder;
};

struct Crash
{
    const char* way;
    std::vector<std::string> options;
    int signal;
    // The start of the exception line, the report's module and a function of the victim on its stack.
    const char* exception;
    const char* module;
    const char* function;
};

void ExpectCompleteReport(const std::string& report, const Crash& crash)
{
    std::smatch line;
    ASSERT_TRUE(std::regex_search(report, line, kExceptionLine)) << report;
    EXPECT_EQ(report.rfind(crash.exception, 0), 0u) << report;
    EXPECT_THAT(report, HasSubstr(std::string("\r\nModule: ") + crash.module + "\r\nLogical Address: "));
    EXPECT_THAT(report, HasSubstr(crash.function));
    EXPECT_THAT(report, HasSubstr("\r\nRAX:"));
    EXPECT_THAT(report, HasSubstr("\r\nRIP:"));
    EXPECT_THAT(report, HasSubstr("\r\nKernel Ver: "));
    // Each line break stored once, and one more at the end.
    EXPECT_EQ(report.find("\r\r"), std::string::npos);
    EXPECT_EQ(report.substr(report.size() - 4), "\r\n\r\n");
}

} // namespace

TEST_F(CrashCatcherProcess, EveryWayOfCrashingEndsByItsSignalWithAWholeReport)
{
    const Crash crashes[] = {
        {"null-write", {}, SIGSEGV, "Exception: Access Violation (code 0xc0000005)", "crash_victim", "WriteToNull"},
        {"divide", {}, SIGFPE, "Exception: Integer Divide by Zero (code 0xc0000094)", "crash_victim", "DivideByZero"},
        {"abort", {}, SIGABRT, "Unknown exception: (code 0x40000015)", "libc.so.6", "main"},
        {"exception", {}, SIGABRT, "Unknown exception: (code 0xe06d7363)", "crash_victim", "ThrowUncaught"},
        {"stack-overflow", {}, SIGSEGV, "Exception: Stack Overflow (code 0xc00000fd)", "crash_victim", "Recurse"},
        {"illegal",
         {},
         SIGILL,
         "Exception: Illegal Instruction (code 0xc000001d)",
         "crash_victim",
         "ExecuteIllegalInstruction"},
        {"thread", {}, SIGSEGV, "Exception: Access Violation (code 0xc0000005)", "crash_victim", "WriteToNull"},
        {"thread", {"--app"}, SIGSEGV, "Exception: Access Violation (code 0xc0000005)", "crash_victim", "WriteToNull"},
        {"after-app", {}, SIGSEGV, "Exception: Access Violation (code 0xc0000005)", "crash_victim", "~FaultAtExit"},
        {"program-info", {}, SIGSEGV, "Exception: Access Violation (code 0xc0000005)", "crash_victim", "WriteToNull"},
        {"two-threads",
         {"--app"},
         SIGSEGV,
         "Exception: Access Violation (code 0xc0000005)",
         "crash_victim",
         "WriteToNull"},
        {"heap", {}, SIGABRT, "Unknown exception: (code 0x40000015)", "libc.so.6", "CorruptHeap"},
        // The whole report, named from the map, with nothing of it waiting for the heap.
        {"fault-in-allocator",
         {},
         SIGSEGV,
         "Exception: Access Violation (code 0xc0000005)",
         "crash_victim",
         "FaultInsideTheAllocator"},
        {"heap-held",
         {},
         SIGSEGV,
         "Exception: Access Violation (code 0xc0000005)",
         "crash_victim",
         "FaultWhileTheHeapIsHeld"},
    };
    for (const Crash& crash : crashes) {
        SCOPED_TRACE(crash.way);
        std::vector<std::string> arguments = crash.options;
        arguments.insert(arguments.begin(), crash.way);
        Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.signal, crash.signal);
        ExpectCompleteReport(outcome.report, crash);
        // One fault reported, however many threads fault.
        EXPECT_EQ(outcome.report.find("\nException: "), std::string::npos);
        EXPECT_EQ(outcome.report.find("\nUnknown exception: "), std::string::npos);
    }
}

TEST_F(CrashCatcherProcess, TheApplicationAddsItsProgramInformationAndClosesItsDemoWithAFiller)
{
    std::string demo = folder.Path() + "victim.dmo";
    Outcome outcome = Run({"null-write", "--app", "--demo", demo});
    EXPECT_EQ(outcome.signal, SIGSEGV);
    EXPECT_THAT(outcome.report, HasSubstr("\r\n\r\nProduct: Crash Victim\r\n"));
    // Twenty updates after the last event: a filler of 15, then the header of the crash's filler with
    // the 5 left, each filler a 0 bit and command 31, low bit first.
    std::string bytes = ReadFile(demo);
    ASSERT_GE(bytes.size(), 7u);
    EXPECT_EQ(bytes.substr(bytes.size() - 7), std::string("\x14\0\0\0\xEF\x97\x0F", 7));
}

namespace {

uint32_t Long(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value |= uint32_t(uint8_t(bytes[at + i])) << (8 * i);
    }
    return value;
}

// The demo file's final update count, read past its head (magic, version, seed, product version with
// its 16-bit length, the markers with their length); 0 when the file is too short for one.
uint32_t FinalUpdateCount(const std::string& demo)
{
    size_t at = 12;
    if (demo.size() < at + 2) {
        return 0;
    }
    at += 2 + (uint8_t(demo[at]) | uint8_t(demo[at + 1]) << 8);
    if (demo.size() < at + 4) {
        return 0;
    }
    at += 4 + Long(demo, at);
    return demo.size() < at + 4 ? 0 : Long(demo, at);
}

// Whether the event bits end with a filler's body, a 0 bit and command 31, low bit first: the last bit
// written is the highest one set in the last byte, since the rest of the byte is padding.
bool EndsWithFiller(const std::string& demo)
{
    if (demo.empty() || demo.back() == 0) {
        return false;
    }
    auto bit = [&](size_t index) { return (uint8_t(demo[index / 8]) >> (index % 8)) & 1; };
    size_t last = (demo.size() - 1) * 8 + 7;
    while (!bit(last)) {
        --last;
    }
    return last >= 5 && bit(last - 1) && bit(last - 2) && bit(last - 3) && bit(last - 4) && !bit(last - 5);
}

} // namespace

// A whole application whose main loop runs when a thread of its own faults: the loop stops for the
// crash, or it is held busy and the crash gives up waiting for it after two seconds. Either way the
// report says what the application is, and the demo ends at the crash.
TEST_F(CrashCatcherProcess, ARunningApplicationReportsItselfAndClosesItsDemoWhetherOrNotItsLoopStops)
{
    for (const char* way : {"running-loop-stops", "running-loop-busy"}) {
        SCOPED_TRACE(way);
        std::string demo = folder.Path() + "running.dmo";
        std::filesystem::remove(demo);
        Outcome outcome = Run({way, "--demo", demo});
        EXPECT_EQ(outcome.signal, SIGSEGV);
        ExpectCompleteReport(
            outcome.report,
            {way, {}, SIGSEGV, "Exception: Access Violation (code 0xc0000005)", "crash_victim", "WriteToNull"});
        EXPECT_THAT(outcome.report, HasSubstr("\r\n\r\nProduct: Crash Victim\r\nVersion: "));
        EXPECT_THAT(outcome.report, HasSubstr("\r\nSDL Video Ver: "));
        std::string bytes = ReadFile(demo);
        // The fault comes at the tenth update.
        EXPECT_GE(FinalUpdateCount(bytes), 10u);
        EXPECT_TRUE(EndsWithFiller(bytes));
    }
}

// The program information hangs: the watchdog ends the process by its fault's signal, with the report
// already whole on disk.
TEST_F(CrashCatcherProcess, TheWatchdogEndsACrashPathThatHangs)
{
    Outcome outcome = Run({"running-crash-hangs"});
    EXPECT_EQ(outcome.signal, SIGSEGV);
    ExpectCompleteReport(outcome.report, {"running-crash-hangs",
                                          {},
                                          SIGSEGV,
                                          "Exception: Access Violation (code 0xc0000005)",
                                          "crash_victim",
                                          "RunningApp::Update"});
    EXPECT_THAT(outcome.report, Not(HasSubstr("Product:")));
}

TEST_F(CrashCatcherProcess, WithoutAnApplicationTheReportHasNoProgramInformation)
{
    for (const char* way : {"null-write", "after-app"}) {
        SCOPED_TRACE(way);
        Outcome outcome = Run({way});
        EXPECT_EQ(outcome.signal, SIGSEGV);
        EXPECT_THAT(outcome.report, Not(HasSubstr("Product:")));
        EXPECT_THAT(outcome.report, Not(HasSubstr("SDL ")));
    }
}

TEST_F(CrashCatcherProcess, AThreadOfItsOwnIsNamedInTheExceptionLine)
{
    Outcome outcome = Run({"thread"});
    std::smatch line;
    ASSERT_TRUE(std::regex_search(outcome.report, line, kExceptionLine));
    // The faulting thread is not the process's first one, whose id is the process's.
    EXPECT_NE(std::stoul(line[2].str(), nullptr, 16), static_cast<unsigned long>(outcome.process));
    EXPECT_THAT(outcome.errorOutput, HasSubstr("in thread " + line[2].str() + "\r\n"));
}

TEST_F(CrashCatcherProcess, AReportThatCannotBeWrittenGoesWholeToStandardError)
{
    // A folder where the file would go: the file cannot be opened, as in a folder nobody may write to.
    ASSERT_EQ(mkdir((folder.Path() + "crash.txt").c_str(), 0755), 0);
    Outcome outcome = Run({"null-write"});
    EXPECT_EQ(outcome.signal, SIGSEGV);
    ASSERT_TRUE(std::regex_search(outcome.errorOutput, kExceptionLine)) << outcome.errorOutput;
    EXPECT_THAT(outcome.errorOutput, HasSubstr("\r\nModule: crash_victim\r\n"));
    EXPECT_THAT(outcome.errorOutput, HasSubstr("WriteToNull"));
}

TEST_F(CrashCatcherProcess, StderrGetsTheFirstWordBeforeAnythingElseRuns)
{
    Outcome outcome = Run({"stack-overflow"});
    EXPECT_EQ(outcome.errorOutput.rfind("Exception: Stack Overflow (code 0xc00000fd) at address ", 0), 0u);
    EXPECT_THAT(outcome.errorOutput, HasSubstr("\r\nRIP:"));
}
