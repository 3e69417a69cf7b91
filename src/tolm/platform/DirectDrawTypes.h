// The values and records of our DirectDraw stand-in, named as the display code calls them: surface
// descriptions, pixel formats, colour keys, rectangles, and the flags of each call. The flag values
// the blits pass are those the system has always used (DDBLT_WAIT 0x1000000, DDBLT_KEYSRC 0x8000).
#pragma once

#include "platform/DirectXResults.h"

#include <cstdint>

namespace Platform {

// A rectangle by its edges: right and bottom lie just outside it.
struct RECT
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

inline void OffsetRect(RECT* rect, int32_t dx, int32_t dy)
{
    rect->left += dx;
    rect->right += dx;
    rect->top += dy;
    rect->bottom += dy;
}

// What a surface's pixels hold: bits per pixel and the channel masks (a palette index for 8 bits).
struct DDPIXELFORMAT
{
    uint32_t size = sizeof(DDPIXELFORMAT);
    uint32_t flags = 0;
    uint32_t fourCC = 0;
    uint32_t rgbBitCount = 0;
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    uint32_t alphaMask = 0;
};
static_assert(sizeof(DDPIXELFORMAT) == 32);

// Pixel values from low to high, both included.
struct DDCOLORKEY
{
    uint32_t low = 0;
    uint32_t high = 0;
};

struct DDSCAPS2
{
    uint32_t caps = 0;
    uint32_t caps2 = 0;
};

// A surface as asked for and as reported; flags (DDSD_) tell which fields count.
struct DDSURFACEDESC2
{
    uint32_t size = sizeof(DDSURFACEDESC2);
    uint32_t flags = 0;
    uint32_t height = 0;
    uint32_t width = 0;
    // Bytes from one row to the next.
    int32_t pitch = 0;
    uint32_t backBufferCount = 0;
    // The first pixel, while locked.
    void* surface = nullptr;
    DDCOLORKEY sourceColorKey;
    DDPIXELFORMAT pixelFormat;
    DDSCAPS2 caps;
};
// The older description carries nothing the newer one lacks.
using DDSURFACEDESC = DDSURFACEDESC2;

// Effects of a blit; none is used, only the record's size is given.
struct DDBLTFX
{
    uint32_t size = sizeof(DDBLTFX);
};

struct PALETTEENTRY
{
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t flags = 0;
};

// The interfaces an object can be asked for.
enum InterfaceId
{
    IID_IDirectDraw,
    IID_IDirectDraw7,
    IID_IDirectDrawSurface,
    IID_IDirectDrawSurface7,
    IID_IDirect3D7,
    IID_IDirect3DHALDevice,
};

// Which fields of a surface description count.
constexpr uint32_t DDSD_CAPS = 0x1;
constexpr uint32_t DDSD_HEIGHT = 0x2;
constexpr uint32_t DDSD_WIDTH = 0x4;
constexpr uint32_t DDSD_PITCH = 0x8;
constexpr uint32_t DDSD_BACKBUFFERCOUNT = 0x20;
constexpr uint32_t DDSD_LPSURFACE = 0x800;
constexpr uint32_t DDSD_PIXELFORMAT = 0x1000;
constexpr uint32_t DDSD_CKSRCBLT = 0x10000;

constexpr uint32_t DDSCAPS_BACKBUFFER = 0x4;
constexpr uint32_t DDSCAPS_COMPLEX = 0x8;
constexpr uint32_t DDSCAPS_FLIP = 0x10;
constexpr uint32_t DDSCAPS_OFFSCREENPLAIN = 0x40;
constexpr uint32_t DDSCAPS_PRIMARYSURFACE = 0x200;
constexpr uint32_t DDSCAPS_SYSTEMMEMORY = 0x800;
constexpr uint32_t DDSCAPS_TEXTURE = 0x1000;
constexpr uint32_t DDSCAPS_3DDEVICE = 0x2000;
constexpr uint32_t DDSCAPS_VIDEOMEMORY = 0x4000;
constexpr uint32_t DDSCAPS2_TEXTUREMANAGE = 0x10;
constexpr uint32_t DDSCAPS2_D3DTEXTUREMANAGE = 0x20000;

constexpr uint32_t DDSCL_FULLSCREEN = 0x1;
constexpr uint32_t DDSCL_NORMAL = 0x8;
constexpr uint32_t DDSCL_EXCLUSIVE = 0x10;

constexpr uint32_t DDLOCK_WAIT = 0x1;
constexpr uint32_t DDLOCK_READONLY = 0x10;
constexpr uint32_t DDLOCK_WRITEONLY = 0x20;

constexpr uint32_t DDBLT_KEYSRC = 0x8000;
constexpr uint32_t DDBLT_WAIT = 0x1000000;

constexpr uint32_t DDFLIP_WAIT = 0x1;

constexpr uint32_t DDCKEY_SRCBLT = 0x8;

constexpr uint32_t DDPF_ALPHAPIXELS = 0x1;
constexpr uint32_t DDPF_PALETTEINDEXED8 = 0x20;
constexpr uint32_t DDPF_RGB = 0x40;

constexpr uint32_t DDPCAPS_8BIT = 0x4;
constexpr uint32_t DDPCAPS_ALLOW256 = 0x40;
constexpr uint32_t DDPCAPS_ALPHA = 0x400;

} // namespace Platform
