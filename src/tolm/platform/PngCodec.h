// PNG files through libpng. Decoded rows arrive as 0xAARRGGBB words whatever the file holds:
// palettes, grey, transparency chunks and 16-bit samples are all brought to 8-bit BGRA, and
// interlaced files are put together before a row is handed out.
#pragma once

#include "platform/ByteReader.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Platform {

class PngDecoder
{
public:
    explicit PngDecoder(ByteReader& reader);
    ~PngDecoder();
    PngDecoder(const PngDecoder&) = delete;
    PngDecoder& operator=(const PngDecoder&) = delete;

    // Reads the chunks before the image data; false on any library error, a short read included.
    bool ReadHeader(int& width, int& height);
    // Reads every row, top row first, into width x height words; false on any library error.
    bool ReadPixels(uint32_t* pixels);

private:
    struct State;
    std::unique_ptr<State> state;
};

// The whole file for width x height 0xAARRGGBB words: 8-bit RGBA, not interlaced. False when the
// library fails.
bool EncodePng(const uint32_t* pixels, int width, int height, std::vector<uint8_t>& file);

} // namespace Platform
