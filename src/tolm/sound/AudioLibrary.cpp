#include "sound/AudioLibrary.h"

#include "platform/DebugOutput.h"
#include "platform/MessageBox.h"

#include <cstdlib>

namespace Tolm {

void FailAudioLibrary(const std::string& text)
{
    Platform::ShowMessageBox(0, text, "Error", Platform::MB_OK | Platform::MB_ICONERROR);
    std::exit(0);
}

Platform::Library* LoadAudioLibrary(const char* path, const char* missingText)
{
    Platform::Library* library = Platform::LoadLibrary(path);
    if (!library) {
        Platform::DebugOutput(std::string(missingText) + "\r\n");
    }
    return library;
}

} // namespace Tolm
