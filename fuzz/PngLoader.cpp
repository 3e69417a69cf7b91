// Any bytes as a png file, through the loader as the game calls it.
#include "ImageFuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return ImageFuzzing::LoadInput(data, size, ".png", Tolm::ImageLib::LoadPNG);
}
