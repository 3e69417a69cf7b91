// Surface images: the surface's life, the counted lock, the conversion into the display's layout with
// its colour key, the read-back, the overrides of the memory image's storage and the routing of the
// unscaled draws. The drawing straight into the locked surface is in the Surface*.cpp files.
#include "display/DDImage.h"

#include "app/TolmAppBase.h"
#include "display/D3DInterface.h"
#include "display/DDInterface.h"
#include "graphics/MemoryImageRegistry.h"
#include "graphics/SoftwareDraw.h"

#include <algorithm>
#include <bit>
#include <optional>
#include <vector>

namespace Tolm {

using namespace Platform;

namespace {

// A 32-bit pixel in the surface's layout: each channel's top bits, by the display's widths and
// positions, kept to the surface's masks.
uint32_t ToSurfaceValue(uint32_t pixel, const NativeDisplay& layout, const DDPIXELFORMAT& format)
{
    return ((pixel >> (8 - layout.blueBits)) << layout.blueShift & format.blueMask) |
           ((pixel >> (16 - layout.greenBits)) << layout.greenShift & format.greenMask) |
           ((pixel >> (24 - layout.redBits)) << layout.redShift & format.redMask);
}

// Back to 32 bits, opaque; the channels' low bits stay 0 (a 5-bit 31 reads 248).
uint32_t FromSurfaceValue(uint32_t value, const NativeDisplay& layout)
{
    uint32_t red = ((value >> layout.redShift) << (8 - layout.redBits)) & 0xFF;
    uint32_t green = ((value >> layout.greenShift) << (8 - layout.greenBits)) & 0xFF;
    uint32_t blue = ((value >> layout.blueShift) << (8 - layout.blueBits)) & 0xFF;
    return 0xFF000000 | red << 16 | green << 8 | blue;
}

bool IsOpaque(uint32_t pixel)
{
    return pixel >> 24 == 255;
}

// The lowest value of the key's width that no visible pixel converts to; none when every one is taken.
// The bit set is 8 KB for 16-bit keys and 2 MB for 24-bit ones, and lives only for the search.
template <typename Convert>
std::optional<uint32_t> FindFreeKey(const uint32_t* pixels, std::size_t count, int keyBits, Convert convert)
{
    std::vector<uint64_t> taken((std::size_t(1) << keyBits) / 64);
    uint32_t keyMask = (uint32_t(1) << keyBits) - 1;
    for (std::size_t i = 0; i < count; ++i) {
        if (pixels[i] >> 24 != 0) {
            uint32_t value = convert(pixels[i]) & keyMask;
            taken[value / 64] |= uint64_t(1) << (value % 64);
        }
    }
    for (std::size_t word = 0; word < taken.size(); ++word) {
        if (~taken[word] != 0) {
            return uint32_t(word * 64 + std::size_t(std::countr_one(taken[word])));
        }
    }
    return std::nullopt;
}

// The key the image's clear pixels get: first the first clear pixel's own value, then, when an opaque
// pixel would be taken for a clear one, a value no visible pixel has.
template <typename Convert>
std::optional<uint32_t> ChooseKey(const uint32_t* pixels, std::size_t count, uint32_t firstKey, int keyBits,
                                  Convert convert)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (IsOpaque(pixels[i]) && convert(pixels[i]) == firstKey) {
            return FindFreeKey(pixels, count, keyBits, convert);
        }
    }
    return firstKey;
}

} // namespace

DDImage::DDImage(DDInterface* owner) : display(owner)
{
    if (display) {
        display->AddImage(this);
    }
}

DDImage::DDImage() : DDImage(gTolmApp ? gTolmApp->display.get() : nullptr) {}

DDImage::~DDImage()
{
    LetGoOfSurface();
    if (display) {
        display->RemoveImage(this);
    }
}

void DDImage::ForgetDisplay()
{
    ReleaseSurface();
    display = nullptr;
}

bool DDImage::IsOn3DTarget() const
{
    return display && display->IsDrawSurface3D(surface);
}

D3DInterface& DDImage::Display3D() const
{
    return *display->d3d;
}

bool DDImage::DrawsInMemory()
{
    UpdateAlphaFlags();
    return !display || hasPartialAlpha || hasTransparency || display->is3D;
}

