// The crash path, from the fault to the end of the process. What runs first is what is most likely to
// survive a broken process: a short report written from the signal handler with nothing but system
// calls. Then the whole report, from the unwinder and the map and symbols read at start-up, in buffers
// of static storage so that a heap locked by the fault does not stop it, written again
// before anything of the application is asked. Only then the application: its program information,
// the clipboard, the demo. A crash on another thread waits two seconds for the main loop to stop;
// when it does not, only what needs none of the loop's locks is done beside it: the window taken off
// the screen and the sound silenced, the program information, and the demo when no record of it is
// half written. A watchdog ends the
// process should any of it hang; the crash window, which waits for the user, comes last and without
// it.
#include "app/DemoEvents.h"
#include "app/TolmAppBase.h"
#include "diagnostics/CrashCatcher.h"
#include "diagnostics/CrashReportLines.h"
#include "platform/DesktopWindow.h"
#include "platform/DirectSound.h"
#include "platform/Process.h"
#include "platform/SystemInfo.h"
#include "platform/ThreadStack.h"
#include "platform/Window.h"

#include <chrono>
#include <cstdlib>
#include <thread>

Platform::TopLevelExceptionFilter CrashCatcher::previousFilter = nullptr;
std::atomic<bool> CrashCatcher::mainLoopParked{false};

