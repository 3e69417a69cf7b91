// Truevision TGA: uncompressed true colour at 16, 24 or 32 bits, and run-length true colour at 24 or
// 32. Image type 10 alone is run-length; every other type is read as uncompressed true colour, and a
// colour map is neither read nor skipped. Rows are flipped when descriptor bit 3 is set.
#include "graphics/ImageFile.h"
#include "graphics/ImageLib.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace Tolm::ImageLib {

namespace {

constexpr uint8_t kRunLengthTrueColor = 10;
constexpr uint8_t kBottomUpBit = 0x08;

struct TgaHeader
{
    uint8_t idLength = 0;
    uint8_t imageType = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t bitsPerPixel = 0;
    uint8_t descriptor = 0;
};

uint16_t Little16(const uint8_t* bytes)
{
    return uint16_t(bytes[0] | bytes[1] << 8);
}

bool ReadHeader(ImageFile& file, TgaHeader& header)
{
    uint8_t bytes[18];
    if (!file.ReadExactly(bytes, sizeof bytes)) {
        return false;
    }
    header.idLength = bytes[0];
    // bytes[1] is the colour-map type; bytes 3-11 the colour-map description and the origin.
    header.imageType = bytes[2];
    header.width = Little16(bytes + 12);
    header.height = Little16(bytes + 14);
    header.bitsPerPixel = bytes[16];
    header.descriptor = bytes[17];
    return file.Skip(header.idLength);
}

// One stored pixel: blue, green, red and, at 32 bits, alpha.
uint32_t TrueColorPixel(const uint8_t* bytes, int pixelSize)
{
    uint32_t alpha = pixelSize == 4 ? bytes[3] : 0xFF;
    return alpha << 24 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[1]) << 8 | bytes[0];
}

// A little-endian 5-5-5 word, blue lowest; bit 15 is not alpha here.
uint32_t HighColorPixel(const uint8_t* bytes)
{
    uint32_t word = Little16(bytes);
    uint32_t blue = (word & 0x1F) << 3;
    uint32_t green = ((word >> 5) & 0x1F) << 3;
    uint32_t red = ((word >> 10) & 0x1F) << 3;
    return 0xFF000000u | red << 16 | green << 8 | blue;
}

bool ReadUncompressed(ImageFile& file, int pixelSize, Image& image)
{
    std::vector<uint8_t> row(size_t(image.width) * size_t(pixelSize));
    for (int y = 0; y < image.height; ++y) {
        if (!file.ReadExactly(row.data(), row.size())) {
            return false;
        }
        uint32_t* target = image.bits.get() + size_t(y) * size_t(image.width);
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* bytes = row.data() + size_t(x) * size_t(pixelSize);
            target[x] = pixelSize == 2 ? HighColorPixel(bytes) : TrueColorPixel(bytes, pixelSize);
        }
    }
    return true;
}

// Packets of 1 to 128 pixels; one that runs past the last pixel is cut at it.
bool ReadRunLength(ImageFile& file, int pixelSize, Image& image)
{
    const size_t total = size_t(image.width) * size_t(image.height);
    uint32_t* pixels = image.bits.get();
    uint8_t bytes[4];
    size_t written = 0;
    while (written < total) {
        int packet = file.ReadByte();
        if (packet < 0) {
            return false;
        }
        const bool run = packet >= 128;
        const size_t count = std::min<size_t>(run ? size_t(packet - 127) : size_t(packet + 1), total - written);
        if (run) {
            if (!file.ReadExactly(bytes, size_t(pixelSize))) {
                return false;
            }
            std::fill_n(pixels + written, count, TrueColorPixel(bytes, pixelSize));
            written += count;
            continue;
        }
        for (size_t i = 0; i < count; ++i) {
            if (!file.ReadExactly(bytes, size_t(pixelSize))) {
                return false;
            }
            pixels[written++] = TrueColorPixel(bytes, pixelSize);
        }
    }
    return true;
}

void FlipRows(Image& image)
{
    const size_t width = size_t(image.width);
    for (int top = 0, bottom = image.height - 1; top < bottom; ++top, --bottom) {
        std::swap_ranges(image.bits.get() + size_t(top) * width, image.bits.get() + size_t(top + 1) * width,
                         image.bits.get() + size_t(bottom) * width);
    }
}

bool DepthSupported(const TgaHeader& header)
{
    if (header.imageType == kRunLengthTrueColor) {
        return header.bitsPerPixel == 24 || header.bitsPerPixel == 32;
    }
    return header.bitsPerPixel == 16 || header.bitsPerPixel == 24 || header.bitsPerPixel == 32;
}

} // namespace

std::unique_ptr<Image> LoadTGA(const std::string& fileName)
{
    ImageFile file(fileName);
    TgaHeader header;
    if (!file.IsOpen() || !ReadHeader(file, header) || !DepthSupported(header)) {
        return nullptr;
    }
    std::unique_ptr<Image> image = CreateImage(header.width, header.height);
    if (!image) {
        return nullptr;
    }
    const int pixelSize = header.bitsPerPixel / 8;
    const bool read = header.imageType == kRunLengthTrueColor ? ReadRunLength(file, pixelSize, *image)
                                                              : ReadUncompressed(file, pixelSize, *image);
    if (!read) {
        return nullptr;
    }
    if (header.descriptor & kBottomUpBit) {
        FlipRows(*image);
    }
    return image;
}

} // namespace Tolm::ImageLib
