// Resource manifests on arbitrary input, read from a file through the pak layer as the game reads them;
// the same manager then reads the input a second time, as the later manifests of start-up are read by a
// manager that already holds records.
#include "app/TolmAppBase.h"
#include "resources/ResourceManager.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

std::string ScratchFile()
{
    static const std::string path = "/tmp/fuzz_ResourceManifest_" + std::to_string(getpid()) + ".xml";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Tolm::TolmAppBase app;
    std::FILE* file = std::fopen(ScratchFile().c_str(), "wb");
    if (!file) {
        return 0;
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    Tolm::ResourceManager manager(&app);
    manager.ParseResourcesFile(ScratchFile());
    manager.ParseResourcesFile(ScratchFile());
    manager.GetResourceCount("");
    manager.GetErrorText();
    std::remove(ScratchFile().c_str());
    return 0;
}
