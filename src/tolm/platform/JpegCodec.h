// JPEG files through libjpeg, read in blocks of 4096 bytes. Grey images and colour images (three
// output components) become opaque 0xAARRGGBB words; any other component count is refused.
#pragma once

#include "platform/ByteReader.h"

#include <cstdint>
#include <memory>

namespace Platform {

class JpegDecoder
{
public:
    explicit JpegDecoder(ByteReader& reader);
    ~JpegDecoder();
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    // Reads the markers up to the image data; false on any library error.
    bool ReadHeader(int& width, int& height);
    // Decodes every row, top row first, into width x height words; false on any library error.
    bool ReadPixels(uint32_t* pixels);

private:
    struct State;
    std::unique_ptr<State> state;
};

} // namespace Platform
