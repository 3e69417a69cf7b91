// The 32-bit software image: packed 0xAARRGGBB pixels with straight alpha, the buffers derived from them
// (a display-native premultiplied copy and two run-length tables), an optional palette form of at most
// 256 colours, and the software renderer that draws onto it.
#pragma once

#include "graphics/Image.h"
#include "graphics/PixelFormat.h"

#include <cstdint>
#include <memory>

namespace Tolm {

// Whether a blit draws its source as it is or flipped left to right.
enum class BlitFacing
{
    Plain,
    Mirrored,
};

class Matrix3;
class MemoryImageRegistry;
class TexturePieceGrid;

class MemoryImage : public Image
{
public:
    // Written after the last pixel whenever the buffer is made or refilled; nothing reads it back.
    static constexpr uint32_t EndMarker = 0x4BEEFADE;

    std::unique_ptr<uint32_t[]> bits;
    int bitsChangedCount = 0;
    // The display's texture copy, owned and built by the display.
    TexturePieceGrid* textureData = nullptr;
    // Hints for the texture copy: 1 minimal subdivision, 4 prefer A4R4G4B4, 8 always A8R8G8B8.
    uint32_t textureFlags = 0;
    std::unique_ptr<uint32_t[]> colorTable;
    std::unique_ptr<uint8_t[]> colorIndices;
    bool alphaFlagsForced = false;
    bool hasTransparency = false;
    bool hasPartialAlpha = false;
    bool frequentUpdates = false;
    bool bitsReleased = false;
    bool usePalette = false;
    std::unique_ptr<uint32_t[]> nativeBits;
    std::unique_ptr<uint8_t[]> alphaRuns;
    std::unique_ptr<uint8_t[]> additiveRuns;
    bool bitsChanged = false;
    MemoryImageRegistry* registry;

    MemoryImage();
    explicit MemoryImage(MemoryImageRegistry& registry);
    ~MemoryImage() override;

    void FillRect(const Rect& rect, const Color& color, int drawMode) override;
    void ClearRect(const Rect& rect) override;
    void DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode) override;
    void DrawLineSmooth(double x1, double y1, double x2, double y2, const Color& color, int drawMode) override;
    void FillSpansWithCoverage(const FillSpan* spans, int count, const Color& color, int drawMode,
                               const unsigned char* coverage, int coverageX, int coverageY, int coveragePitch,
                               int unused) override;
    void Blit(Image* source, int x, int y, const Rect& sourceRect, const Color& color, int drawMode) override;
    void StretchBlit(Image* source, const Rect& destRect, const Rect& sourceRect, const Rect& clipRect,
                     const Color& color, int drawMode, bool fast) override;
    // A rotation by 0 about (0, 0): the rectangle's top-left lands at the fractional position.
    void BlitF(Image* source, float x, float y, const Rect& sourceRect, const Rect& clipRect, const Color& color,
               int drawMode) override;
    // Turns the rectangle counter-clockwise on the screen about a centre given relative to its top-left,
    // sampling bilinearly. Draw mode 0 blends; every other mode adds.
    void BlitRotated(Image* source, float x, float y, const Rect& sourceRect, const Rect& clipRect, const Color& color,
                     int drawMode, double angle, float centerX, float centerY) override;
    void BlitMatrix(Image* source, float x, float y, const Matrix3& matrix, const Rect& clipRect, const Color& color,
                    int drawMode, const Rect& sourceRect, bool bilinear) override;
    void BlitTexturedTriangles(Image* source, const TexVertex* vertices, int triangleCount, const Rect& clipRect,
                               const Color& color, int drawMode, float offsetX, float offsetY, bool bilinear) override;
    // The source rectangle flipped left to right: its last column lands on column x.
    void BlitMirror(Image* source, int x, int y, const Rect& sourceRect, const Color& color, int drawMode) override;
    void StretchBlitMirror(Image* source, const Rect& destRect, const Rect& sourceRect, const Rect& clipRect,
                           const Color& color, int drawMode, bool fast) override;

