// "config.xml" on arbitrary input, read from the working folder through the file layer as the game reads
// it at start-up, into emptied property tables; every value stored is read back.
#include "ScratchFolder.h"
#include "app/CustomTolmAppBase.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ScratchFolder::WriteCase(data, size, {"config.xml"});
    ScratchFolder::AsWorkingFolder inFolder;
    static CustomTolmAppBase& app = *new CustomTolmAppBase;
    app.intProperties.clear();
    app.doubleProperties.clear();
    app.boolProperties.clear();
    app.stringProperties.clear();
    app.rectProperties.clear();
    app.LoadConfig("config.xml");
    for (const auto& [name, value] : app.intProperties) {
        app.GetIntProperty(name);
    }
    for (const auto& [name, value] : app.doubleProperties) {
        app.GetDoubleProperty(name);
    }
    for (const auto& [name, value] : app.boolProperties) {
        app.GetBoolProperty(name, false);
    }
    for (const auto& [name, value] : app.stringProperties) {
        app.GetStringProperty(name, "");
    }
    return 0;
}
