// The settings store's file reader on arbitrary text: whatever it accepts must write back to a text
// it reads as the same settings.
#include "platform/SettingsStore.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Platform::SettingsData settings;
    std::string error;
    if (!Platform::SettingsStore::Parse(std::string_view(reinterpret_cast<const char*>(data), size), settings, error)) {
        return 0;
    }
    Platform::SettingsData again;
    if (!Platform::SettingsStore::Parse(Platform::SettingsStore::Serialize(settings), again, error) ||
        again != settings) {
        __builtin_trap();
    }
    return 0;
}
