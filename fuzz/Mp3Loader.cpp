// Any bytes as a .mp3 sound file, through the sound manager's loaders as the game calls them.
#include "SoundFuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return SoundFuzzing::LoadInput(data, size, ".mp3");
}
