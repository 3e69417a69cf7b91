// Resource manifests on arbitrary input, read from a file through the pak layer as the game reads them;
// the same manager then reads the input a second time, as the later manifests of start-up are read by a
// manager that already holds records.
#include "ScratchFolder.h"
#include "app/TolmAppBase.h"
#include "resources/ResourceManager.h"

#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Tolm::TolmAppBase app;
    static const std::string path = ScratchFolder::FilePath("resources.xml");
    if (!ScratchFolder::WriteFile(path, std::string_view(reinterpret_cast<const char*>(data), size))) {
        return 0;
    }
    Tolm::ResourceManager manager(&app);
    manager.ParseResourcesFile(path);
    manager.ParseResourcesFile(path);
    manager.GetResourceCount("");
    manager.GetErrorText();
    return 0;
}
