// Images with alpha companions: an input is a first byte that picks the formats and the companion's
// name, then a colour file and a companion file. The image is loaded by its name with and without its
// extension, as manifests name it either way, and whatever loads is read whole.
#include "ImageFuzzing.h"
#include "ScratchFolder.h"

#include <cstdint>

namespace {

const char* const kExtensions[] = {".tga", ".jpg", ".png", ".gif", ".j2k", ".jp2"};
constexpr size_t kFormats = sizeof kExtensions / sizeof kExtensions[0];

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    const unsigned choice = data[0];
    const std::string colorName = std::string("pic") + kExtensions[choice % kFormats];
    const char* companionExtension = kExtensions[(choice / kFormats) % kFormats];
    // Before the file name, or after the name without its extension.
    const std::string companionName =
        choice & 0x80 ? std::string("pic_") + companionExtension : std::string("_pic") + companionExtension;
    ScratchFolder::WriteCase(data + 1, size - 1, {colorName, companionName});
    ImageFuzzing::CheckImage(Tolm::ImageLib::LoadImage(ScratchFolder::FilePath("pic"), true).get());
    ImageFuzzing::CheckImage(Tolm::ImageLib::LoadImage(ScratchFolder::FilePath(colorName), true).get());
    return 0;
}
