// The abstract drawing surface: an image's size, its frame grid and animation, and the drawing operations
// the drawing context sends to it. Every base body draws nothing or falls back to another operation; the
// software image and the display image implement them.
#pragma once

#include "graphics/Color.h"
#include "graphics/ImageAnimation.h"
#include "graphics/Rect.h"
#include "graphics/TexVertex.h"

#include <memory>
#include <string>

namespace Tolm {

class Matrix3;

// One horizontal run of pixels in row y from column x.
struct FillSpan
{
    int y = 0;
    int x = 0;
    int width = 0;
};

class Image
{
public:
    std::string name;
    int width = 0;
    int height = 0;
    int numRows = 1;
    int numCols = 1;
    int numFrames = 1;
    std::unique_ptr<ImageAnimation> animation;

    Image();
    virtual ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // The receiver is the destination. Rectangles and positions are in destination pixels, the colour
    // tints the draw (Color::White leaves it untinted) and drawMode is a DrawMode. Blit and BlitMirror take
    // an already clipped position and source rectangle; FillRect, DrawRect and ClearRect rectangles that
    // lie inside the image.
    virtual bool FillPolygonAccelerated(const int* pointCoords, int pointCount, const Rect& clipRect,
                                        const Color& color, int drawMode, int offsetX, int offsetY);
    virtual void FillRect(const Rect& rect, const Color& color, int drawMode);
    // Outlines width + 1 columns and height + 1 rows with four fills that never cover a pixel twice.
    virtual void DrawRect(const Rect& rect, const Color& color, int drawMode);
    virtual void ClearRect(const Rect& rect);
    virtual void DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode);
    virtual void DrawLineSmooth(double x1, double y1, double x2, double y2, const Color& color, int drawMode);
    virtual void FillSpans(const FillSpan* spans, int count, const Color& color, int drawMode);
    virtual void FillSpansWithCoverage(const FillSpan* spans, int count, const Color& color, int drawMode,
                                       const unsigned char* coverage, int coverageX, int coverageY, int coveragePitch,
                                       int unused);
    virtual void Blit(Image* source, int x, int y, const Rect& sourceRect, const Color& color, int drawMode);
    virtual void BlitF(Image* source, float x, float y, const Rect& sourceRect, const Rect& clipRect,
                       const Color& color, int drawMode);
    virtual void BlitRotated(Image* source, float x, float y, const Rect& sourceRect, const Rect& clipRect,
                             const Color& color, int drawMode, double angle, float centerX, float centerY);
    virtual void StretchBlit(Image* source, const Rect& destRect, const Rect& sourceRect, const Rect& clipRect,
                             const Color& color, int drawMode, bool fast);
    virtual void BlitMatrix(Image* source, float x, float y, const Matrix3& matrix, const Rect& clipRect,
                            const Color& color, int drawMode, const Rect& sourceRect, bool bilinear);
    virtual void BlitTexturedTriangles(Image* source, const TexVertex* vertices, int triangleCount,
                                       const Rect& clipRect, const Color& color, int drawMode, float offsetX,
                                       float offsetY, bool bilinear);
    virtual void BlitMirror(Image* source, int x, int y, const Rect& sourceRect, const Color& color, int drawMode);
    virtual void StretchBlitMirror(Image* source, const Rect& destRect, const Rect& sourceRect, const Rect& clipRect,
                                   const Color& color, int drawMode, bool fast);

    int GetWidth() const { return width; }
    int GetHeight() const { return height; }
    // A grid of 0 or fewer columns or rows counts as one, so that a bad frame layout never divides by zero.
    int GetFrameWidth() const;
    int GetFrameHeight() const;
    // Frame n lies in column n mod numCols and row n div numCols.
    Rect GetFrameRect(int frame) const;
    void CopyFrameLayout(const Image& other);
};

// The empty image a drawing context without a destination draws on: every operation on it does nothing.
Image& NullImage();

} // namespace Tolm