void DDImage::AttachSurface(IDirectDrawSurface* newSurface)
{
    LetGoOfSurface();
    DiscardMemoryCopies();
    attached = true;
    surface = newSurface;
    if (!surface) {
        return;
    }
    surface->AddRef();
    DDSURFACEDESC2 desc;
    surface->GetSurfaceDesc(&desc);
    width = int(desc.width);
    height = int(desc.height);
    noReadBack = false;
}

// Nothing is read back: whoever drops the surface this way has a newer copy or wants none.
void DDImage::LetGoOfSurface()
{
    if (!surface) {
        return;
    }
    if (surfaceLocked) {
        surface->Unlock(nullptr);
        surfaceLocked = false;
    }
    lockDesc.surface = nullptr;
    surface->Release();
    surface = nullptr;
}

bool DDImage::CreateSurface()
{
    if (surface) {
        return true;
    }
    if (!display) {
        return false;
    }
    UpdateAlphaFlags();
    if (hasPartialAlpha) {
        return false;
    }
    surfaceWanted = true;
    const uint32_t* pixels = GetBits();
    if (!pixels) {
        return false;
    }
    DDSURFACEDESC2 desc;
    desc.flags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.width = uint32_t(width);
    desc.height = uint32_t(height);
    desc.caps.caps = DDSCAPS_OFFSCREENPLAIN | (videoMemory ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY);
    CriticalSectionGuard guard(display->displayLock);
    if (Failed(display->CreateSurface(&desc, &surface))) {
        surface = nullptr;
        return false;
    }
    // A surface that cannot be filled would show garbage: it goes again.
    if (!LockSurface()) {
        LetGoOfSurface();
        return false;
    }
    bool converted = ConvertIntoSurface(pixels);
    UnlockSurface();
    if (!converted) {
        LetGoOfSurface();
    }
    return converted;
}

// False when the image's clear pixels can be told from its opaque ones by no key: the image then keeps
// its pixels in memory, where the software renderer draws it exactly.
bool DDImage::ConvertIntoSurface(const uint32_t* pixels)
{
    auto* rows = static_cast<uint8_t*>(lockDesc.surface);
    if (!rows) {
        return false;
    }
    const NativeDisplay& layout = *display;
    const DDPIXELFORMAT format = lockDesc.pixelFormat;
    auto convert = [&layout, &format](uint32_t pixel) { return ToSurfaceValue(pixel, layout, format); };
    std::size_t count = GetPixelCount();
    const uint32_t* firstClear = std::find_if(pixels, pixels + count, [](uint32_t p) { return !IsOpaque(p); });
    bool sixteen = format.rgbBitCount == 16;
    uint32_t firstKey = firstClear == pixels + count ? 0 : sixteen ? convert(*firstClear) : *firstClear;
    std::optional<uint32_t> key = firstKey;
    if (hasTransparency) {
        key = ChooseKey(pixels, count, firstKey, sixteen ? 16 : 24, convert);
        if (!key) {
            return false;
        }
    }
    for (int y = 0; y < height; ++y) {
        const uint32_t* in = pixels + std::size_t(y) * std::size_t(width);
        uint8_t* out = rows + std::ptrdiff_t(y) * lockDesc.pitch;
        for (int x = 0; x < width; ++x) {
            uint32_t value = !hasTransparency || IsOpaque(in[x]) ? convert(in[x]) : *key;
            if (sixteen) {
                reinterpret_cast<uint16_t*>(out)[x] = uint16_t(value);
            } else {
                reinterpret_cast<uint32_t*>(out)[x] = value;
            }
        }
    }
    if (hasTransparency) {
        DDCOLORKEY colourKey{*key, *key};
        surface->SetColorKey(DDCKEY_SRCBLT, &colourKey);
    }
    return true;
}

IDirectDrawSurface* DDImage::GetSurface()
{
    if (!surface) {
        CreateSurface();
    }
    return surface;
}

void DDImage::ReleaseSurface()
{
    if (!surface) {
        return;
    }
    if (!colorTable && !bits && !textureData) {
        GetBits();
    }
    LetGoOfSurface();
}

void DDImage::SetVideoMemory(bool on)
{
    if (videoMemory == on) {
        return;
    }
    videoMemory = on;
    GetBits();
    ReleaseSurface();
}

