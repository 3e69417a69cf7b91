// The crash windows in a process of their own. The crashed process may have a broken heap, a stopped
// main thread in the middle of SDL, or no stack to speak of; the windows need a desktop connection,
// fonts and the network. So the crashed process starts its own program again with the windows'
// option, hands it everything the windows and the upload need through a pipe, and waits for it to
// end. The new process stands in for the crashed application with what it was handed.
#include "app/TolmAppBase.h"
#include "diagnostics/CrashCatcher.h"
#include "diagnostics/CrashHandOver.h"
#include "diagnostics/CrashWindows.h"
#include "platform/Clipboard.h"
#include "platform/ControlWindow.h"
#include "platform/ExceptionFilter.h"
#include "platform/MessageBox.h"
#include "platform/TextEncoding.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

extern char** environ;

namespace {

constexpr const char* kWindowOption = "--crash-window";
constexpr auto kFastTick = std::chrono::milliseconds(20);
constexpr auto kSlowTick = std::chrono::seconds(1);
// How often the first two windows look for the user when nothing else is due.
constexpr int kIdleWaitMilliseconds = 100;

bool servesCrashWindows = false;

// The crashed application as the upload sees it: its product, its version and its extra fields.
class HandedOverApplication : public Tolm::TolmAppBase
{
public:
    void AddCrashReportFields(std::map<std::string, std::string>& fields) override { fields = extraFields; }

    std::map<std::string, std::string> extraFields;
};

std::string Gather()
{
    CrashHandOver out;
    Tolm::TolmAppBase* app = CrashCatcher::application;
    out.hasApplication = app != nullptr;
    out.allowSubmit = CrashCatcher::allowSubmit;
    out.submitHost = CrashCatcher::submitHost;
    out.crashTitle = CrashCatcher::crashTitle;
    out.crashText = CrashCatcher::crashText;
    out.attachFile = CrashCatcher::attachFile;
    out.attachmentPath = CrashCatcher::attachmentPath;
    out.clipboardText = CrashCatcher::clipboardText;
    if (app) {
        out.productName = app->productName;
        out.productVersion = app->productVersion;
        app->AddCrashReportFields(out.extraFields);
    }
    return WriteCrashHandOver(out);
}

std::unique_ptr<HandedOverApplication> TakeOver(const CrashHandOver& in)
{
    CrashCatcher::allowSubmit = in.allowSubmit;
    CrashCatcher::submitHost = in.submitHost;
    CrashCatcher::crashTitle = in.crashTitle;
    CrashCatcher::crashText = in.crashText;
    CrashCatcher::attachFile = in.attachFile;
    CrashCatcher::attachmentPath = in.attachmentPath;
    CrashCatcher::clipboardText = in.clipboardText;
    if (!in.hasApplication) {
        return nullptr;
    }
    auto app = std::make_unique<HandedOverApplication>();
    app->productName = in.productName;
    app->productVersion = in.productVersion;
    app->extraFields = in.extraFields;
    return app;
}

bool WriteAll(int file, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t count = write(file, bytes.data() + done, bytes.size() - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        done += size_t(count);
    }
    return true;
}

std::string ReadAll(int file)
{
    std::string bytes;
    char block[4096];
    for (;;) {
        ssize_t count = read(file, block, sizeof block);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return bytes;
        }
        bytes.append(block, size_t(count));
    }
}

// Starts the program again on the windows' option with the pipe's end as its input; 0 when it cannot.
pid_t StartWindowProcess(int input)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    char program[] = "/proc/self/exe";
    char* arguments[] = {program, const_cast<char*>(kWindowOption), nullptr};
    pid_t child = 0;
    int started = posix_spawn(&child, program, &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    return started == 0 ? child : 0;
}

std::unique_ptr<Platform::ControlWindow> Open(const CrashWindowLayout& layout)
{
    return Platform::ControlWindow::Create(layout.title, layout.x, layout.y, layout.width, layout.height,
                                           layout.controls, layout.focus);
}

