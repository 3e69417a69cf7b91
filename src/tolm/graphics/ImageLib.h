// Image files into plain 32-bit pixel arrays, and PNG files out of them. The one place that knows image
// file formats: TGA and GIF are decoded here, PNG, JPEG and JPEG 2000 by the codecs of the platform
// layer. Every file is read through the pak layer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace Tolm {

namespace ImageLib {

// What a loader returns: width x height 0xAARRGGBB words, top row first, each row left to right.
class Image
{
public:
    Image() = default;
    virtual ~Image() = default;
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    int width = 0;
    int height = 0;
    // Null in an empty image.
    std::unique_ptr<uint32_t[]> bits;
};

// The colour an alpha companion gets when it is loaded without its colour image, with the alpha bits
// clear. The resource manager sets it around one load; each thread has its own, so that a load on one
// thread never picks up the colour meant for another thread's load.
extern thread_local uint32_t alphaOnlyColor;

// Loads a file named with or without its extension; without one, every format is tried in turn. With
// lookForAlpha, an alpha companion ("_" before the file name, or "_" after an extension-less name)
// gives the image its alpha channel from its blue channel. Null when nothing could be loaded.
std::unique_ptr<Image> LoadImage(const std::string& fileName, bool lookForAlpha);

// The format loaders take the full name, extension included; null on any failure.
std::unique_ptr<Image> LoadTGA(const std::string& fileName);
std::unique_ptr<Image> LoadJPEG(const std::string& fileName);
std::unique_ptr<Image> LoadPNG(const std::string& fileName);
std::unique_ptr<Image> LoadGIF(const std::string& fileName);
// ".j2k" codestreams and ".jp2" files alike, through the JPEG 2000 codec library.
std::unique_ptr<Image> LoadJ2K(const std::string& fileName);

// Writes 8-bit RGBA; the old file, if any, stays until the new one is complete. False when the image
// is empty, the encoder fails or the file cannot be written.
bool WritePNG(const std::string& fileName, const Image& image);

// The largest image any loader accepts: a header claiming more is refused before anything is allocated.
constexpr int kMaxImageSide = 16384;
constexpr int64_t kMaxImagePixels = int64_t(1) << 26;

// A new image of that size with every pixel 0, or null when a side is not positive, the size passes
// the limits above or memory runs out.
std::unique_ptr<Image> CreateImage(int64_t width, int64_t height);
// The same with its pixels not written yet, for a decoder that writes every one of them: an image whose
// decoding fails is dropped, never handed out.
std::unique_ptr<Image> CreateUnwrittenImage(int64_t width, int64_t height);

} // namespace ImageLib

// Loads the JPEG 2000 codec library (once, while the application is constructed); without it JPEG 2000
// files do not load.
void LoadJ2KCodec();
// Frees the codec library, at the end of shutdown or when the loader gives it up.
void UnloadJ2KCodec();

} // namespace Tolm
