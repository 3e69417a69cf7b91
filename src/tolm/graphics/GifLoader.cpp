// GIF, first image only: the colour table, the transparent index of the last graphic control extension
// before the image, interlacing, and the LZW data. Loop counts, delays and disposal are not read. A
// file whose data ends early still gives an image; what was not decoded stays 0x00000000.
#include "graphics/ImageFile.h"
#include "graphics/ImageLib.h"

#include <array>
#include <cstring>

namespace Tolm::ImageLib {

namespace {

constexpr int kMaxCodes = 4096;
constexpr int kMaxCodeBits = 12;
// Larger minimum code sizes would put the clear code past the end of the code tables.
constexpr int kMaxMinimumCodeSize = 11;
constexpr uint8_t kExtensionIntroducer = 0x21;
constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kTrailer = 0x3B;
constexpr uint8_t kGraphicControlLabel = 0xF9;

// Entries a file's table does not reach are opaque black.
using Palette = std::array<uint32_t, 256>;

Palette BlackPalette()
{
    Palette palette;
    palette.fill(0xFF000000u);
    return palette;
}

uint16_t Little16(const uint8_t* bytes)
{
    return uint16_t(bytes[0] | bytes[1] << 8);
}

// A table of 2^((flags & 7) + 1) entries, red, green, blue.
bool ReadColorTable(ImageFile& file, uint8_t flags, Palette& palette)
{
    const size_t entries = size_t(2) << (flags & 7);
    uint8_t bytes[256 * 3];
    if (!file.ReadExactly(bytes, entries * 3)) {
        return false;
    }
    palette = BlackPalette();
    for (size_t i = 0; i < entries; ++i) {
        palette[i] = 0xFF000000u | uint32_t(bytes[i * 3]) << 16 | uint32_t(bytes[i * 3 + 1]) << 8 | bytes[i * 3 + 2];
    }
    return true;
}

// Reads an extension through to its terminating empty sub-block. False when the file ends inside it.
bool ReadExtension(ImageFile& file, int& transparentIndex)
{
    const int label = file.ReadByte();
    if (label < 0) {
        return false;
    }
    bool first = true;
    for (;;) {
        const int length = file.ReadByte();
        if (length < 0) {
            return false;
        }
        if (length == 0) {
            return true;
        }
        uint8_t data[255];
        if (!file.ReadExactly(data, size_t(length))) {
            return false;
        }
        if (first && label == kGraphicControlLabel && length >= 4 && (data[0] & 1)) {
            transparentIndex = data[3];
        }
        first = false;
    }
}

// Codes of a given width, least significant bit first, out of the data sub-blocks.
class CodeReader
{
public:
    explicit CodeReader(ImageFile& file) : file(file) {}

    // The next code, or -1 once an empty sub-block or the end of the file is reached.
    int Next(int bits)
    {
        while (bitCount < bits) {
            if (blockPosition == blockLength && !NextBlock()) {
                return -1;
            }
            bitBuffer |= uint32_t(block[blockPosition++]) << bitCount;
            bitCount += 8;
        }
        const int code = int(bitBuffer & ((1u << bits) - 1));
        bitBuffer >>= bits;
        bitCount -= bits;
        return code;
    }

private:
    bool NextBlock()
    {
        const int length = file.ReadByte();
        if (length <= 0) {
            return false;
        }
        blockLength = file.Read(block, size_t(length));
        blockPosition = 0;
        return blockLength > 0;
    }

    ImageFile& file;
    uint8_t block[255];
    size_t blockLength = 0;
    size_t blockPosition = 0;
    uint32_t bitBuffer = 0;
    int bitCount = 0;
};

// Places decoded indexes row by row, in the order of the four interlace passes when asked.
class PixelWriter
{
public:
    PixelWriter(Image& image, const Palette& palette, int transparentIndex, bool interlaced)
        : image(image), palette(palette), transparentIndex(transparentIndex), interlaced(interlaced)
    {
        row = image.bits.get();
    }

    bool Full() const { return y >= image.height; }

    void Put(uint8_t index)
    {
        row[x] = index == transparentIndex ? 0 : palette[index];
        if (++x == image.width) {
            NextRow();
        }
    }

private:
    void NextRow()
    {
        static const int passStart[] = {0, 4, 2, 1};
        static const int passStep[] = {8, 8, 4, 2};
        x = 0;
        if (!interlaced) {
            ++y;
        } else {
            y += passStep[pass];
            while (y >= image.height && pass < 3) {
                ++pass;
                y = passStart[pass];
            }
        }
        if (!Full()) {
            row = image.bits.get() + size_t(y) * size_t(image.width);
        }
    }