bool DDImage::PrepareSurface()
{
    return CreateSurface() && noReadBack;
}

void DDImage::DiscardMemoryCopies()
{
    bits.reset();
    FreePalette();
    nativeBits.reset();
    alphaRuns.reset();
    additiveRuns.reset();
}

bool DDImage::LockSurface()
{
    if (IsOn3DTarget()) {
        return false;
    }
    if (!surfaceLocked) {
        if (lockCount == 0) {
            lockDesc = DDSURFACEDESC2();
        }
        if (!surface && !CreateSurface()) {
            return false;
        }
    }
    // Making the surface may have locked it for an outer lock already.
    if (!surfaceLocked) {
        if (Failed(surface->Lock(nullptr, &lockDesc, DDLOCK_WAIT))) {
            lockDesc.surface = nullptr;
            return false;
        }
        surfaceLocked = true;
    }
    ++lockCount;
    return true;
}

bool DDImage::UnlockSurface()
{
    if (IsOn3DTarget() || lockCount == 0) {
        return false;
    }
    if (--lockCount == 0 && surfaceLocked) {
        surface->Unlock(nullptr);
        surfaceLocked = false;
        lockDesc.surface = nullptr;
    }
    return true;
}

void DDImage::PauseSurfaceLock()
{
    if (surfaceLocked) {
        surface->Unlock(nullptr);
        surfaceLocked = false;
        lockDesc.surface = nullptr;
    }
}

void DDImage::ResumeSurfaceLock()
{
    if (lockCount == 0 || surfaceLocked || !surface) {
        return;
    }
    if (Failed(surface->Lock(nullptr, &lockDesc, DDLOCK_WAIT))) {
        lockDesc.surface = nullptr;
        return;
    }
    surfaceLocked = true;
}

void DDImage::ReadSurfaceArea(const Rect& area, uint32_t* out) const
{
    const auto* rows = static_cast<const uint8_t*>(lockDesc.surface);
    bool sixteen = lockDesc.pixelFormat.rgbBitCount == 16;
    for (int y = 0; y < area.height; ++y) {
        const uint8_t* row = rows + std::ptrdiff_t(area.y + y) * lockDesc.pitch;
        for (int x = 0; x < area.width; ++x) {
            int column = area.x + x;
            uint32_t value = sixteen ? reinterpret_cast<const uint16_t*>(row)[column]
                                     : reinterpret_cast<const uint32_t*>(row)[column];
            out[std::size_t(y) * std::size_t(area.width) + std::size_t(x)] = FromSurfaceValue(value, *display);
        }
    }
}

uint32_t* DDImage::GetBits()
{
    // The 3D target is never locked for drawing, and what Direct3D drew since the last read is newer than
    // any copy: every read takes the picture afresh.
    if (IsOn3DTarget()) {
        if (Failed(surface->Lock(nullptr, &lockDesc, DDLOCK_WAIT | DDLOCK_READONLY))) {
            lockDesc = DDSURFACEDESC2();
            return nullptr;
        }
        if (bits || AllocateBits()) {
            ReadSurfaceArea(Rect(0, 0, width, height), bits.get());
        }
        surface->Unlock(nullptr);
        lockDesc = DDSURFACEDESC2();
        return bits.get();
    }
    if (bits) {
        return bits.get();
    }
    if (!surface) {
        return MemoryImage::GetBits();
    }
    if (noReadBack || !LockSurface()) {
        return nullptr;
    }
    if (lockDesc.surface && AllocateBits()) {
        ReadSurfaceArea(Rect(0, 0, width, height), bits.get());
    }
    UnlockSurface();
    return bits.get();
}

void DDImage::Create(int newWidth, int newHeight)
{
    bits.reset();
    // A palette of the old size would be read as one of the new size.
    FreePalette();
    if (!attached) {
        LetGoOfSurface();
    }
    width = std::max(newWidth, 0);
    height = std::max(newHeight, 0);
    NoteBitsChanged();
}

// Changed memory pixels are newer than the surface, which goes. Without memory pixels the change was made
// in the surface itself, the only copy of the picture: it stays.
void DDImage::NoteBitsChanged()
{
    MemoryImage::NoteBitsChanged();
    if (!attached && (bits || colorIndices)) {
        LetGoOfSurface();
    }
}

