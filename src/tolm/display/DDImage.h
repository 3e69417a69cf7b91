// The display's image: a memory image whose pixels can also live in a surface of the display, in the
// display's 16- or 32-bit layout. Loaded, shared and copied images are surface images, and so are the
// screen image around the display's draw surface and the two cursor areas.
//
// Drawing into one goes into its 32-bit memory pixels by the software renderer when the surface cannot
// carry the picture (an image with transparency or with partial alpha, or a display drawing in 3D),
// and otherwise straight into the locked surface. Transparency travels with a surface as a colour key,
// so that the surface can be blitted onto another. Surface locks are counted: only the outermost pair
// locks and unlocks, so a whole frame shares one lock.
#pragma once

#include "graphics/MemoryImage.h"
#include "platform/DirectDraw.h"

namespace Tolm {

class D3DInterface;
class DDInterface;
struct FillSpan;

class DDImage : public MemoryImage
{
public:
    explicit DDImage(DDInterface* display);
    // On the running application's display (none without an application).
    DDImage();
    ~DDImage() override;

    bool FillPolygonAccelerated(const int* pointCoords, int pointCount, const Rect& clipRect, const Color& color,
                                int drawMode, int offsetX, int offsetY) override;
    void FillRect(const Rect& rect, const Color& color, int drawMode) override;
    void DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode) override;
    void DrawLineSmooth(double x1, double y1, double x2, double y2, const Color& color, int drawMode) override;
    void FillSpansWithCoverage(const FillSpan* spans, int count, const Color& color, int drawMode,
                               const unsigned char* coverage, int coverageX, int coverageY, int coveragePitch,
                               int unused) override;
    void Blit(Image* source, int x, int y, const Rect& sourceRect, const Color& color, int drawMode) override;
    void BlitF(Image* source, float x, float y, const Rect& sourceRect, const Rect& clipRect, const Color& color,
               int drawMode) override;
    void BlitRotated(Image* source, float x, float y, const Rect& sourceRect, const Rect& clipRect, const Color& color,
                     int drawMode, double angle, float centerX, float centerY) override;
    void StretchBlit(Image* source, const Rect& destRect, const Rect& sourceRect, const Rect& clipRect,
                     const Color& color, int drawMode, bool fast) override;
    void BlitMatrix(Image* source, float x, float y, const Matrix3& matrix, const Rect& clipRect, const Color& color,
                    int drawMode, const Rect& sourceRect, bool bilinear) override;
    void BlitTexturedTriangles(Image* source, const TexVertex* vertices, int triangleCount, const Rect& clipRect,
                               const Color& color, int drawMode, float offsetX, float offsetY, bool bilinear) override;
    void BlitMirror(Image* source, int x, int y, const Rect& sourceRect, const Color& color, int drawMode) override;
    void StretchBlitMirror(Image* source, const Rect& destRect, const Rect& sourceRect, const Rect& clipRect,
                           const Color& color, int drawMode, bool fast) override;

    void ReleaseBits() override;
    void FreeDerivedBuffers() override;
    void Restore() override;
    void NoteBitsChanged() override;
    void UpdateAlphaFlags() override;
    void FreeNativeBits() override;
    void Create(int newWidth, int newHeight) override;
    // Read back from the surface when only the surface holds the pixels; null when it cannot be locked.
    uint32_t* GetBits() override;
    bool ConvertToPalette() override;

    virtual void SetVideoMemory(bool on);
    // True only for an image whose surface can be made and gives no read-back.
    virtual bool PrepareSurface();
    // The drawing straight into the locked surface, in normal and additive mode.
    virtual void FillRectNormal(const Rect& rect, const Color& color);
    virtual void FillRectAdditive(const Rect& rect, const Color& color);
    virtual void BlitNormal(Image* source, int x, int y, const Rect& sourceRect, const Color& color);
    virtual void BlitAdditive(Image* source, int x, int y, const Rect& sourceRect, const Color& color);
    virtual void DrawLineNormal(double x1, double y1, double x2, double y2, const Color& color);
    virtual void DrawLineAdditive(double x1, double y1, double x2, double y2, const Color& color);
    virtual void DrawLineAntiAliasedNormal(double x1, double y1, double x2, double y2, const Color& color);
    virtual void DrawLineAntiAliasedAdditive(double x1, double y1, double x2, double y2, const Color& color);
    virtual void BlitMirrorNormal(Image* source, int x, int y, const Rect& sourceRect, const Color& color);
    virtual void BlitMirrorAdditive(Image* source, int x, int y, const Rect& sourceRect, const Color& color);
    // Counted: true when the surface is locked (now or by an outer call). False on the display's 3D
    // draw surface and when no surface can be made or locked.
    virtual bool LockSurface();
    virtual bool UnlockSurface();
    // Adopts a surface of the display for the image's whole life (the screen's draw surface, a cursor
    // area, a screenshot's read-back), with its size.
    virtual void AttachSurface(Platform::IDirectDrawSurface* newSurface);

    // Makes the image's surface in the display's layout from its pixels; true at once when it has one.
    bool CreateSurface();
    // The surface, made when there is none; null when it cannot be.
    Platform::IDirectDrawSurface* GetSurface();
    // Drops the surface, keeping a memory copy of the pixels first when the surface is the only one.
    void ReleaseSurface();
    // Frees every memory copy: after drawing into the surface, the surface is the only copy.
    void DiscardMemoryCopies();
    // Lets go of the surface's own lock for a moment, the count unchanged: text output through the
    // surface's device context needs it unlocked.
    void PauseSurfaceLock();
    // Locks the surface again when the count is above 0. When that fails the lock description holds no
    // pixels and locked draws draw nothing.
    void ResumeSurfaceLock();
    // The display went: the pixels stay in memory and no surface is made any more.
    void ForgetDisplay();

    // MemoryImage::ClipStretch with the source's x measured from its right-hand edge.
    static bool ClipStretchMirror(const Rect& sourceRect, const Rect& clipRect, const Rect& destRect, RectD& source,
                                  Rect& clippedDest);

    DDInterface* display;
    Platform::IDirectDrawSurface* surface = nullptr;
    bool attached = false;
    // The display's video-memory draw surface: nothing reads it back or draws into it while locked.
    bool noReadBack = false;
    bool videoMemory = false;
    bool surfaceWanted = false;
    int lockCount = 0;
    // Filled by the outermost lock: the first pixel (null while no lock is held), pitch and format.
    Platform::DDSURFACEDESC2 lockDesc;

private:
    // Whether the draw goes into the memory pixels (after the alpha flags are brought up to date).
    bool DrawsInMemory();
    bool IsOn3DTarget() const;
    // Where draws onto the 3D target go.
    D3DInterface& Display3D() const;
    // An opaque, untinted normal-mode blit of a surface image onto the 3D target: a DirectDraw blit in
    // the open scene. False when the source cannot be blitted so.
    bool BlitSurfaceOn3DTarget(Image* source, int x, int y, const Rect& sourceRect, const Color& color, int drawMode);
    bool ConvertIntoSurface(const uint32_t* pixels);
    void LetGoOfSurface();
    void ReadSurfaceArea(const Rect& area, uint32_t* out) const;

    // True while the surface itself is locked (lockCount may stay above 0 after the surface went).
    bool surfaceLocked = false;
};

} // namespace Tolm