CrashWindows::Actions WindowActions()
{
    CrashWindows::Actions actions;
    actions.startUpload = [] {
        try {
            Platform::StartThread([] { CrashCatcher::SubmitReportThread(); }).detach();
            return true;
        } catch (const std::system_error&) {
            return false;
        }
    };
    actions.askRetry = [] {
        return Platform::ShowMessageBoxWide(0, u"Failed to connect to server.", u"Connection Failed",
                                            Platform::MB_RETRYCANCEL) == Platform::IDRETRY;
    };
    return actions;
}

void Act(CrashWindows& windows, const Platform::ControlWindow& view, const Platform::ControlEvent& event)
{
    const CrashWindowLayout& layout = windows.Layout();
    if (event.kind == Platform::ControlEvent::Kind::kClose) {
        windows.Close();
    } else if (event.kind == Platform::ControlEvent::Kind::kPress && event.control == layout.firstButton) {
        windows.PressFirstButton(layout.focus >= 0 ? view.Text(layout.focus) : std::string());
    } else if (event.kind == Platform::ControlEvent::Kind::kPress && event.control == layout.secondButton) {
        windows.PressSecondButton();
    }
}

// The report on the clipboard, from this process: the desktop asks the clipboard's owner for its text
// whenever it is pasted, and the crashed process, stopped in its crash, could not answer. This loop's
// events answer for as long as the windows are up. Once is enough; a later window changes nothing.
void TakeClipboard()
{
    if (CrashCatcher::clipboardText.empty()) {
        return;
    }
    Platform::SetClipboardText(Platform::Cp1252ToUtf8(CrashCatcher::clipboardText));
    CrashCatcher::clipboardText.clear();
}

// One loop for all three windows: the one up is shown, the one before it goes, and the progress
// window's two timers run from the moment it appears.
void RunWindows(bool hasApplication)
{
    using Clock = std::chrono::steady_clock;
    CrashWindows windows(CrashCatcher::crashText, hasApplication, CrashCatcher::allowSubmit, CrashCatcher::submitHost,
                         WindowActions());
    std::unique_ptr<Platform::ControlWindow> view;
    CrashWindows::Window shown = windows.Current();
    Clock::time_point nextFast;
    Clock::time_point nextSlow;
    while (!windows.ExitRequested()) {
        if (!view || shown != windows.Current()) {
            view.reset();
            shown = windows.Current();
            view = Open(windows.Layout());
            if (!view) {
                // Nobody can see the windows: nothing more can happen.
                return;
            }
            TakeClipboard();
            nextFast = Clock::now() + kFastTick;
            nextSlow = Clock::now() + kSlowTick;
        }
        bool timed = shown == CrashWindows::Window::kProgress;
        auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(nextFast - Clock::now());
        Act(windows, *view, view->WaitEvent(timed ? int(wait.count()) : kIdleWaitMilliseconds));
        if (!timed || windows.Current() != shown) {
            continue;
        }
        if (Clock::now() >= nextFast) {
            windows.Tick20Milliseconds();
            nextFast = Clock::now() + kFastTick;
        }
        if (Clock::now() >= nextSlow) {
            windows.TickSecond();
            view->SetText(0, windows.StatusText());
            nextSlow += kSlowTick;
        }
    }
}

} // namespace

void CrashCatcher::ShowCrashWindow(const std::string& title, const std::string& report)
{
    crashTitle = title;
    crashText = report;
    if (!servesCrashWindows) {
        return;
    }
    std::string handOver = Gather();
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        return;
    }
    pid_t child = StartWindowProcess(ends[0]);
    close(ends[0]);
    // A window process that ends before it has read everything must not end this one too.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
    if (child != 0) {
        WriteAll(ends[1], handOver);
    }
    close(ends[1]);
    // From here on the crash waits for the user, for as long as the user takes.
    Platform::SetFaultWatchdog(0);
    int status = 0;
    while (child != 0 && waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

bool CrashCatcher::RunCrashWindowProcess(int argc, char** argv)
{
    servesCrashWindows = true;
    if (argc < 2 || std::strcmp(argv[1], kWindowOption) != 0) {
        return false;
    }
    // A fault here is not the crash being reported, and must not overwrite its report.
    RestoreExceptionFilter();
    showCrashWindow = false;
    std::unique_ptr<HandedOverApplication> app = TakeOver(ReadCrashHandOver(ReadAll(STDIN_FILENO)));
    RunWindows(app != nullptr);
    return true;
}
