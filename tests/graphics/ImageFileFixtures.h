// Image files made by the tests, apart from the loaders under test: TGA and GIF byte by byte (with a
// reference LZW encoder of our own), PNG, JPEG and JPEG 2000 through libpng, libjpeg and OpenJPEG
// directly. The expected pixels follow from how each file was made.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ImageFileFixtures {

// 0xAARRGGBB.
constexpr uint32_t Argb(uint32_t alpha, uint32_t red, uint32_t green, uint32_t blue)
{
    return alpha << 24 | red << 16 | green << 8 | blue;
}

// An 18-byte TGA header followed by the given bytes.
std::string Tga(uint8_t imageType, int width, int height, uint8_t bitsPerPixel, uint8_t descriptor,
                const std::string& body, const std::string& id = "");

// A GIF LZW stream as data sub-blocks, ended by an empty one. With clearWhenFull false the encoder
// goes on without clearing once its table is full, as some encoders do.
struct LzwStream
{
    std::string subBlocks;
    // How many indexes the codes before the table filled up cover; all of them when it never did.
    size_t indexesBeforeFullTable = 0;
};
LzwStream LzwEncode(const std::vector<uint8_t>& indexes, int minimumCodeSize, bool clearWhenFull = true);

// A GIF put together from its parts.
struct GifParts
{
    std::string signature = "GIF89a";
    int width = 0;
    int height = 0;
    // Red, green, blue; sized 2^k entries, or empty for none.
    std::vector<uint32_t> globalTable;
    // Raw blocks between the screen descriptor and the image (extensions and stray bytes).
    std::string beforeImage;
    std::vector<uint32_t> localTable;
    bool interlaced = false;
    int minimumCodeSize = 2;
    // The LZW data, sub-blocks included; filled from indexes when empty.
    std::string data;
    std::vector<uint8_t> indexes;
    std::string afterImage = ";";
};
std::string Gif(const GifParts& parts);
// A graphic control extension; transparent below 0 means none.
std::string GraphicControl(int transparentIndex);

struct PngSpec
{
    int width = 0;
    int height = 0;
    int bitDepth = 8;
    // libpng's colour types: 0 grey, 2 RGB, 3 palette, 4 grey with alpha, 6 RGBA.
    int colorType = 2;
    bool interlaced = false;
    // Red, green, blue per entry.
    std::vector<uint32_t> palette;
    std::vector<uint8_t> transparency;
    // Each row packed as the file stores it (big-endian 16-bit samples, low depths packed high bit first).
    std::vector<std::string> rows;
};
std::string Png(const PngSpec& spec);

// Samples interleaved by component, 1 (grey), 3 (RGB) or 4 (CMYK) per pixel.
std::string Jpeg(int width, int height, int components, const std::vector<uint8_t>& samples, int quality = 95);
// What libjpeg itself decodes the file to, as opaque 0xAARRGGBB words.
std::vector<uint32_t> DecodeJpegDirectly(const std::string& file);

struct J2KSpec
{
    int width = 0;
    int height = 0;
    bool boxed = true;
    int precision = 8;
    // 1 grey, 2 grey and alpha, 3 RGB or YCbCr, 4 RGBA.
    int components = 3;
    bool ycc = false;
    // Subsampling of components 1 and 2 (both directions).
    int chromaStep = 1;
    // One plane per component, each row by row at that component's own size.
    std::vector<std::vector<int>> planes;
};
// Lossless, so the decoded samples equal the planes.
std::string J2K(const J2KSpec& spec);

} // namespace ImageFileFixtures
