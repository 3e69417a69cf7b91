// Name resolution, loader order and alpha companions.
#include "graphics/ImageLib.h"

#include "core/StringUtils.h"

#include <algorithm>
#include <new>

namespace Tolm::ImageLib {

thread_local uint32_t alphaOnlyColor = 0x00FFFFFF;

namespace {

using Loader = std::unique_ptr<Image> (*)(const std::string&);

struct Format
{
    const char* extension;
    Loader load;
};

// The order the loaders are tried in when a name has no extension.
const Format kFormats[] = {
    {".tga", LoadTGA}, {".jpg", LoadJPEG}, {".png", LoadPNG}, {".gif", LoadGIF}, {".j2k", LoadJ2K}, {".jp2", LoadJ2K},
};

// Position of the last '/' or '\', or -1.
long LastSeparator(const std::string& name)
{
    size_t slash = name.rfind('/');
    size_t backslash = name.rfind('\\');
    long last = -1;
    if (slash != std::string::npos) {
        last = long(slash);
    }
    if (backslash != std::string::npos && long(backslash) > last) {
        last = long(backslash);
    }
    return last;
}

std::unique_ptr<Image> LoadColorImage(const std::string& fileName)
{
    size_t dotAt = fileName.rfind('.');
    long dot = dotAt == std::string::npos ? -1 : long(dotAt);
    std::string base = fileName;
    std::string extension;
    if (dot > LastSeparator(fileName)) {
        base = fileName.substr(0, size_t(dot));
        extension = StringToLower(fileName.substr(size_t(dot)));
    }
    for (const Format& format : kFormats) {
        if (!extension.empty() && extension != format.extension) {
            continue;
        }
        if (std::unique_ptr<Image> image = format.load(base + format.extension)) {
            return image;
        }
    }
    return nullptr;
}

std::unique_ptr<Image> LoadCompanion(const std::string& fileName)
{
    size_t filePart = size_t(LastSeparator(fileName) + 1);
    std::string before = fileName.substr(0, filePart) + "_" + fileName.substr(filePart);
    if (std::unique_ptr<Image> companion = LoadImage(before, false)) {
        return companion;
    }
    return LoadImage(fileName + "_", false);
}

// The companion's blue channel becomes the image's alpha, when the two are the same size.
void MergeAlpha(Image& image, const Image& companion)
{
    if (image.width != companion.width || image.height != companion.height) {
        return;
    }
    const size_t count = size_t(image.width) * size_t(image.height);
    for (size_t i = 0; i < count; ++i) {
        image.bits[i] = (image.bits[i] & 0x00FFFFFF) | (companion.bits[i] << 24);
    }
}

// A companion standing alone: its blue channel is the alpha of the alpha-only colour.
void MakeAlphaOnly(Image& companion)
{
    const size_t count = size_t(companion.width) * size_t(companion.height);
    for (size_t i = 0; i < count; ++i) {
        companion.bits[i] = (companion.bits[i] << 24) | alphaOnlyColor;
    }
}

} // namespace

std::unique_ptr<Image> LoadImage(const std::string& fileName, bool lookForAlpha)
{
    std::unique_ptr<Image> image = LoadColorImage(fileName);
    if (!lookForAlpha) {
        return image;
    }
    std::unique_ptr<Image> companion = LoadCompanion(fileName);
    if (!companion) {
        return image;
    }
    if (!image) {
        MakeAlphaOnly(*companion);
        return companion;
    }
    MergeAlpha(*image, *companion);
    return image;
}

std::unique_ptr<Image> CreateUnwrittenImage(int64_t width, int64_t height)
{
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide ||
        width * height > kMaxImagePixels) {
        return nullptr;
    }
    auto image = std::make_unique<Image>();
    image->bits.reset(new (std::nothrow) uint32_t[size_t(width * height)]);
    if (!image->bits) {
        return nullptr;
    }
    image->width = int(width);
    image->height = int(height);
    return image;
}

std::unique_ptr<Image> CreateImage(int64_t width, int64_t height)
{
    std::unique_ptr<Image> image = CreateUnwrittenImage(width, height);
    if (image) {
        std::fill_n(image->bits.get(), size_t(width * height), 0u);
    }
    return image;
}

} // namespace Tolm::ImageLib
