// PNG in and out through the platform's libpng codec. Reading goes through the pak layer; writing goes
// to the disk through a temporary file, so a failed write leaves no torn file behind.
#include "graphics/ImageFile.h"
#include "graphics/ImageLib.h"
#include "platform/FileSystem.h"
#include "platform/PngCodec.h"

#include <vector>

namespace Tolm::ImageLib {

std::unique_ptr<Image> LoadPNG(const std::string& fileName)
{
    return DecodeFile<Platform::PngDecoder>(fileName);
}

bool WritePNG(const std::string& fileName, const Image& image)
{
    if (!image.bits || image.width <= 0 || image.height <= 0) {
        return false;
    }
    std::vector<uint8_t> file;
    return Platform::EncodePng(image.bits.get(), image.width, image.height, file) &&
           Platform::WriteFileAtomically(fileName, file.data(), file.size());
}

} // namespace Tolm::ImageLib
