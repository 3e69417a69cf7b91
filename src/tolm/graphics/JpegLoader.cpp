// JPEG through the platform's libjpeg codec, read from the pak layer.
#include "graphics/ImageFile.h"
#include "graphics/ImageLib.h"
#include "platform/JpegCodec.h"

namespace Tolm::ImageLib {

std::unique_ptr<Image> LoadJPEG(const std::string& fileName)
{
    return DecodeFile<Platform::JpegDecoder>(fileName);
}

} // namespace Tolm::ImageLib
