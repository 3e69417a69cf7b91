// Demo files: read with every check of the reader, then played through to the end of their stream,
// with the demo-aware reads taking their events where a program would.
#include "ScratchFolder.h"
#include "app/TolmAppBase.h"
#include "core/Buffer.h"

#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = [] {
        // The demo's registry reads look in settings of the fuzzer's own.
        ScratchFolder::KeepSettingsInside();
        return ScratchFolder::FilePath("fuzz.dmo");
    }();
    if (!ScratchFolder::WriteFile(path, std::string_view(reinterpret_cast<const char*>(data), size))) {
        return 0;
    }

    Tolm::TolmAppBase app;
    app.productVersion = "1.3";
    app.registryKey = "Fuzz\\Demo";
    app.demoFileName = path;
    std::string error;
    if (!app.ReadDemoFile(error)) {
        if (error.empty()) {
            __builtin_trap();
        }
        return 0;
    }
    app.playingDemo = true;
    for (int update = 0; update < 4000 && !app.shutDown && !app.demoBuffer.AtEnd(); ++update) {
        app.updateCount = update;
        app.PlayDemoEvents();
        if (update % 3 == 0) {
            Tolm::Buffer contents;
            app.ReadFileToBuffer("any", contents, false);
            uint32_t type = 0;
            uint8_t value[16];
            uint32_t count = sizeof value;
            app.ReadRegistryValue("Value", type, value, count);
            std::string text = "live";
            app.SyncDemoString(text);
            app.FileExists("any");
        }
    }
    return 0;
}
