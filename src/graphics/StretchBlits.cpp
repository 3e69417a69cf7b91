// Scaled blits onto a software image: an area filter that averages every source pixel into the destination
// pixels it covers when shrinking and interpolates linearly when enlarging, and a nearest-pixel engine.
// The area filter is separable: a horizontal pass over the source rows, then a vertical pass over the
// destination rows, with integer weights scaled by 257 and 256 so that the result reads back with a
// 16-bit shift.
#include "graphics/BlendKernels.h"
#include "graphics/MemoryImage.h"
#include "graphics/SoftwareDraw.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace Tolm {

namespace {

// Channel sums of one destination pixel, in this order.
struct ChannelSums
{
    int32_t blue = 0;
    int32_t green = 0;
    int32_t red = 0;
    int32_t alpha = 0;

    void Add(uint32_t pixel, int32_t weight)
    {
        blue += int32_t(pixel & 0xFF) * weight;
        green += int32_t((pixel >> 8) & 0xFF) * weight;
        red += int32_t((pixel >> 16) & 0xFF) * weight;
        alpha += int32_t(pixel >> 24) * weight;
    }

    void Add(const ChannelSums& other, int32_t weight)
    {
        blue += other.blue * weight;
        green += other.green * weight;
        red += other.red * weight;
        alpha += other.alpha * weight;
    }
};

// A grid of sums with a margin column and row before the pixels and room for the filter's spill after
// them. Kept between calls: a scale-in animation stretches a whole window every frame.
class SumGrid
{
public:
    void Reset(int rows, int rowStride)
    {
        stride = rowStride;
        cells.assign(std::size_t(rows) * std::size_t(stride), ChannelSums());
        rowCount = rows;
    }

    ChannelSums* Row(int row)
    {
        return row >= 0 && row < rowCount ? cells.data() + std::size_t(row) * stride : nullptr;
    }
    int Stride() const { return stride; }

private:
    std::vector<ChannelSums> cells;
    int stride = 0;
    int rowCount = 0;
};

// The horizontal pass of one source row into one row of sums.
void FilterRow(const uint32_t* pixels, int imageWidth, ChannelSums* sums, int stride, int destWidth,
               const RectD& source, int x0, int spanWidth)
{
    auto add = [&](int column, uint32_t pixel, int32_t weight) {
        if (column >= 0 && column < stride) {
            sums[column].Add(pixel, weight);
        }
    };
    if (destWidth > source.width) {
        double step = destWidth == 1 ? source.width : (source.width - 1) / (destWidth - 1);
        for (int column = 1; column <= destWidth; ++column) {
            double position = (column - 1) * step + source.x;
            int xi = TruncToInt(position);
            if (xi < 0 || xi >= imageWidth) {
                continue;
            }
            int32_t first = TruncToInt((1 - (position - xi)) * 257);
            add(column, pixels[xi], first);
            if (xi + 1 < imageWidth) {
                add(column, pixels[xi + 1], 257 - first);
            }
        }
        return;
    }
    double scale = destWidth / source.width;
    double base = (x0 - source.x) * scale + 1;
    int32_t whole = TruncToInt(scale * 257);
    for (int i = 0; i < spanWidth; ++i) {
        double offset = i * scale + base;
        int low = TruncToInt(offset);
        int high = TruncToInt(offset + scale);
        uint32_t pixel = pixels[x0 + i];
        if (low == high) {
            add(low, pixel, whole);
        } else {
            add(low, pixel, TruncToInt((high - offset) * 257));
            add(low + 1, pixel, TruncToInt((offset + scale - high) * 257));
        }
    }
}

void AddRow(ChannelSums* into, const ChannelSums* from, int count, int32_t weight)
{
    if (!into || !from) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        into[i].Add(from[i], weight);
    }
}

