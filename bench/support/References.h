// The outside references the benchmarks measure against, wrapped once: libpng decoding a file on its
// own, and our images seen as SDL2 surfaces and pixman images over the same pixels (no copy).
#pragma once

#include "graphics/MemoryImage.h"

#include <SDL.h>
#include <cstdio>
#include <pixman.h>
#include <png.h>
#include <string>
#include <vector>

// libpng on its own: stdio input, the transformations that give 32-bit BGRA rows, the whole image, and
// its size when asked.
inline void RawPngDecode(const std::string& name, std::vector<uint32_t>& pixels, int* width = nullptr,
                         int* height = nullptr)
{
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (!file) {
        return;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_read_update_info(png, info);
    const png_uint_32 columns = png_get_image_width(png, info);
    const png_uint_32 rows = png_get_image_height(png, info);
    pixels.resize(size_t(columns) * rows);
    for (png_uint_32 y = 0; y < rows; ++y) {
        png_read_row(png, reinterpret_cast<png_bytep>(pixels.data() + size_t(y) * columns), nullptr);
    }
    if (width && height) {
        *width = int(columns);
        *height = int(rows);
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
}

inline SDL_Surface* WrapSurface(Tolm::MemoryImage& image)
{
    return SDL_CreateRGBSurfaceWithFormatFrom(image.GetBits(), image.width, image.height, 32, image.width * 4,
                                              SDL_PIXELFORMAT_ARGB8888);
}

inline pixman_image_t* WrapPixman(Tolm::MemoryImage& image)
{
    return pixman_image_create_bits(PIXMAN_a8r8g8b8, image.width, image.height, image.GetBits(), image.width * 4);
}
