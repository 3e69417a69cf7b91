// An image file open for reading through the pak layer, closed when it goes out of scope, so that every
// loader closes its file on every path. Reads are buffered: the decoders ask for a byte or a few at a
// time.
#pragma once

#include "core/PakInterface.h"
#include "graphics/ImageLib.h"
#include "platform/ByteReader.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Tolm::ImageLib {

class ImageFile : public Platform::ByteReader
{
public:
    explicit ImageFile(const std::string& name);
    ~ImageFile() override;
    ImageFile(const ImageFile&) = delete;
    ImageFile& operator=(const ImageFile&) = delete;

    bool IsOpen() const { return handle != nullptr; }

    // Up to count bytes; fewer only at the end of the file.
    size_t Read(void* buffer, size_t count) override;
    // False when the file ends first.
    bool ReadExactly(void* buffer, size_t count) { return Read(buffer, count) == count; }
    // The next byte, or -1 at the end of the file.
    int ReadByte()
    {
        if (bufferStart == bufferEnd && !Refill()) {
            return -1;
        }
        return buffer[bufferStart++];
    }
    // False when the file ends first.
    bool Skip(size_t count);
    // Moves to an absolute offset; 0 on success, as the pak layer reports it.
    int Seek(long offset);

private:
    bool Refill();
    size_t ReadDirect(void* target, size_t count);

    PakFileHandle* handle;
    uint8_t buffer[4096];
    size_t bufferStart = 0;
    size_t bufferEnd = 0;
};

// Runs one of the platform's decoders over a file: the header first, so that the size is checked before
// the pixels are allocated, then the pixels, which the decoder writes every one of unless it fails. The
// decoder is gone before the file closes.
template <typename Decoder>
std::unique_ptr<Image> DecodeFile(const std::string& fileName)
{
    ImageFile file(fileName);
    if (!file.IsOpen()) {
        return nullptr;
    }
    Decoder decoder(file);
    int width = 0;
    int height = 0;
    if (!decoder.ReadHeader(width, height)) {
        return nullptr;
    }
    std::unique_ptr<Image> image = CreateUnwrittenImage(width, height);
    if (!image || !decoder.ReadPixels(image->bits.get())) {
        return nullptr;
    }
    return image;
}

} // namespace Tolm::ImageLib
