// The crash catcher's process-wide state, shared by the crash report, its windows and its upload, and
// the services the report is built from: code addresses named by module and section, the stack walked
// with the image-help library or along the saved frame pointers, and names from the map file.
#pragma once

#include "platform/ExceptionFilter.h"
#include "platform/LoadedModules.h"
#include "platform/ProcessorContext.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace Tolm {
class TolmAppBase;
}

class SignalSafeText;

class CrashCatcher
{
public:
    // Done by a static object before anything else of the program runs, and undone after everything
    // else at exit.
    static void InstallExceptionFilter();
    static void RestoreExceptionFilter();
    // Every fault that nothing else handles: the report, the application closed down, the crash
    // window. The process ends when it returns.
    static long ExceptionFilter(Platform::ExceptionPointers* pointers);
    // Writes the report to "crash.txt" and to stderr, then builds it whole: first into "crash.txt", then
    // hands it to the application's clipboard, names it from the map file and writes it again; closes
    // the demo being recorded and shows the crash window. Returns when the window is done.
    static void HandleCrash(Platform::ExceptionPointers* pointers);
    // The kernel and, with an application, the SDL drivers it runs on.
    static std::string GetSystemInfoText();
    static void GetSystemInfoText(SignalSafeText& text);
    // What a crash would otherwise have to read from files or set up with the heap, done now: the
    // modules' sections and function names, the image-help library, and the map file of the current
    // folder mapped into memory with room made for its tables. Done when the program starts and again
    // once the application has settled its folder and its libraries.
    static void PrepareForCrash();
    // Replaces "crash.txt" in the current folder; false when it cannot be written.
    static bool WriteCrashFile(const std::string& text);
    // Shows the report in the crash windows and returns when they are done. They run in a process of
    // their own, the same program started again, so that they need nothing of the crashed one: only a
    // program that serves them (RunCrashWindowProcess) shows them.
    static void ShowCrashWindow(const std::string& title, const std::string& report);
    // Called first thing in main. When the program was started to show the crash windows, shows them
    // and returns true when they are done; the program then ends. Otherwise returns false at once.
    static bool RunCrashWindowProcess(int argc, char** argv);

    static Platform::TopLevelExceptionFilter previousFilter;
    // Set by the application's main loop once it has stopped for a crash on another thread: from then on
    // nothing else touches the application.
    static std::atomic<bool> mainLoopParked;
    // Set by the application base's constructor as its last step and cleared first by its destructor:
    // null while no whole application object exists.
    static std::atomic<Tolm::TolmAppBase*> application;
    static bool showCrashWindow;
    // Offer "Send Report" in the crash window.
    static bool allowSubmit;
    // The report server: a host name, optionally ":port". Empty in this game, so nothing is offered.
    static std::string submitHost;
    static std::string crashTitle;
    static std::string crashText;
    // The report as the clipboard is to have it, before its names were merged; empty when the clipboard
    // is left alone. The crash windows' process puts it there and serves it.
    static std::string clipboardText;
    // What the user typed in the "Error Details" window.
    static std::string userText;
    // The file the upload sends as the demo file, when attachFile.
    static std::string attachmentPath;
    static bool attachFile;

    // The file of the module holding the address, cut to fit the buffer, and the address as a 1-based
    // section number and an offset into that section, which do not change wherever the module was
    // loaded. False when no module holds it, or no section of the module.
    static bool GetLogicalAddress(const void* address, char* moduleName, size_t length, uint32_t& section,
                                  uintptr_t& offset);
    // Loads the image-help library and looks up what the walk and the names need; false when it or one
    // of its entry points is missing. The library stays loaded until FreeImageHelp.
    static bool LoadImageHelp();
    static void FreeImageHelp();
    // The stack from the context outwards, named by the image-help library, frames to skip left out.
    // Empty without the library.
    static std::string StackWalkDump(const Platform::ProcessorContext& context, int skip);
    static void StackWalkDump(const Platform::ProcessorContext& context, int skip, SignalSafeText& text);
    // The stack along the saved frame pointers, read only where they lie on the thread's stack.
    static std::string FrameChainDump(const Platform::ProcessorContext& context);
    static void FrameChainDump(const Platform::ProcessorContext& context, SignalSafeText& text);
    // Names the report's section:offset addresses from the first "*.map" file of the current folder,
    // in name order. Without one the report stays as it is. While a fault is handled, the map prepared
    // by PrepareForCrash serves, when it was found in the same folder: parsed then, without the heap.
    static void MergeMapFileSymbols(std::string& report);
    static void MergeMapFileSymbols(SignalSafeText& report);
    // Sends the report as a form to the report server through SubmitTransfer: the application's extra
    // fields, the product, its version, the user's text, the crash title and text and, when attachFile,
    // the attachment. The body of a thread of its own; it ends once the transfer has started. Sends
    // nothing without an application object.
    static void SubmitReportThread();
};

// Where a code address lies, as the report names it: the module's file name without its folder, and the
// section:offset. An empty name and 0000:00000000 when no module or section holds it.
struct LogicalAddress
{
    explicit LogicalAddress(uintptr_t address);

    char module[2048];
    uint32_t section = 0;
    uintptr_t offset = 0;
};

// The section of the module-relative address: the first whose range, end included, holds it.
bool FindSectionOffset(const Platform::ModuleSection* sections, size_t count, uintptr_t relativeAddress,
                       uint32_t& section, uintptr_t& offset);
