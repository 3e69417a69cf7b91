#include "graphics/MemoryImage.h"

#include "graphics/ExactPalette.h"
#include "graphics/MemoryImageRegistry.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace Tolm {

namespace {

enum AlphaClass : uint8_t
{
    AlphaClear,
    AlphaOpaque,
    AlphaPartial,
};

AlphaClass ClassOfAlpha(uint32_t pixel)
{
    uint32_t alpha = pixel >> 24;
    return alpha == 0 ? AlphaClear : alpha == 255 ? AlphaOpaque : AlphaPartial;
}

// Each byte holds the number of pixels from its pixel to the end of its run of one class within the row,
// capped at 255, so that a reader may start at any pixel.
template <typename ClassOf>
std::unique_ptr<uint8_t[]> BuildRuns(int width, int height, ClassOf classOf)
{
    std::unique_ptr<uint8_t[]> runs(new (std::nothrow) uint8_t[std::size_t(width) * std::size_t(height)]);
    if (!runs) {
        return runs;
    }
    for (int y = 0; y < height; ++y) {
        std::size_t rowStart = std::size_t(y) * std::size_t(width);
        int runLength = 0;
        int runClass = -1;
        for (int x = width - 1; x >= 0; --x) {
            int pixelClass = classOf(rowStart + std::size_t(x));
            runLength = pixelClass == runClass ? runLength + 1 : 1;
            runClass = pixelClass;
            runs[rowStart + std::size_t(x)] = uint8_t(std::min(runLength, 255));
        }
    }
    return runs;
}

} // namespace

MemoryImage::MemoryImage() : MemoryImage(MemoryImageRegistry::Instance()) {}

MemoryImage::MemoryImage(MemoryImageRegistry& owner) : registry(&owner)
{
    registry->AddMemoryImage(this);
}

MemoryImage::~MemoryImage()
{
    registry->RemoveMemoryImage(this);
}

// The pixels are left unwritten: every caller fills them all.
bool MemoryImage::AllocateBits()
{
    bits.reset(new (std::nothrow) uint32_t[GetPixelCount() + 1]);
    if (!bits) {
        return false;
    }
    bits[GetPixelCount()] = EndMarker;
    return true;
}

void MemoryImage::FreePalette()
{
    if (nativeIsPaletteTable) {
        nativeBits.reset();
    }
    colorIndices.reset();
    colorTable.reset();
}

const uint32_t* MemoryImage::ReadRow(int x, int y, int count, uint32_t* scratch)
{
    std::size_t start = std::size_t(y) * std::size_t(width) + std::size_t(x);
    if (HasPalette()) {
        for (int i = 0; i < count; ++i) {
            scratch[i] = colorTable[colorIndices[start + std::size_t(i)]];
        }
        return scratch;
    }
    uint32_t* pixels = GetBits();
    return pixels ? pixels + start : nullptr;
}

uint32_t* MemoryImage::GetBits()
{
    if (bits) {
        return bits.get();
    }
    if (!AllocateBits()) {
        return nullptr;
    }
    std::size_t count = GetPixelCount();
    if (HasPalette()) {
        for (std::size_t i = 0; i < count; ++i) {
            bits[i] = colorTable[colorIndices[i]];
        }
        colorIndices.reset();
        colorTable.reset();
        nativeBits.reset();
        return bits.get();
    }
    if (nativeBits && !nativeIsPaletteTable) {
        // The copy is converted back with the format it was made in, even when the display has changed
        // its format since.
        for (std::size_t i = 0; i < count; ++i) {
            bits[i] = nativeFormat.FromNative(nativeBits[i]);
        }
        return bits.get();
    }
    // What the display reads back may leave some pixels as they were.
    std::fill(bits.get(), bits.get() + count, 0u);
    if (textureData) {
        registry->ReadBackTextures(this);
    }
    return bits.get();
}

void MemoryImage::Create(int newWidth, int newHeight)
{
    bits.reset();
    // A palette form of the old size would otherwise be expanded into the new size.
    FreePalette();
    width = std::max(newWidth, 0);
    height = std::max(newHeight, 0);
    hasTransparency = true;
    hasPartialAlpha = true;
    NoteBitsChanged();
}

void MemoryImage::SetBits(const uint32_t* pixels, int newWidth, int newHeight, bool updateAlphaFlags)
{
    if (!pixels || pixels == bits.get()) {
        return;
    }
    FreePalette();
    newWidth = std::max(newWidth, 0);
    newHeight = std::max(newHeight, 0);
    if (!bits || newWidth != width || newHeight != height) {
        width = newWidth;
        height = newHeight;
        if (!AllocateBits()) {
            NoteBitsChanged();
            return;
        }
    }
    std::copy(pixels, pixels + GetPixelCount(), bits.get());
    bits[GetPixelCount()] = EndMarker;
    NoteBitsChanged();
    if (updateAlphaFlags) {
        UpdateAlphaFlags();
    }
}

void MemoryImage::Clear()
{
    if (uint32_t* pixels = GetBits()) {
        std::fill(pixels, pixels + GetPixelCount(), 0u);
    }
    NoteBitsChanged();
}

void MemoryImage::NoteBitsChanged()
{
    ++bitsChangedCount;
    bitsChanged = true;
    nativeBits.reset();
    alphaRuns.reset();
    additiveRuns.reset();
}