namespace {

constexpr const char* kCrashFileName = "crash.txt";
// Longer than building and writing the report ever takes, and short enough that a hung crash still
// ends soon.
constexpr unsigned kWatchdogSeconds = 6;
// How long a crash on another thread waits for the main loop to stop before it leaves the application
// alone.
constexpr auto kMainLoopWait = std::chrono::seconds(2);
// Where a deployment names its report server ("host" or "host:port").
constexpr const char* kSubmitHostVariable = "QUENDARA_CRASH_REPORT_HOST";

// The sanitizers catch faults themselves and say more about them than the report would.
#ifdef QUENDARA_SANITIZED
constexpr bool kStandAside = true;
#else
constexpr bool kStandAside = false;
#endif

// Made after the catcher's state and destroyed before it; before and after every other static object.
struct Catcher
{
    Catcher()
    {
        // Worked out now, so that a crash need not read files or open libraries, and made now, so that
        // what they are kept in outlives every other static object a crash may come from.
        CrashCatcher::PrepareForCrash();
        CrashCatcher::InstallExceptionFilter();
    }
    ~Catcher() { CrashCatcher::RestoreExceptionFilter(); }
} catcher __attribute__((init_priority(102)));

// In static storage: the thread's stack may be the one that overflowed, and the heap may be locked by
// the fault. Room for the longest walk with every address named from the map.
constexpr size_t kReportLength = 2 << 20;
FixedText<16384> firstWord;
FixedText<kReportLength> report;
FixedText<kReportLength> namedReport;
FixedText<64> title;

// The exception, the registers and the raw stack, written with nothing that could hang or fault.
void WriteFirstWord(const Platform::ExceptionPointers& pointers)
{
    AppendExceptionLine(firstWord, *pointers.record, Platform::CurrentThreadId());
    firstWord.Append("\r\n");
    // The registers before the stack, which may be long enough to fill the buffer.
    AppendRegisters(firstWord, *pointers.context);
    AppendRawStack(firstWord, *pointers.context);
    WriteWholeFile(kCrashFileName, firstWord.Data(), firstWord.Length());
    WriteToStandardError(firstWord.Data(), firstWord.Length());
}

std::string Text(const SignalSafeText& text)
{
    return std::string(text.Data(), text.Length());
}

void AppendLogicalAddress(SignalSafeText& text, const LogicalAddress& where)
{
    text.AppendHex(where.section, 4);
    text.Append(":");
    text.AppendHex(where.offset, 8);
}

// The report's machine half: the exception and where it happened, the stack, the registers and the
// system. Sets the crash title. Nothing of it needs the heap.
void BuildMachineReport(const Platform::ExceptionPointers& pointers, bool imageHelpLoaded)
{
    AppendExceptionLine(report, *pointers.record, Platform::CurrentThreadId());
    LogicalAddress where(pointers.record->address);
    report.Append("Module: ");
    report.Append(where.module);
    report.Append("\r\nLogical Address: ");
    AppendLogicalAddress(report, where);
    report.Append("\r\n\r\n");
    title.Append("Exception at ");
    AppendLogicalAddress(title, where);
    size_t stackStart = report.Length();
    if (imageHelpLoaded) {
        CrashCatcher::StackWalkDump(*pointers.context, 0, report);
    }
    if (report.Length() == stackStart) {
        CrashCatcher::FrameChainDump(*pointers.context, report);
    }
    report.Append("\r\n");
    AppendRegisters(report, *pointers.context);
    CrashCatcher::GetSystemInfoText(report);
}

// "crash.txt" ends with one more line break than the report; stderr has it when the file cannot be
// written.
void WriteReport(SignalSafeText& text)
{
    text.Append("\r\n");
    if (!WriteWholeFile(kCrashFileName, text.Data(), text.Length())) {
        WriteToStandardError(text.Data(), text.Length());
    }
}

void Copy(const SignalSafeText& from, SignalSafeText& to)
{
    to.Clear();
    to.Append(from.Data(), from.Length());
}

// The application as the crash path finds it: none; closed (a crash on its own thread hides it
// here, on another thread its main loop hides it and stops); or beside a main loop that did not stop
// in time, which may be anywhere in its step, holding any of its locks.
struct CrashedApplication
{
    Tolm::TolmAppBase* app = nullptr;
    bool loopRunning = false;
};

// What a crash does to an application whose main loop did not stop, with nothing the loop may hold.
// SDL's window and its calls belong to the main thread, which may be inside them holding their locks:
// the window is taken off the screen, full screen or not, through a desktop connection of the crash's
// own, and the sound goes quiet through a flag its device's own thread reads. The window object is the
// one the application made; its number never changes.
void LeaveTheScreen(Tolm::TolmAppBase& app)
{
    Platform::SetSoundOutputSilenced(true);
    Platform::Window* window = app.mainWindow.get();
    if (window && window->DesktopId() != 0) {
        Platform::WithdrawDesktopWindow(window->DesktopId());
    }
}

CrashedApplication ApplicationToClose()
{
    Tolm::TolmAppBase* app = CrashCatcher::application;
    if (!app) {
        return {};
    }
    if (app->IsMainThread()) {
        app->Hide();
        return {app, false};
    }
    auto deadline = std::chrono::steady_clock::now() + kMainLoopWait;
    while (!CrashCatcher::mainLoopParked) {
        if (std::chrono::steady_clock::now() > deadline) {
            LeaveTheScreen(*app);
            return {app, true};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {app, false};
}

void AddProgramInfo(Tolm::TolmAppBase& app)
{
    std::string info = app.GetProgramInfo();
    if (!info.empty()) {
        report.Append("\r\n");
        report.Append(info.data(), info.size());
    }
    // The desktop's clipboard is served by the main thread's events, which stop with the crash; the
    // crash windows' process takes the text over and serves it while the windows are up. Nothing goes
    // on the clipboard while a demo is played back.
    if (app.IsMainThread()) {
        app.CopyToClipboard(Text(report));
    }
    if (!app.playingDemo) {
        CrashCatcher::clipboardText = Text(report);
    }
}

// The crash's filler event, so that the demo plays to the moment of the crash, and the demo file.
void WriteDemoToCrash(Tolm::TolmAppBase& app)
{
    app.RecordDemoEventHeader();
    app.demoBuffer.WriteBits(0, 1);
    app.demoBuffer.WriteBits(Tolm::DemoEvent::kFiller, 5);
    app.WriteDemoFile();
    CrashCatcher::attachmentPath = app.demoFileName;
}

// Ends the demo being recorded and writes it; then nothing records or plays any more.
void CloseDemo(Tolm::TolmAppBase& app)
{
    if (app.recordingDemo) {
        WriteDemoToCrash(app);
    }
    CrashCatcher::attachFile = app.recordingDemo;
    std::string extra = app.GetExtraCrashInfo();
    if (!extra.empty()) {
        CrashCatcher::attachmentPath = extra;
        CrashCatcher::attachFile = true;
    }
    app.recordingDemo = false;
    app.playingDemo = false;
}

// Beside a main loop that did not stop: the demo is written only when the loop is not in the middle
// of a record, and from then on a thread that starts one stops instead. The demo flags stay as they
// are, since the loop reads them, and the application's extra file is not asked for, since that is
// the application's own code and may need its main thread.
void CloseDemoBeside(Tolm::TolmAppBase& app)
{
    if (app.recordingDemo && app.TakeDemoForCrash()) {
        WriteDemoToCrash(app);
        CrashCatcher::attachFile = true;
    }
}

} // namespace

void CrashCatcher::InstallExceptionFilter()
{
    if (kStandAside) {
        return;
    }
    if (const char* host = std::getenv(kSubmitHostVariable)) {
        submitHost = host;
    }
    previousFilter = Platform::SetUnhandledExceptionFilter(&CrashCatcher::ExceptionFilter);
}

void CrashCatcher::RestoreExceptionFilter()
{
    if (!kStandAside) {
        Platform::SetUnhandledExceptionFilter(previousFilter);
    }
}

long CrashCatcher::ExceptionFilter(Platform::ExceptionPointers* pointers)
{
    WriteFirstWord(*pointers);
    Platform::SetFaultWatchdog(kWatchdogSeconds);
    HandleCrash(pointers);
    return Platform::EXCEPTION_CONTINUE_SEARCH;
}

void CrashCatcher::HandleCrash(Platform::ExceptionPointers* pointers)
{
    report.Clear();
    title.Clear();
    bool imageHelpLoaded = LoadImageHelp();
    BuildMachineReport(*pointers, imageHelpLoaded);
    // A whole report on disk before the application, which may be what broke, is asked anything.
    Copy(report, namedReport);
    if (imageHelpLoaded) {
        MergeMapFileSymbols(namedReport);
    }
    WriteReport(namedReport);

    CrashedApplication crashed = ApplicationToClose();
    if (crashed.app) {
        AddProgramInfo(*crashed.app);
    }
    if (imageHelpLoaded) {
        MergeMapFileSymbols(report);
    }
    // The window's copy is taken before the file's line break is added.
    size_t length = report.Length();
    WriteReport(report);
    if (crashed.app && crashed.loopRunning) {
        CloseDemoBeside(*crashed.app);
    } else if (crashed.app) {
        CloseDemo(*crashed.app);
    }
    if (showCrashWindow) {
        ShowCrashWindow(Text(title), std::string(report.Data(), length));
    }
    Platform::SetFaultWatchdog(0);
    FreeImageHelp();
}

std::string CrashCatcher::GetSystemInfoText()
{
    FixedText<4096> text;
    GetSystemInfoText(text);
    return Text(text);
}

void CrashCatcher::GetSystemInfoText(SignalSafeText& text)
{
    char kernel[1024];
    Platform::KernelVersionText(kernel, sizeof kernel);
    text.Append("Kernel Ver: ");
    text.Append(kernel);
    text.Append("\r\n");
    if (!application) {
        return;
    }
    char version[32];
    Platform::SdlVersionText(version, sizeof version);
    const char* drivers[][2] = {{"SDL Video Ver: ", Platform::VideoDriverName()},
                                {"SDL Audio Ver: ", Platform::AudioDriverName()}};
    for (const auto& [label, driver] : drivers) {
        if (*driver) {
            text.Append(label);
            text.Append(version);
            text.Append(" ");
            text.Append(driver);
            text.Append("\r\n");
        }
    }
}

bool CrashCatcher::WriteCrashFile(const std::string& text)
{
    // Each line break is stored as it stands, and the file ends with one more.
    std::string file = text + "\r\n";
    return WriteWholeFile(kCrashFileName, file.data(), file.size());
}
