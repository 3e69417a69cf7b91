// The map-file reader and the merge of its names into a crash report, names made readable by the
// image-help library's undecorator. The input is a map file, then optionally a NUL byte and the report
// to merge into; without one a report with a few addresses is used.
#include "diagnostics/MapFile.h"

#include "platform/ImageHelp.h"

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

namespace {

Platform::UnDecorateSymbolNameProc Undecorator()
{
    for (const Platform::LibraryExport& entry : Platform::ImageHelpExports()) {
        if (std::strcmp(entry.name, "UnDecorateSymbolName") == 0) {
            return reinterpret_cast<Platform::UnDecorateSymbolNameProc>(entry.address);
        }
    }
    return nullptr;
}

const char* const kReport = "Module: quendara\r\nLogical Address: 0001:00001010\r\n\r\n"
                            "00401010  0012FF70  0001:00000010 quendara\r\n0001:00002000 0002:0000000";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const Platform::UnDecorateSymbolNameProc undecorate = Undecorator();
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t split = input.find('\0');
    std::string report = split == std::string::npos ? kReport : input.substr(split + 1);
    std::istringstream map(input.substr(0, split));
    MapFile file;
    file.Read(map);
    file.Merge(report, undecorate);
    return 0;
}
