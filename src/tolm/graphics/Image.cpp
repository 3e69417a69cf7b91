#include "graphics/Image.h"

#include <algorithm>

namespace Tolm {

Image::Image() = default;

Image::~Image() = default;

bool Image::FillPolygonAccelerated(const int*, int, const Rect&, const Color&, int, int, int)
{
    return false;
}

void Image::FillRect(const Rect&, const Color&, int) {}

void Image::DrawRect(const Rect& rect, const Color& color, int drawMode)
{
    FillRect(Rect(rect.x, rect.y, rect.width + 1, 1), color, drawMode);
    FillRect(Rect(rect.x, rect.y + rect.height, rect.width + 1, 1), color, drawMode);
    FillRect(Rect(rect.x, rect.y + 1, 1, rect.height - 1), color, drawMode);
    FillRect(Rect(rect.x + rect.width, rect.y + 1, 1, rect.height - 1), color, drawMode);
}

void Image::ClearRect(const Rect&) {}

void Image::DrawLine(double, double, double, double, const Color&, int) {}

void Image::DrawLineSmooth(double, double, double, double, const Color&, int) {}

void Image::FillSpans(const FillSpan* spans, int count, const Color& color, int drawMode)
{
    for (int i = 0; i < count; ++i) {
        FillRect(Rect(spans[i].x, spans[i].y, spans[i].width, 1), color, drawMode);
    }
}

void Image::FillSpansWithCoverage(const FillSpan*, int, const Color&, int, const unsigned char*, int, int, int, int) {}

void Image::Blit(Image*, int, int, const Rect&, const Color&, int) {}

void Image::BlitF(Image*, float, float, const Rect&, const Rect&, const Color&, int) {}

void Image::BlitRotated(Image*, float, float, const Rect&, const Rect&, const Color&, int, double, float, float) {}

void Image::StretchBlit(Image*, const Rect&, const Rect&, const Rect&, const Color&, int, bool) {}

void Image::BlitMatrix(Image*, float, float, const Matrix3&, const Rect&, const Color&, int, const Rect&, bool) {}

void Image::BlitTexturedTriangles(Image*, const TexVertex*, int, const Rect&, const Color&, int, float, float, bool) {}

void Image::BlitMirror(Image*, int, int, const Rect&, const Color&, int) {}

void Image::StretchBlitMirror(Image*, const Rect&, const Rect&, const Rect&, const Color&, int, bool) {}

int Image::GetFrameWidth() const
{
    return width / std::max(numCols, 1);
}

int Image::GetFrameHeight() const
{
    return height / std::max(numRows, 1);
}

Rect Image::GetFrameRect(int frame) const
{
    int columns = std::max(numCols, 1);
    int frameWidth = GetFrameWidth();
    int frameHeight = GetFrameHeight();
    return Rect(frameWidth * (frame % columns), frameHeight * (frame / columns), frameWidth, frameHeight);
}

void Image::CopyFrameLayout(const Image& other)
{
    numCols = other.numCols;
    numRows = other.numRows;
    numFrames = other.numFrames;
    animation.reset(other.animation ? new ImageAnimation(*other.animation) : nullptr);
}

Image& NullImage()
{
    static Image nullImage;
    return nullImage;
}

} // namespace Tolm
