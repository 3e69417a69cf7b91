// Any bytes as a JPEG 2000 file (boxed or a bare codestream), through the loader and the codec library.
#include "ImageFuzzing.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Tolm::LoadJ2KCodec();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return ImageFuzzing::LoadInput(data, size, ".jp2", Tolm::ImageLib::LoadJ2K);
}
