// The crash windows' process reading its hand-over from its standard input. What it reads must write
// back to bytes that read the same, so that nothing read is lost or changed on the way.
#include "diagnostics/CrashHandOver.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CrashHandOver read = ReadCrashHandOver(std::string_view(reinterpret_cast<const char*>(data), size));
    CrashHandOver again = ReadCrashHandOver(WriteCrashHandOver(read));
    bool same = again.hasApplication == read.hasApplication && again.allowSubmit == read.allowSubmit &&
                again.submitHost == read.submitHost && again.crashTitle == read.crashTitle &&
                again.crashText == read.crashText && again.attachFile == read.attachFile &&
                again.attachmentPath == read.attachmentPath && again.clipboardText == read.clipboardText &&
                again.productName == read.productName && again.productVersion == read.productVersion &&
                again.extraFields == read.extraFields;
    if (!same) {
        __builtin_trap();
    }
    return 0;
}
