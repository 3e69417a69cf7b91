// The crash catcher's process-wide state, shared by the crash report, its windows and its upload, and
// the services the report is built from: code addresses named by module and section, the stack walked
// with the image-help library or along the saved frame pointers, and names from the map file.
#pragma once

#include "platform/LoadedModules.h"
#include "platform/ProcessorContext.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace Tolm {
class TolmAppBase;
}

class CrashCatcher
{
public:
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
    // The stack along the saved frame pointers, read only where they lie on the thread's stack.
    static std::string FrameChainDump(const Platform::ProcessorContext& context);
    // Names the report's section:offset addresses from the first "*.map" file of the current folder,
    // in name order. Without one the report stays as it is.
    static void MergeMapFileSymbols(std::string& report);
    // Sends the report as a form to the report server through SubmitTransfer: the application's extra
    // fields, the product, its version, the user's text, the crash title and text and, when attachFile,
    // the attachment. The body of a thread of its own; it ends once the transfer has started. Sends
    // nothing without an application object.
    static void SubmitReportThread();
};

// The section of the module-relative address: the first whose range, end included, holds it.
bool FindSectionOffset(const Platform::ModuleSection* sections, size_t count, uintptr_t relativeAddress,
                       uint32_t& section, uintptr_t& offset);
