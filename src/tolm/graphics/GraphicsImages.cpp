// The drawing context's image draws: each turns its arguments into destination coordinates with the
// translation (and, for the plain draws, the scale), clips where the destination expects clipped input,
// and hands the draw to the destination image.
#include "core/Matrix.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "graphics/MemoryImageRegistry.h"
#include "graphics/SoftwareDraw.h"
#include "graphics/TruncToInt.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace Tolm {

namespace {

Rect WholeImage(const Image& image)
{
    return Rect(0, 0, image.width, image.height);
}

int ClampToInt(int64_t value)
{
    return int(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

// The tiles [first, end) of a run of `count` tiles `size` pixels apart from local position `start` that can
// reach the clip span [clipLow, clipHigh) along one axis, with a tile to spare on each side; the others are
// clipped away whole. A box far larger than the screen so walks only the tiles that can show.
struct TileRange
{
    int64_t first = 0;
    int64_t end = 0;
};

TileRange VisibleTiles(int64_t start, int size, int64_t count, float translate, float scale, float origin, int clipLow,
                       int clipHigh)
{
    // A scale of 0 or below gives every tile an empty destination.
    if (count <= 0 || !(scale > 0) || !std::isfinite(scale) || !std::isfinite(translate) || !std::isfinite(origin)) {
        return {};
    }
    double low = (clipLow - double(origin)) / scale + origin - translate - size;
    double high = (clipHigh - double(origin)) / scale + origin - translate;
    double first = std::floor((low - double(start)) / size) - 1;
    double end = std::ceil((high - double(start)) / size) + 1;
    TileRange range;
    range.first = int64_t(std::clamp(first, 0.0, double(count)));
    range.end = int64_t(std::clamp(end, 0.0, double(count)));
    return range;
}

} // namespace

const Color& Graphics::ImageColor() const
{
    return tintImages ? color : Color::White;
}

bool Graphics::DrawsOn3DScreen() const
{
    auto* memoryDest = dynamic_cast<const MemoryImage*>(destImage);
    return memoryDest && memoryDest->registry->IsCurrent3DDrawSurface(*memoryDest);
}

void Graphics::DrawImage(Image* image, int x, int y)
{
    if (image) {
        DrawImagePart(image, x, y, WholeImage(*image));
    }
}

void Graphics::DrawImageF(Image* image, float x, float y)
{
    if (image) {
        DrawImagePartF(image, x, y, WholeImage(*image));
    }
}

// A source rectangle reaching outside the image on any side draws nothing.
void Graphics::DrawImagePart(Image* image, int x, int y, const Rect& sourceRect)
{
    if (!image || !LiesInside(sourceRect, *image)) {
        return;
    }
    float tx = float(x) + transX;
    float ty = float(y) + transY;
    if (IsScaled()) {
        // The position is taken downwards and the size upwards, so that neighbouring scaled parts overlap
        // rather than leave gaps.
        float left = std::floor((float(TruncToInt(tx)) - scaleOrigX) * scaleX) + scaleOrigX;
        float top = std::floor((float(TruncToInt(ty)) - scaleOrigY) * scaleY) + scaleOrigY;
        Rect dest(TruncToInt(left), TruncToInt(top), TruncToInt(std::ceil(float(sourceRect.width) * scaleX)),
                  TruncToInt(std::ceil(float(sourceRect.height) * scaleY)));
        destImage->StretchBlit(image, dest, sourceRect, clipRect, ImageColor(), drawMode, fastStretch);
        return;
    }
    Rect dest(TruncToInt(tx), TruncToInt(ty), sourceRect.width, sourceRect.height);
    Rect clipped = dest.Intersection(clipRect);
    if (IsEmpty(clipped)) {
        return;
    }
    Rect part(sourceRect.x + clipped.x - dest.x, sourceRect.y + clipped.y - dest.y, clipped.width, clipped.height);
    destImage->Blit(image, clipped.x, clipped.y, part, ImageColor(), drawMode);
}

void Graphics::DrawImagePartF(Image* image, float x, float y, const Rect& sourceRect)
{
    if (image) {
        destImage->BlitF(image, x + transX, y + transY, sourceRect, clipRect, ImageColor(), drawMode);
    }
}

// Clipping the left of the destination removes source columns from the right.
void Graphics::DrawImagePartMirror(Image* image, int x, int y, const Rect& sourceRect, bool mirror)
{
    if (!mirror) {
        DrawImagePart(image, x, y, sourceRect);
        return;
    }
    if (!image || !LiesInside(sourceRect, *image)) {
        return;
    }
    Rect dest(TruncToInt(float(x) + transX), TruncToInt(float(y) + transY), sourceRect.width, sourceRect.height);
    Rect clipped = dest.Intersection(clipRect);
    if (IsEmpty(clipped)) {
        return;
    }
    Rect part(sourceRect.x + sourceRect.width + dest.x - clipped.x - clipped.width, sourceRect.y + clipped.y - dest.y,
              clipped.width, clipped.height);
    destImage->BlitMirror(image, clipped.x, clipped.y, part, ImageColor(), drawMode);
}

void Graphics::DrawImageStretched(Image* image, const Rect& destRect, const Rect& sourceRect)
{
    if (!image) {
        return;
    }
    Rect dest(TruncToInt(float(destRect.x) + transX), TruncToInt(float(destRect.y) + transY), destRect.width,
              destRect.height);
    destImage->StretchBlit(image, dest, sourceRect, clipRect, ImageColor(), drawMode, fastStretch);
}

void Graphics::DrawImageStretchedPart(Image* image, const Rect& destRect, const Rect& sourceRect, bool mirror)
{
    if (!mirror) {
        DrawImageStretched(image, destRect, sourceRect);
        return;
    }
    if (!image) {
        return;
    }
    Rect dest(TruncToInt(float(destRect.x) + transX), TruncToInt(float(destRect.y) + transY), destRect.width,
              destRect.height);
    destImage->StretchBlitMirror(image, dest, sourceRect, clipRect, ImageColor(), drawMode, fastStretch);
}

void Graphics::DrawImageRotatedF(Image* image, float x, float y, double angle, float centerX, float centerY,
                                 const Rect* sourceRect)
{
    if (!image) {
        return;
    }
    destImage->BlitRotated(image, x + transX, y + transY, sourceRect ? *sourceRect : WholeImage(*image), clipRect,
                           ImageColor(), drawMode, angle, centerX, centerY);
}

void Graphics::DrawImageRotated(Image* image, int x, int y, double angle, const Rect* sourceRect)
{
    if (!image) {
        return;
    }
    Rect turned = sourceRect ? *sourceRect : WholeImage(*image);
    DrawImageRotatedF(image, float(x), float(y), angle, float(turned.width / 2), float(turned.height / 2), sourceRect);
}

void Graphics::DrawImageRotatedAt(Image* image, int x, int y, double angle, int centerX, int centerY,
                                  const Rect& sourceRect)
{
    DrawImageRotatedF(image, float(x), float(y), angle, float(centerX), float(centerY), &sourceRect);
}

void Graphics::DrawImageGridFrame(Image* image, int x, int y, int column, int row)
{
    if (!image || column < 0 || row < 0 || column >= image->numCols || row >= image->numRows) {
        return;
    }
    int frameWidth = image->GetFrameWidth();
    int frameHeight = image->GetFrameHeight();
    DrawImagePart(image, x, y, Rect(column * frameWidth, row * frameHeight, frameWidth, frameHeight));
}

void Graphics::StretchImageGridFrame(Image* image, const Rect& destRect, int column, int row)
{
    if (!image || column < 0 || row < 0 || column >= image->numCols || row >= image->numRows) {
        return;
    }
    int frameWidth = image->GetFrameWidth();
    int frameHeight = image->GetFrameHeight();
    DrawImageStretched(image, destRect, Rect(column * frameWidth, row * frameHeight, frameWidth, frameHeight));
}

void Graphics::DrawImageFrame(Image* image, int x, int y, int frame)
{
    if (image) {
        int columns = std::max(image->numCols, 1);
        DrawImageGridFrame(image, x, y, frame % columns, frame / columns);
    }
}

void Graphics::StretchImageFrame(Image* image, const Rect& destRect, int frame)
{
    if (image) {
        int columns = std::max(image->numCols, 1);
        StretchImageGridFrame(image, destRect, frame % columns, frame / columns);
    }
}

void Graphics::DrawImageMatrix(Image* image, const Matrix3& matrix, const Rect& sourceRect, float x, float y)
{
    if (image) {
        destImage->BlitMatrix(image, x + transX, y + transY, matrix, clipRect, ImageColor(), drawMode, sourceRect,
                              bilinear);
    }
}

void Graphics::DrawTexturedTriangles(Image* image, const TexVertex& a, const TexVertex& b, const TexVertex& c)
{
    const TexVertex triangle[3] = {a, b, c};
    DrawTexturedTriangles(image, triangle, 1);
}

// Without an image the triangles are drawn untextured.
void Graphics::DrawTexturedTriangles(Image* image, const TexVertex* vertices, int triangleCount)
{
    destImage->BlitTexturedTriangles(image, vertices, triangleCount, clipRect, ImageColor(), drawMode, transX, transY,
                                     bilinear);
}

void Graphics::DrawImageTransform(Image* image, const Transform& transform, float x, float y)
{
    if (image) {
        DrawImageTransformCore(image, transform, WholeImage(*image), x, y, false);
    }
}

void Graphics::DrawImagePartTransform(Image* image, const Transform& transform, const Rect& sourceRect, float x,
                                      float y)
{
    DrawImageTransformCore(image, transform, sourceRect, x, y, false);
}

void Graphics::DrawImageTransformF(Image* image, const Transform& transform, float x, float y)
{
    if (image) {
        DrawImageTransformCore(image, transform, WholeImage(*image), x, y, true);
    }
}

void Graphics::DrawImagePartTransformF(Image* image, const Transform& transform, const Rect& sourceRect, float x,
                                       float y)
{
    DrawImageTransformCore(image, transform, sourceRect, x, y, true);
}

// Picks the cheapest draw the transform's form allows. The + 0.5 makes the integer forms land on the nearest
// pixel.
void Graphics::DrawImageTransformCore(Image* image, const Transform& transform, const Rect& sourceRect, float x,
                                      float y, bool subPixel)
{
    if (!image) {
        return;
    }
    if (transform.complex || (subPixel && DrawsOn3DScreen())) {
        Transform built = transform;
        DrawImageMatrix(image, built.GetMatrix(), sourceRect, x, y);
        return;
    }
    float halfWidth = float(sourceRect.width) * 0.5f;
    float halfHeight = float(sourceRect.height) * 0.5f;
    if (transform.rotated) {
        float centerX = halfWidth - transform.translateX;
        float centerY = halfHeight - transform.translateY;
        float left = x + transform.postTranslateX - centerX + 0.5f;
        float top = y + transform.postTranslateY - centerY + 0.5f;
        if (subPixel) {
            DrawImageRotatedF(image, left, top, transform.rotation, centerX, centerY, &sourceRect);
        } else {
            DrawImageRotatedAt(image, TruncToInt(left), TruncToInt(top), transform.rotation, TruncToInt(centerX),
                               TruncToInt(centerY), sourceRect);
        }
        return;
    }
    float shiftX = transform.postTranslateX + transform.translateX;
    float shiftY = transform.postTranslateY + transform.translateY;
    if (transform.scaled && transform.scaleX == -1.0f && transform.scaleY == 1.0f) {
        DrawImagePartMirror(image, TruncToInt(x + shiftX - halfWidth + 0.5f),
                            TruncToInt(y + shiftY - halfHeight + 0.5f), sourceRect, true);
        return;
    }
    if (transform.scaled) {
        // A negative horizontal factor mirrors; the rectangle keeps a positive width so that it is drawn.
        float scaledWidth = halfWidth * std::abs(transform.scaleX);
        float scaledHeight = halfHeight * transform.scaleY;
        Rect dest(TruncToInt(x + transform.postTranslateX - scaledWidth),
                  TruncToInt(y + transform.postTranslateY - scaledHeight), TruncToInt(2 * scaledWidth),
                  TruncToInt(2 * scaledHeight));
        DrawImageStretchedPart(image, dest, sourceRect, transform.scaleX < 0);
        return;
    }
    float left = x + shiftX - halfWidth + 0.5f;
    float top = y + shiftY - halfHeight + 0.5f;
    if (subPixel) {
        DrawImagePartF(image, left, top, sourceRect);
    } else {
        DrawImagePart(image, TruncToInt(left), TruncToInt(top), sourceRect);
    }
}

void Graphics::DrawTiledBox(const Rect& destRect, Image* image)
{
    if (image) {
        DrawTiledBoxPart(WholeImage(*image), destRect, image);
    }
}

// Only scaleX is tested for narrowing the clips: with a scale set, the tiles are not cut at the box edges.
void Graphics::DrawTiledBoxPart(const Rect& sourceRect, const Rect& destRect, Image* image)
{
    if (!image || sourceRect.width <= 0 || sourceRect.height <= 0) {
        return;
    }
    const Rect& s = sourceRect;
    int cornerWidth = s.width / 3;
    int cornerHeight = s.height / 3;
    int middleWidth = s.width - 2 * cornerWidth;
    int middleHeight = s.height - 2 * cornerHeight;
    int64_t left = destRect.x;
    int64_t top = destRect.y;
    int64_t right = left + destRect.width - cornerWidth;
    int64_t bottom = top + destRect.height - cornerHeight;
    int64_t columns = (int64_t(destRect.width) - 2 * cornerWidth + middleWidth - 1) / middleWidth;
    int64_t rows = (int64_t(destRect.height) - 2 * cornerHeight + middleHeight - 1) / middleHeight;
    int64_t middleLeft = left + cornerWidth;
    int64_t middleTop = top + cornerHeight;
    TileRange across = VisibleTiles(middleLeft, middleWidth, columns, transX, scaleX, scaleOrigX, clipRect.x,
                                    ClampToInt(int64_t(clipRect.x) + clipRect.width));
    TileRange down = VisibleTiles(middleTop, middleHeight, rows, transY, scaleY, scaleOrigY, clipRect.y,
                                  ClampToInt(int64_t(clipRect.y) + clipRect.height));
    auto column = [&](int64_t i) { return ClampToInt(middleLeft + i * middleWidth); };
    auto row = [&](int64_t j) { return ClampToInt(middleTop + j * middleHeight); };
    bool narrow = scaleX == 1.0f;

    Graphics middle(*this);
    if (narrow) {
        middle.IntersectClip(ClampToInt(middleLeft), ClampToInt(middleTop), destRect.width - 2 * cornerWidth,
                             destRect.height - 2 * cornerHeight);
    }
    Rect middlePiece(s.x + cornerWidth, s.y + cornerHeight, middleWidth, middleHeight);
    for (int64_t i = across.first; i < across.end; ++i) {
        for (int64_t j = down.first; j < down.end; ++j) {
            middle.DrawImagePart(image, column(i), row(j), middlePiece);
        }
    }

    Graphics sides(*this);
    if (narrow) {
        sides.IntersectClip(destRect.x, ClampToInt(middleTop), destRect.width, destRect.height - 2 * cornerHeight);
    }
    Rect leftPiece(s.x, s.y + cornerHeight, cornerWidth, middleHeight);
    Rect rightPiece(s.x + cornerWidth + middleWidth, s.y + cornerHeight, cornerWidth, middleHeight);
    for (int64_t j = down.first; j < down.end; ++j) {
        sides.DrawImagePart(image, destRect.x, row(j), leftPiece);
        sides.DrawImagePart(image, ClampToInt(right), row(j), rightPiece);
    }

    Graphics ends(*this);
    if (narrow) {
        ends.IntersectClip(ClampToInt(middleLeft), destRect.y, destRect.width - 2 * cornerWidth, destRect.height);
    }
    Rect topPiece(s.x + cornerWidth, s.y, middleWidth, cornerHeight);
    Rect bottomPiece(s.x + cornerWidth, s.y + cornerHeight + middleHeight, middleWidth, cornerHeight);
    for (int64_t i = across.first; i < across.end; ++i) {
        ends.DrawImagePart(image, column(i), destRect.y, topPiece);
        ends.DrawImagePart(image, column(i), ClampToInt(bottom), bottomPiece);
    }

    DrawImagePart(image, destRect.x, destRect.y, Rect(s.x, s.y, cornerWidth, cornerHeight));
    DrawImagePart(image, ClampToInt(right), destRect.y,
                  Rect(s.x + cornerWidth + middleWidth, s.y, cornerWidth, cornerHeight));
    DrawImagePart(image, destRect.x, ClampToInt(bottom),
                  Rect(s.x, s.y + cornerHeight + middleHeight, cornerWidth, cornerHeight));
    DrawImagePart(image, ClampToInt(right), ClampToInt(bottom),
                  Rect(s.x + cornerWidth + middleWidth, s.y + cornerHeight + middleHeight, cornerWidth, cornerHeight));
}

} // namespace Tolm