void MemoryImage::UpdateAlphaFlags()
{
    if (!bitsChanged || alphaFlagsForced) {
        return;
    }
    hasPartialAlpha = false;
    const uint32_t* scanned = bits ? bits.get() : colorTable ? colorTable.get() : nullptr;
    std::size_t count = bits ? GetPixelCount() : 256;
    if (scanned) {
        bool clear = false;
        bool partial = false;
        for (std::size_t i = 0; i < count; ++i) {
            uint32_t alpha = scanned[i] >> 24;
            clear |= alpha == 0;
            partial |= alpha != 0 && alpha != 255;
        }
        hasTransparency = clear;
        hasPartialAlpha = partial;
    } else {
        hasTransparency = true;
    }
    bitsChanged = false;
}

void MemoryImage::ForceAlphaFlags(bool transparency, bool partialAlpha)
{
    alphaFlagsForced = true;
    hasTransparency = transparency;
    hasPartialAlpha = partialAlpha;
}

void MemoryImage::SetFrequentUpdates(bool on)
{
    frequentUpdates = on;
}

uint32_t* MemoryImage::GetNativeBits(const PixelFormat& format)
{
    if (nativeBits) {
        return nativeBits.get();
    }
    UpdateAlphaFlags();
    if (HasPalette()) {
        nativeBits.reset(new uint32_t[256]);
        for (int i = 0; i < 256; ++i) {
            nativeBits[i] = format.ToNative(colorTable[i]);
        }
        nativeFormat = format;
        nativeIsPaletteTable = true;
        return nativeBits.get();
    }
    const uint32_t* pixels = GetBits();
    if (!pixels) {
        return nullptr;
    }
    std::size_t count = GetPixelCount();
    nativeBits.reset(new (std::nothrow) uint32_t[count]);
    if (!nativeBits) {
        return nullptr;
    }
    for (std::size_t i = 0; i < count; ++i) {
        nativeBits[i] = format.ToNative(pixels[i]);
    }
    nativeFormat = format;
    nativeIsPaletteTable = false;
    return nativeBits.get();
}

uint8_t* MemoryImage::GetAlphaRuns()
{
    UpdateAlphaFlags();
    if (alphaRuns) {
        return alphaRuns.get();
    }
    if (HasPalette()) {
        alphaRuns =
            BuildRuns(width, height, [this](std::size_t i) { return ClassOfAlpha(colorTable[colorIndices[i]]); });
    } else if (nativeBits && !nativeIsPaletteTable) {
        alphaRuns = BuildRuns(width, height, [this](std::size_t i) { return ClassOfAlpha(nativeBits[i]); });
    } else if (const uint32_t* pixels = GetBits()) {
        alphaRuns = BuildRuns(width, height, [pixels](std::size_t i) { return ClassOfAlpha(pixels[i]); });
    }
    return alphaRuns.get();
}

uint8_t* MemoryImage::GetAdditiveRuns(const PixelFormat& format)
{
    if (additiveRuns) {
        return additiveRuns.get();
    }
    const uint32_t* native = GetNativeBits(format);
    if (!native) {
        return nullptr;
    }
    if (HasPalette()) {
        additiveRuns = BuildRuns(width, height,
                                 [this, native](std::size_t i) { return (native[colorIndices[i]] & 0x00FFFFFF) == 0; });
    } else {
        additiveRuns = BuildRuns(width, height, [native](std::size_t i) { return (native[i] & 0x00FFFFFF) == 0; });
    }
    return additiveRuns.get();
}

void MemoryImage::ReleaseBits()
{
    bitsReleased = true;
    if (registry->Is3DMode()) {
        if (!textureData) {
            return;
        }
    } else {
        if (!bits && !colorIndices) {
            return;
        }
        GetNativeBits(registry->GetDisplayPixelFormat());
    }
    bits.reset();
    if (textureData) {
        FreePalette();
    }
}

void MemoryImage::FreeNativeBits()
{
    if (!bits && !colorIndices) {
        GetBits();
    }
    nativeBits.reset();
    additiveRuns.reset();
}

void MemoryImage::FreeSoftwareBuffers()
{
    FreeNativeBits();
    alphaRuns.reset();
}

void MemoryImage::FreeTexture()
{
    registry->ReleaseImageSurfaces(this);
}

void MemoryImage::FreeDerivedBuffers()
{
    FreeSoftwareBuffers();
    FreeTexture();
}

void MemoryImage::Restore()
{
    if (usePalette) {
        ConvertToPalette();
    }
    if (bitsReleased) {
        ReleaseBits();
    }
}

bool MemoryImage::ConvertToPalette()
{
    UpdateAlphaFlags();
    if (colorTable) {
        return true;
    }
    const uint32_t* pixels = GetBits();
    if (!pixels) {
        return false;
    }
    colorIndices.reset(new (std::nothrow) uint8_t[GetPixelCount()]);
    colorTable.reset(new uint32_t[256]);
    if (colorIndices && BuildExactPalette(pixels, GetPixelCount(), colorIndices.get(), colorTable.get())) {
        bits.reset();
        nativeBits.reset();
        usePalette = true;
        return true;
    }
    colorIndices.reset();
    colorTable.reset();
    usePalette = false;
    return false;
}

} // namespace Tolm
