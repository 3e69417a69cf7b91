#include "display/LockedSurface.h"

#include "display/DDImage.h"
#include "display/DDInterface.h"

namespace Tolm {

std::optional<LockedSurface> LockedSurface::Of(const DDImage& image)
{
    const Platform::DDSURFACEDESC2& lock = image.lockDesc;
    const DDInterface* display = image.display;
    int depth = int(lock.pixelFormat.rgbBitCount);
    if (!lock.surface || !display || !display->redSaturation || (depth != 16 && depth != 32)) {
        return std::nullopt;
    }
    LockedSurface surface;
    std::ptrdiff_t bytesPerPixel = depth / 8;
    surface.first = static_cast<std::byte*>(lock.surface);
    surface.rowBytes = std::ptrdiff_t(lock.pitch) / bytesPerPixel * bytesPerPixel;
    surface.depth = depth;
    surface.rgbOrder = gRGBOrder.load();
    surface.red = {lock.pixelFormat.redMask, display->redBits, display->redShift, display->redSaturation->Data()};
    surface.green = {lock.pixelFormat.greenMask, display->greenBits, display->greenShift,
                     display->greenSaturation->Data()};
    surface.blue = {lock.pixelFormat.blueMask, display->blueBits, display->blueShift, display->blueSaturation->Data()};
    if (depth == 32) {
        surface.kind = SurfaceKind::Bits32;
    } else if (surface.green.mask == 0x07E0) {
        surface.kind = SurfaceKind::Spread565;
    } else if (surface.green.mask == 0x03E0) {
        surface.kind = SurfaceKind::Spread555;
    } else {
        surface.kind = SurfaceKind::Masked16;
    }
    return surface;
}

} // namespace Tolm