void DDImage::UpdateAlphaFlags()
{
    if (!surface) {
        MemoryImage::UpdateAlphaFlags();
    }
}

void DDImage::ReleaseBits()
{
    if (attached) {
        return;
    }
    bitsReleased = true;
    UpdateAlphaFlags();
    if (registry->Is3DMode()) {
        if (surface) {
            GetBits();
            LetGoOfSurface();
        }
        MemoryImage::ReleaseBits();
        return;
    }
    if (surfaceWanted && CreateSurface()) {
        bits.reset();
        FreePalette();
        return;
    }
    MemoryImage::ReleaseBits();
}

void DDImage::Restore()
{
    if (usePalette) {
        ConvertToPalette();
    }
    if (bitsReleased) {
        ReleaseBits();
    }
    if (surfaceWanted) {
        CreateSurface();
    }
}

void DDImage::FreeDerivedBuffers()
{
    if (attached) {
        return;
    }
    FreeSoftwareBuffers();
    FreeTexture();
    ReleaseSurface();
}

void DDImage::FreeNativeBits()
{
    if (attached) {
        return;
    }
    if (!bits && !colorIndices) {
        GetBits();
    }
    nativeBits.reset();
    additiveRuns.reset();
    ReleaseSurface();
}

bool DDImage::ConvertToPalette()
{
    if (!MemoryImage::ConvertToPalette()) {
        return false;
    }
    ReleaseSurface();
    return true;
}

bool DDImage::FillPolygonAccelerated(const int* pointCoords, int pointCount, const Rect& clipRect, const Color& color,
                                     int drawMode, int offsetX, int offsetY)
{
    if (!IsOn3DTarget()) {
        return false;
    }
    Display3D().FillPolygon(pointCoords, pointCount, &clipRect, color, drawMode, offsetX, offsetY);
    return true;
}

void DDImage::FillRect(const Rect& rect, const Color& color, int drawMode)
{
    if (IsOn3DTarget()) {
        Display3D().FillRect(rect, color, drawMode);
        return;
    }
    if (DrawsInMemory()) {
        MemoryImage::FillRect(rect, color, drawMode);
        return;
    }
    if (drawMode == 0) {
        FillRectNormal(rect, color);
    } else if (drawMode == 1) {
        FillRectAdditive(rect, color);
    }
    DiscardMemoryCopies();
}

namespace {

// A horizontal or vertical line as the one-pixel-wide rectangle it covers, its ends truncated toward zero
// and kept to the int range.
std::optional<Rect> LineAsRect(double x1, double y1, double x2, double y2)
{
    if (y1 == y2) {
        int left = TruncToInt(std::min(x1, x2));
        return Rect(left, TruncToInt(y1), FillLength(left, TruncToInt(std::max(x1, x2))), 1);
    }
    if (x1 == x2) {
        int top = TruncToInt(std::min(y1, y2));
        return Rect(TruncToInt(x1), top, 1, FillLength(top, TruncToInt(std::max(y1, y2))));
    }
    return std::nullopt;
}

} // namespace

void DDImage::DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    if (IsOn3DTarget()) {
        Display3D().DrawLine(x1, y1, x2, y2, color, drawMode);
        return;
    }
    if (DrawsInMemory()) {
        MemoryImage::DrawLine(x1, y1, x2, y2, color, drawMode);
        return;
    }
    if (std::optional<Rect> straight = LineAsRect(x1, y1, x2, y2)) {
        FillRect(*straight, color, drawMode);
        return;
    }
    if (drawMode == 0) {
        DrawLineNormal(x1, y1, x2, y2, color);
    } else if (drawMode == 1) {
        DrawLineAdditive(x1, y1, x2, y2, color);
    }
    DiscardMemoryCopies();
}

// The 3D path has no anti-aliased line.
void DDImage::DrawLineSmooth(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    if (IsOn3DTarget()) {
        Display3D().DrawLine(x1, y1, x2, y2, color, drawMode);
        return;
    }
    if (DrawsInMemory()) {
        MemoryImage::DrawLineSmooth(x1, y1, x2, y2, color, drawMode);
        return;
    }
    if (std::optional<Rect> straight = LineAsRect(x1, y1, x2, y2)) {
        FillRect(*straight, color, drawMode);
        return;
    }
    if (drawMode == 0) {
        DrawLineAntiAliasedNormal(x1, y1, x2, y2, color);
    } else if (drawMode == 1) {
        DrawLineAntiAliasedAdditive(x1, y1, x2, y2, color);
    }
    DiscardMemoryCopies();
}

