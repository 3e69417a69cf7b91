// What the image-loader fuzz targets share: each input is written to a file of the format's extension
// (the loaders read through the file layer, as the game does) and loaded; a loaded image must be of a
// size the loaders allow, and every pixel is read so that a short allocation shows.
#pragma once

#include "graphics/ImageLib.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace ImageFuzzing {

// One file per fuzzing process, rewritten for every input and removed at exit. The name is never
// destroyed, so that it is still there when the exit handler runs.
inline const std::string* inputPath = nullptr;

inline void RemoveInput()
{
    std::remove(inputPath->c_str());
}

inline const std::string& InputPath(const char* extension)
{
    if (!inputPath) {
        std::string name = "quendara-fuzz-" + std::to_string(std::random_device()()) + extension;
        inputPath = new std::string((std::filesystem::temp_directory_path() / name).string());
        std::atexit(RemoveInput);
    }
    return *inputPath;
}

inline bool WriteInput(const std::string& path, const uint8_t* data, size_t size)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        return false;
    }
    bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

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
    const std::string& path = InputPath(extension);
    if (WriteInput(path, data, size)) {
        CheckImage(load(path).get());
    }
    return 0;
}

} // namespace ImageFuzzing
