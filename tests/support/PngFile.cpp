#include "support/PngFile.h"

#include <cstdio>
#include <memory>
#include <png.h>

namespace PngFile {

namespace {

struct FileCloser
{
    void operator()(FILE* file) const { std::fclose(file); }
};

using File = std::unique_ptr<FILE, FileCloser>;

std::vector<png_byte> ToRgba(const uint32_t* pixels, std::size_t count)
{
    std::vector<png_byte> bytes(count * 4);
    for (std::size_t i = 0; i < count; ++i) {
        uint32_t p = pixels[i];
        bytes[i * 4 + 0] = png_byte(p >> 16);
        bytes[i * 4 + 1] = png_byte(p >> 8);
        bytes[i * 4 + 2] = png_byte(p);
        bytes[i * 4 + 3] = png_byte(p >> 24);
    }
    return bytes;
}

// libpng reports errors by a long jump back here; nothing with a destructor lives in this frame.
bool WriteRows(FILE* file, int width, int height, png_bytep* rows)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool ReadRows(FILE* file, int& width, int& height, std::vector<png_byte>& bytes)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    if (png_get_color_type(png, info) != PNG_COLOR_TYPE_RGB_ALPHA || png_get_bit_depth(png, info) != 8) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    width = int(png_get_image_width(png, info));
    height = int(png_get_image_height(png, info));
    bytes.resize(std::size_t(width) * std::size_t(height) * 4);
    for (int y = 0; y < height; ++y) {
        png_read_row(png, bytes.data() + std::size_t(y) * std::size_t(width) * 4, nullptr);
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

} // namespace

bool Write(const std::string& path, int width, int height, const uint32_t* pixels)
{
    File file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        return false;
    }
    std::vector<png_byte> bytes = ToRgba(pixels, std::size_t(width) * std::size_t(height));
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        rows[std::size_t(y)] = bytes.data() + std::size_t(y) * std::size_t(width) * 4;
    }
    return WriteRows(file.get(), width, height, rows.data());
}

bool Read(const std::string& path, int& width, int& height, std::vector<uint32_t>& pixels)
{
    File file(std::fopen(path.c_str(), "rb"));
    std::vector<png_byte> bytes;
    if (!file || !ReadRows(file.get(), width, height, bytes)) {
        return false;
    }
    pixels.resize(bytes.size() / 4);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = (uint32_t(bytes[i * 4 + 3]) << 24) | (uint32_t(bytes[i * 4]) << 16) |
                    (uint32_t(bytes[i * 4 + 1]) << 8) | uint32_t(bytes[i * 4 + 2]);
    }
    return true;
}

} // namespace PngFile
