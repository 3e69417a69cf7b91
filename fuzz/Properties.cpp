// The properties loader on arbitrary file contents.
#include "app/PropertiesParser.h"
#include "app/TolmAppBase.h"
#include "core/Buffer.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Tolm::TolmAppBase app;
    Tolm::Buffer buffer;
    buffer.SetData(data, int(size));
    Tolm::PropertiesParser parser(&app);
    if (!parser.ParsePropertiesBuffer(buffer) && parser.GetErrorText().empty()) {
        __builtin_trap();
    }
    return 0;
}