    virtual uint32_t* GetNativeBits(const PixelFormat& format);
    virtual uint8_t* GetAlphaRuns();
    virtual uint8_t* GetAdditiveRuns(const PixelFormat& format);
    virtual void ReleaseBits();
    virtual void FreeSoftwareBuffers();
    virtual void FreeTexture();
    virtual void FreeDerivedBuffers();
    virtual void Restore();
    virtual void NoteBitsChanged();
    virtual void UpdateAlphaFlags();
    virtual void FreeNativeBits();
    virtual void Clear();
    virtual void SetBits(const uint32_t* pixels, int newWidth, int newHeight, bool updateAlphaFlags);
    virtual void Create(int newWidth, int newHeight);
    // Null only when the pixels cannot be allocated. Callers that write into them call NoteBitsChanged.
    virtual uint32_t* GetBits();
    virtual void ForceAlphaFlags(bool transparency, bool partialAlpha);
    virtual void SetFrequentUpdates(bool on);
    virtual bool ConvertToPalette();

    void BlitNormal(MemoryImage& source, int x, int y, const Rect& sourceRect, const Color& color,
                    BlitFacing facing = BlitFacing::Plain);
    void BlitAdditive(MemoryImage& source, int x, int y, const Rect& sourceRect, const Color& color,
                      BlitFacing facing = BlitFacing::Plain);

    // The destination area of a rotated draw, cut to the clip rectangle; false when nothing remains.
    static bool GetRotatedBounds(float x, float y, const Rect& sourceRect, const Rect& clipRect, double angle,
                                 RectD& bounds, float centerX, float centerY);

    // The matrix and triangle draws into any block of pixels in the given format (see TriangleStrip.h),
    // for software images and for display surfaces alike. The clip is cut to the destination's size.
    static void BlitMatrixSoftware(const Image& destination, Image* source, float x, float y, const Matrix3& matrix,
                                   const Rect& sourceRect, const Rect& clipRect, const Color& color, int drawMode,
                                   void* bits, int pitch, int format, bool bilinear);
    static void BlitTrianglesSoftware(const Image& destination, Image* source, const TexVertex* vertices,
                                      int triangleCount, const Rect& clipRect, const Color& color, int drawMode,
                                      void* bits, int pitch, int format, float offsetX, float offsetY, bool bilinear);
    // The rasterizer's format code for this image: alpha is not kept when the flags are forced opaque.
    int GetTriangleFormat() const;

    static bool ClipStretch(const Rect& sourceRect, const Rect& clipRect, const Rect& destRect, RectD& source,
                            Rect& clippedDest);
    void StretchBlitSmooth(MemoryImage& source, const Rect& clippedDest, const RectD& sourceRect, const Color& color,
                           int drawMode);
    void StretchBlitFast(MemoryImage& source, const Rect& clippedDest, const RectD& sourceRect, const Color& color,
                         int drawMode);

    bool HasPalette() const { return colorTable && colorIndices; }
    std::size_t GetPixelCount() const { return std::size_t(width) * std::size_t(height); }
    // The pixels of one row of a rectangle, from the palette form when there is one: `scratch` receives
    // them then. Null when the image has no pixels.
    const uint32_t* ReadRow(int x, int y, int count, uint32_t* scratch);

protected:
    // Drops the palette form, and a native copy made from it.
    void FreePalette();
    // Width x height pixels and the end marker, cleared; false when the memory cannot be had.
    bool AllocateBits();

private:
    PixelFormat nativeFormat;
    // The native copy of a palette image is a table of 256 entries indexed by colorIndices.
    bool nativeIsPaletteTable = false;

    void ExpandPalette();
    void LineNormal(double x1, double y1, double x2, double y2, const Color& color);
    void LineAdditive(double x1, double y1, double x2, double y2, const Color& color);
    void LineSmooth(double x1, double y1, double x2, double y2, const Color& color);
    bool FillLineAsRect(double x1, double y1, double x2, double y2, const Color& color, int drawMode);
};

} // namespace Tolm