void DDImage::Blit(Image* source, int x, int y, const Rect& sourceRect, const Color& color, int drawMode)
{
    UpdateAlphaFlags();
    if (IsOn3DTarget()) {
        auto* memorySource = dynamic_cast<MemoryImage*>(source);
        if (memorySource && !BlitSurfaceOn3DTarget(source, x, y, sourceRect, color, drawMode)) {
            Display3D().Blit(*memorySource, float(x), float(y), sourceRect, color, drawMode, false);
        }
        return;
    }
    bool cursorArea =
        display && (this == display->oldCursorAreaImage.get() || this == display->newCursorAreaImage.get());
    if (!display || hasPartialAlpha || hasTransparency || (display->is3D && !cursorArea)) {
        MemoryImage::Blit(source, x, y, sourceRect, color, drawMode);
        return;
    }
    if (drawMode == 0) {
        BlitNormal(source, x, y, sourceRect, color);
    } else if (drawMode == 1) {
        BlitAdditive(source, x, y, sourceRect, color);
    }
    DiscardMemoryCopies();
}

bool DDImage::BlitSurfaceOn3DTarget(Image* source, int x, int y, const Rect& sourceRect, const Color& color,
                                    int drawMode)
{
    auto* surfaceSource = dynamic_cast<DDImage*>(source);
    if (!surfaceSource || drawMode != DrawModeNormal || !ColorEquals(color, Color::White)) {
        return false;
    }
    surfaceSource->UpdateAlphaFlags();
    if (surfaceSource->hasPartialAlpha) {
        return false;
    }
    IDirectDrawSurface* sourceSurface = surfaceSource->GetSurface();
    if (!sourceSurface) {
        return false;
    }
    RECT to{x, y, x + sourceRect.width, y + sourceRect.height};
    RECT from{sourceRect.x, sourceRect.y, sourceRect.x + sourceRect.width, sourceRect.y + sourceRect.height};
    uint32_t flags = DDBLT_WAIT | (surfaceSource->hasTransparency ? DDBLT_KEYSRC : 0);
    surface->Blt(&to, sourceSurface, &from, flags, nullptr);
    return true;
}

void DDImage::BlitF(Image* source, float x, float y, const Rect& sourceRect, const Rect& clipRect, const Color& color,
                    int drawMode)
{
    if (IsOn3DTarget()) {
        auto* memorySource = dynamic_cast<MemoryImage*>(source);
        RectD area(double(x), double(y), sourceRect.width, sourceRect.height);
        RectD visible = area.Intersect(RectD(clipRect.x, clipRect.y, clipRect.width, clipRect.height));
        if (!memorySource || visible.width <= 0 || visible.height <= 0) {
            return;
        }
        if (visible == area) {
            Display3D().Blit(*memorySource, x, y, sourceRect, color, drawMode, true);
        } else {
            Display3D().BlitClipped(*memorySource, x, y, sourceRect, clipRect, color, drawMode);
        }
        return;
    }
    BlitRotated(source, x, y, sourceRect, clipRect, color, drawMode, 0.0, 0.0f, 0.0f);
}

bool DDImage::ClipStretchMirror(const Rect& sourceRect, const Rect& clipRect, const Rect& destRect, RectD& source,
                                Rect& clippedDest)
{
    clippedDest = destRect.Intersection(clipRect);
    double scaleX = double(sourceRect.width) / double(destRect.width);
    double scaleY = double(sourceRect.height) / double(destRect.height);
    source.x = double(destRect.x + destRect.width - clippedDest.width - clippedDest.x) * scaleX + sourceRect.x;
    source.y = double(clippedDest.y - destRect.y) * scaleY + sourceRect.y;
    source.width = sourceRect.width + scaleX * double(clippedDest.width - destRect.width);
    source.height = sourceRect.height + scaleY * double(clippedDest.height - destRect.height);
    return source.width > 0 && source.height > 0;
}

} // namespace Tolm