// The vertical pass: rows of `horizontal` (one per source row from y0) into rows of `vertical`.
void FilterColumns(SumGrid& horizontal, int sourceRows, SumGrid& vertical, int destHeight, const RectD& source, int y0)
{
    int stride = horizontal.Stride();
    if (destHeight > source.height) {
        double step = destHeight == 1 ? source.height : (source.height - 1) / (destHeight - 1);
        for (int row = 1; row <= destHeight; ++row) {
            double relative = source.y - TruncToInt(source.y) + (row - 1) * step;
            int ri = TruncToInt(relative);
            int next = ri == sourceRows - 1 ? ri : ri + 1;
            int32_t first = TruncToInt((1 - (relative - ri)) * 256);
            AddRow(vertical.Row(row), horizontal.Row(ri), stride, first);
            AddRow(vertical.Row(row), horizontal.Row(next), stride, 256 - first);
        }
        return;
    }
    double scale = destHeight / source.height;
    double base = (y0 - source.y) * scale + 1;
    int32_t whole = TruncToInt(scale * 256);
    for (int j = 0; j < sourceRows; ++j) {
        double offset = j * scale + base;
        int low = TruncToInt(std::floor(offset));
        int high = TruncToInt(std::floor(offset + scale));
        if (low == high) {
            AddRow(vertical.Row(low), horizontal.Row(j), stride, whole);
        } else {
            AddRow(vertical.Row(low), horizontal.Row(j), stride, TruncToInt((high - offset) * 256));
            AddRow(vertical.Row(low + 1), horizontal.Row(j), stride, TruncToInt((offset + scale - high) * 256));
        }
    }
}

// The upper 16 bits of a sum are a channel again; odd weights on sub-pixel sources can stray past it.
uint32_t SumToChannel(int32_t sum)
{
    return uint32_t(std::clamp(sum >> 16, 0, 255));
}

uint32_t CompositeSum(uint32_t d, const ChannelSums& sums)
{
    uint32_t a = SumToChannel(sums.alpha);
    if (a == 0) {
        return d;
    }
    auto channel = [a, d](int32_t sum, int shift) {
        return ((SumToChannel(sum) * a) >> 8) + ((((d >> shift) & 0xFF) * (256 - a)) >> 8);
    };
    uint32_t destAlpha = d >> 24;
    uint32_t alpha = destAlpha + ((255 - destAlpha) * a) / 255;
    return (alpha << 24) | (channel(sums.red, 16) << 16) | (channel(sums.green, 8) << 8) | channel(sums.blue, 0);
}

} // namespace

void MemoryImage::StretchBlit(Image* source, const Rect& destRect, const Rect& sourceRect, const Rect& clipRect,
                              const Color& color, int drawMode, bool fast)
{
    auto* memorySource = dynamic_cast<MemoryImage*>(source);
    if (!memorySource || !LiesInside(sourceRect, *memorySource)) {
        return;
    }
    RectD clippedSource;
    Rect clippedDest;
    Rect clip = clipRect.Intersection(Rect(0, 0, width, height));
    if (!ClipStretch(sourceRect, clip, destRect, clippedSource, clippedDest)) {
        return;
    }
    if (fast) {
        StretchBlitFast(*memorySource, clippedDest, clippedSource, color, drawMode);
    } else {
        StretchBlitSmooth(*memorySource, clippedDest, clippedSource, color, drawMode);
    }
}

void MemoryImage::StretchBlitMirror(Image* source, const Rect& destRect, const Rect& sourceRect, const Rect& clipRect,
                                    const Color& color, int drawMode, bool fast)
{
    auto* memorySource = dynamic_cast<MemoryImage*>(source);
    if (!memorySource || IsEmpty(sourceRect) || !LiesInside(sourceRect, *memorySource) || IsEmpty(destRect)) {
        return;
    }
    // The rows of the rectangle, each reversed, so that the plain stretch of the copy is the mirrored one:
    // both engines read columns beside the rectangle, so whole rows are taken.
    MemoryImage flipped(*registry);
    flipped.Create(memorySource->width, sourceRect.height);
    uint32_t* flippedPixels = flipped.GetBits();
    if (!flippedPixels) {
        return;
    }
    std::vector<uint32_t> scratch(std::size_t(memorySource->width));
    for (int row = 0; row < sourceRect.height; ++row) {
        const uint32_t* sourceRow = memorySource->ReadRow(0, sourceRect.y + row, memorySource->width, scratch.data());
        if (!sourceRow) {
            return;
        }
        std::reverse_copy(sourceRow, sourceRow + memorySource->width,
                          flippedPixels + std::size_t(row) * std::size_t(memorySource->width));
    }
    flipped.NoteBitsChanged();
    Rect flippedRect(memorySource->width - sourceRect.x - sourceRect.width, 0, sourceRect.width, sourceRect.height);
    StretchBlit(&flipped, destRect, flippedRect, clipRect, color, drawMode, fast);
}

