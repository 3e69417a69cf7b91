// What memory images ask of the display that shows them: whether it draws in 3D and onto which image, its pixel
// format, dropping the surfaces and textures it built for an image, and copying a texture back into an
// image's pixels.
#pragma once

#include "graphics/PixelFormat.h"

namespace Tolm {

class MemoryImage;

class MemoryImageDisplay
{
public:
    virtual ~MemoryImageDisplay() = default;

    virtual bool Is3DMode() const = 0;
    // Whether the image is the surface the display draws the frame on while it draws in 3D. A display that
    // never draws in 3D has none.
    virtual bool IsCurrent3DDrawSurface(const MemoryImage&) const { return false; }
    virtual PixelFormat GetPixelFormat() const = 0;
    virtual void RemoveImageTextures(MemoryImage& image) = 0;
    // False when the image has no texture copy or the copy is older than the image's pixels.
    virtual bool ReadBackTextures(MemoryImage& image) = 0;
};

} // namespace Tolm