    Image& image;
    const Palette& palette;
    int transparentIndex;
    bool interlaced;
    uint32_t* row;
    int x = 0;
    int y = 0;
    int pass = 0;
};

// LZW decoding into the writer until the end code, an impossible code, a full table, the end of the
// data or a full image.
class LzwDecoder
{
public:
    LzwDecoder(int minimumCodeSize) : clearCode(1 << minimumCodeSize), minimumCodeSize(minimumCodeSize)
    {
        for (int i = 0; i < clearCode; ++i) {
            suffix[size_t(i)] = uint8_t(i);
            prefix[size_t(i)] = 0;
        }
        Reset();
    }

    void Decode(CodeReader& codes, PixelWriter& writer)
    {
        const int endCode = clearCode + 1;
        while (!writer.Full()) {
            const int code = codes.Next(codeSize);
            if (code < 0 || code == endCode || code > nextFree) {
                return;
            }
            if (code == clearCode) {
                Reset();
                continue;
            }
            if (previous < 0) {
                // Only a single byte can start a string: the table is empty after a reset.
                if (code > clearCode) {
                    return;
                }
                writer.Put(uint8_t(code));
                previous = code;
                firstByte = uint8_t(code);
                continue;
            }
            if (nextFree == kMaxCodes) {
                return;
            }
            Output(code, writer);
            prefix[size_t(nextFree)] = uint16_t(previous);
            suffix[size_t(nextFree)] = firstByte;
            ++nextFree;
            if (nextFree >= (1 << codeSize) && codeSize < kMaxCodeBits) {
                ++codeSize;
            }
            previous = code;
        }
    }

private:
    void Reset()
    {
        codeSize = minimumCodeSize + 1;
        nextFree = clearCode + 2;
        previous = -1;
    }

    // Writes the string of a code; a code not yet in the table is the previous string followed by its
    // own first byte.
    void Output(int code, PixelWriter& writer)
    {
        size_t depth = 0;
        int walk = code;
        if (code == nextFree) {
            stack[depth++] = firstByte;
            walk = previous;
        }
        while (walk >= clearCode && depth < stack.size() - 1) {
            stack[depth++] = suffix[size_t(walk)];
            walk = prefix[size_t(walk)];
        }
        stack[depth++] = uint8_t(walk);
        firstByte = uint8_t(walk);
        while (depth > 0 && !writer.Full()) {
            writer.Put(stack[--depth]);
        }
    }

    const int clearCode;
    const int minimumCodeSize;
    int codeSize = 0;
    int nextFree = 0;
    int previous = -1;
    uint8_t firstByte = 0;
    std::array<uint16_t, kMaxCodes> prefix{};
    std::array<uint8_t, kMaxCodes> suffix{};
    std::array<uint8_t, kMaxCodes + 1> stack{};
};

bool ReadSignature(ImageFile& file)
{
    char signature[6];
    return file.ReadExactly(signature, sizeof signature) &&
           (std::memcmp(signature, "GIF87", 5) == 0 || std::memcmp(signature, "GIF89", 5) == 0);
}

// Reads blocks up to the first image descriptor. False when the file has no image.
bool FindImage(ImageFile& file, int& transparentIndex)
{
    for (;;) {
        const int block = file.ReadByte();
        if (block < 0 || block == kTrailer) {
            return false;
        }
        if (block == kImageSeparator) {
            return true;
        }
        if (block == kExtensionIntroducer && !ReadExtension(file, transparentIndex)) {
            return false;
        }
    }
}

} // namespace

std::unique_ptr<Image> LoadGIF(const std::string& fileName)
{
    ImageFile file(fileName);
    uint8_t screen[7];
    if (!file.IsOpen() || !ReadSignature(file) || !file.ReadExactly(screen, sizeof screen)) {
        return nullptr;
    }
    Palette palette = BlackPalette();
    if ((screen[4] & 0x80) && !ReadColorTable(file, screen[4], palette)) {
        return nullptr;
    }
    int transparentIndex = -1;
    uint8_t descriptor[9];
    if (!FindImage(file, transparentIndex) || !file.ReadExactly(descriptor, sizeof descriptor)) {
        return nullptr;
    }
    const uint8_t flags = descriptor[8];
    if ((flags & 0x80) && !ReadColorTable(file, flags, palette)) {
        return nullptr;
    }
    std::unique_ptr<Image> image = CreateImage(Little16(descriptor + 4), Little16(descriptor + 6));
    if (!image) {
        return nullptr;
    }
    const int minimumCodeSize = file.ReadByte();
    if (minimumCodeSize > kMaxMinimumCodeSize) {
        return nullptr;
    }
    if (minimumCodeSize >= 0) {
        CodeReader codes(file);
        PixelWriter writer(*image, palette, transparentIndex, (flags & 0x40) != 0);
        LzwDecoder(minimumCodeSize).Decode(codes, writer);
    }
    return image;
}

} // namespace Tolm::ImageLib