bool MemoryImage::ClipStretch(const Rect& sourceRect, const Rect& clipRect, const Rect& destRect, RectD& source,
                              Rect& clippedDest)
{
    if (IsEmpty(destRect)) {
        return false;
    }
    clippedDest = destRect.Intersection(clipRect);
    double scaleX = double(sourceRect.width) / destRect.width;
    double scaleY = double(sourceRect.height) / destRect.height;
    source.x = (double(clippedDest.x) - destRect.x) * scaleX + sourceRect.x;
    source.y = (double(clippedDest.y) - destRect.y) * scaleY + sourceRect.y;
    source.width = sourceRect.width + (double(clippedDest.width) - destRect.width) * scaleX;
    source.height = sourceRect.height + (double(clippedDest.height) - destRect.height) * scaleY;
    return source.width > 0 && source.height > 0 && !IsEmpty(clippedDest);
}

void MemoryImage::StretchBlitSmooth(MemoryImage& source, const Rect& clippedDest, const RectD& sourceRect, const Color&,
                                    int)
{
    int x0 = TruncToInt(std::floor(sourceRect.x));
    int y0 = TruncToInt(std::floor(sourceRect.y));
    int spanWidth = TruncToInt(std::ceil(sourceRect.x - x0 + sourceRect.width));
    int spanHeight = TruncToInt(std::ceil(sourceRect.y - y0 + sourceRect.height));
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    spanWidth = std::min(spanWidth, source.width - x0);
    spanHeight = std::min(spanHeight, source.height - y0);
    uint32_t* pixels = GetBits();
    if (spanWidth >= 1 && spanHeight >= 1 && pixels) {
        static thread_local SumGrid horizontal;
        static thread_local SumGrid vertical;
        static thread_local std::vector<uint32_t> scratch;
        int destWidth = clippedDest.width;
        int destHeight = clippedDest.height;
        int stride = destWidth + 4;
        horizontal.Reset(spanHeight, stride);
        vertical.Reset(destHeight + 4, stride);
        scratch.resize(std::size_t(source.width));
        for (int row = 0; row < spanHeight; ++row) {
            const uint32_t* sourceRow = source.ReadRow(0, y0 + row, source.width, scratch.data());
            if (sourceRow) {
                FilterRow(sourceRow, source.width, horizontal.Row(row), stride, destWidth, sourceRect, x0, spanWidth);
            }
        }
        FilterColumns(horizontal, spanHeight, vertical, destHeight, sourceRect, y0);
        for (int j = 0; j < destHeight; ++j) {
            uint32_t* dest = pixels + std::size_t(clippedDest.y + j) * std::size_t(width) + std::size_t(clippedDest.x);
            const ChannelSums* sums = vertical.Row(j + 1) + 1;
            for (int i = 0; i < destWidth; ++i) {
                dest[i] = CompositeSum(dest[i], sums[i]);
            }
        }
    }
    NoteBitsChanged();
}

void MemoryImage::StretchBlitFast(MemoryImage& source, const Rect& clippedDest, const RectD& sourceRect,
                                  const Color& color, int)
{
    const uint32_t* sourcePixels = ColorEquals(ClampColor(color), Color::White) ? source.GetBits() : nullptr;
    uint32_t* pixels = sourcePixels ? GetBits() : nullptr;
    if (pixels && source.width > 0 && source.height > 0) {
        double stepX = sourceRect.width / clippedDest.width;
        double stepY = sourceRect.height / clippedDest.height;
        std::vector<uint32_t> sampled(std::size_t(clippedDest.width));
        BlendRow blend = ActiveBlendKernels().blendWhite;
        for (int j = 0; j < clippedDest.height; ++j) {
            int sourceY = std::clamp(TruncToInt(sourceRect.y + j * stepY), 0, source.height - 1);
            const uint32_t* sourceRow = sourcePixels + std::size_t(sourceY) * std::size_t(source.width);
            for (int i = 0; i < clippedDest.width; ++i) {
                sampled[std::size_t(i)] =
                    sourceRow[std::clamp(TruncToInt(sourceRect.x + i * stepX), 0, source.width - 1)];
            }
            uint32_t* dest = pixels + std::size_t(clippedDest.y + j) * std::size_t(width) + std::size_t(clippedDest.x);
            blend(dest, sampled.data(), clippedDest.width, BlendTint());
        }
    }
    NoteBitsChanged();
}

} // namespace Tolm
