// What the image-loader fuzz targets share: each input is written to a file of the format's extension
// in the target's scratch folder (the loaders read through the file layer, as the game does) and loaded; a loaded image
// must be of a size the loaders allow, and every pixel is read so that a short allocation shows.
#pragma once

#include "ScratchFolder.h"
#include "graphics/ImageLib.h"

#include <cstdlib>
#include <string>
#include <string_view>

namespace ImageFuzzing {

inline void CheckImage(const Tolm::ImageLib::Image* image)
{
    if (!image) {
        return;
    }
    if (image->width <= 0 || image->height <= 0 || image->width > Tolm::ImageLib::kMaxImageSide ||
        image->height > Tolm::ImageLib::kMaxImageSide || !image->bits) {
        std::abort();
    }
    volatile uint32_t sum = 0;
    const size_t count = size_t(image->width) * size_t(image->height);
    for (size_t i = 0; i < count; ++i) {
        sum = sum + image->bits[i];
    }
}

template <typename Loader>
int LoadInput(const uint8_t* data, size_t size, const char* extension, Loader load)
{
    static const std::string path = ScratchFolder::FilePath(std::string("input") + extension);
    if (ScratchFolder::WriteFile(path, std::string_view(reinterpret_cast<const char*>(data), size))) {
        CheckImage(load(path).get());
    }
    return 0;
}

} // namespace ImageFuzzing
