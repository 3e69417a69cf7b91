// Scaled blits onto a software image: an area filter that averages every source pixel into the destination
// pixels it covers when shrinking and interpolates linearly when enlarging, and a nearest-pixel engine.
// The area filter is separable: a horizontal pass over the source rows and a vertical pass over the
// destination rows, with integer weights scaled by 257 and 256 so that the result reads back with a 16-bit
// shift. The weights of both passes are worked out once per draw, as the taps each destination column and
// row takes from the source. Integer sums come out the same in any order, so each destination row then
// weighs its source rows column by column first and those column sums into its pixels after, in the blend
// kernels' vector arithmetic, and still gives exactly the pixels of the two passes.
#include "graphics/BlendKernels.h"
#include "graphics/MemoryImage.h"
#include "graphics/SoftwareDraw.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <utility>
#include <vector>

namespace Tolm {

namespace {

// A source column or row and its weight in one destination column or row.
struct Tap
{
    int index;
    int32_t weight;
};

// A tap as a pass produces it, with the entry (1-based destination column or row) it goes to.
struct Contribution
{
    int entry;
    int index;
    int32_t weight;
};

// The contributions of one pass, in the order it makes them.
class Contributions
{
public:
    // Room for `most` contributions.
    void Reset(int most)
    {
        if (items.size() < std::size_t(most)) {
            items.resize(std::size_t(most));
        }
        count = 0;
    }

    void Add(int entry, int index, int32_t weight) { items[std::size_t(count++)] = Contribution{entry, index, weight}; }

    std::span<const Contribution> All() const
    {
        return std::span<const Contribution>(items.data(), std::size_t(count));
    }

private:
    std::vector<Contribution> items;
    int count = 0;
};

// The taps of entries 1..count of one pass, each entry's in the order the pass made them, equal indices
// merged and zero weights left out. Contributions to other entries would land in the margins of the
// filter's buffers, which are never output, and are dropped.
class PassTaps
{
public:
    void Build(int entryCount, const Contributions& contributions)
    {
        count = entryCount;
        auto counted = [this](const Contribution& c) { return c.entry >= 1 && c.entry <= count; };
        ends.assign(std::size_t(count) + 1, 0);
        for (const Contribution& c : contributions.All()) {
            if (counted(c)) {
                ++ends[std::size_t(c.entry)];
            }
        }
        for (std::size_t e = 1; e < ends.size(); ++e) {
            ends[e] += ends[e - 1];
        }
        next.assign(ends.begin(), ends.end() - 1);
        sorted.resize(std::size_t(ends.back()));
        for (const Contribution& c : contributions.All()) {
            if (counted(c)) {
                sorted[std::size_t(next[std::size_t(c.entry - 1)]++)] = Tap{c.index, c.weight};
            }
        }
        taps.resize(sorted.size());
        starts.resize(std::size_t(count) + 1);
        int out = 0;
        for (int e = 0; e < count; ++e) {
            int start = out;
            starts[std::size_t(e)] = start;
            for (int i = ends[std::size_t(e)]; i < ends[std::size_t(e) + 1]; ++i) {
                Tap tap = sorted[std::size_t(i)];
                if (out > start && taps[std::size_t(out - 1)].index == tap.index) {
                    taps[std::size_t(out - 1)].weight += tap.weight;
                } else {
                    taps[std::size_t(out++)] = tap;
                }
            }
            int kept = start;
            for (int i = start; i < out; ++i) {
                if (taps[std::size_t(i)].weight != 0) {
                    taps[std::size_t(kept++)] = taps[std::size_t(i)];
                }
            }
            out = kept;
        }
        starts[std::size_t(count)] = out;
    }

    int Count() const { return count; }

    std::span<const Tap> Of(int entry) const
    {
        return std::span<const Tap>(taps.data() + starts[std::size_t(entry - 1)],
                                    taps.data() + starts[std::size_t(entry)]);
    }

private:
    int count = 0;
    std::vector<int> ends;
    std::vector<int> next;
    std::vector<Tap> sorted;
    std::vector<Tap> taps;
    std::vector<int> starts;
};

// The horizontal pass, as the source columns that each destination column takes in. Enlarging reads
// whole source rows; shrinking reads the span's columns from x0. A weight's size stays below 2 x 257 (a
// position just left of 0, when less than a pixel is enlarged), well within the kernels' 16-bit weights.
void ColumnContributions(Contributions& out, int imageWidth, int destWidth, const RectD& source, int x0, int spanWidth)
{
    if (destWidth > source.width) {
        out.Reset(2 * destWidth);
        double step = destWidth == 1 ? source.width : (source.width - 1) / (destWidth - 1);
        for (int column = 1; column <= destWidth; ++column) {
            double position = (column - 1) * step + source.x;
            int xi = TruncToInt(position);
            if (xi < 0 || xi >= imageWidth) {
                continue;
            }
            int32_t first = TruncToInt((1 - (position - xi)) * 257);
            out.Add(column, xi, first);
            if (xi + 1 < imageWidth) {
                out.Add(column, xi + 1, 257 - first);
            }
        }
        return;
    }
    out.Reset(2 * spanWidth);
    double scale = destWidth / source.width;
    double base = (x0 - source.x) * scale + 1;
    int32_t whole = TruncToInt(scale * 257);
    for (int i = 0; i < spanWidth; ++i) {
        double offset = i * scale + base;
        int low = TruncToInt(offset);
        int high = TruncToInt(offset + scale);
        int x = x0 + i;
        if (low == high) {
            out.Add(low, x, whole);
        } else {
            out.Add(low, x, TruncToInt((high - offset) * 257));
            out.Add(low + 1, x, TruncToInt((offset + scale - high) * 257));
        }
    }
}

// The vertical pass, as the span's rows (0 is source row y0) that each destination row takes in. Rows
// outside the span read as nothing. Every weight is 0..256 and a destination row's add up to at most 256,
// which keeps the kernels' column sums within 16 bits: enlarging, a row takes (int)((1 - f) x 256) and the
// rest to 256 (f, the fraction of its position, is negative only when the span has one row, whose two taps
// then merge to 256); shrinking, the parts of a destination row that source rows cover add up to at most 1.
void RowContributions(Contributions& out, int spanHeight, int destHeight, const RectD& source, int y0)
{
    auto add = [&](int row, int spanRow, int32_t weight) {
        if (spanRow >= 0 && spanRow < spanHeight) {
            out.Add(row, spanRow, weight);
        }
    };
    if (destHeight > source.height) {
        out.Reset(2 * destHeight);
        double step = destHeight == 1 ? source.height : (source.height - 1) / (destHeight - 1);
        for (int row = 1; row <= destHeight; ++row) {
            double relative = source.y - TruncToInt(source.y) + (row - 1) * step;
            int ri = TruncToInt(relative);
            int next = ri == spanHeight - 1 ? ri : ri + 1;
            int32_t first = TruncToInt((1 - (relative - ri)) * 256);
            add(row, ri, first);
            add(row, next, 256 - first);
        }
        return;
    }
    out.Reset(2 * spanHeight);
    double scale = destHeight / source.height;
    double base = (y0 - source.y) * scale + 1;
    int32_t whole = TruncToInt(scale * 256);
    for (int j = 0; j < spanHeight; ++j) {
        double offset = j * scale + base;
        int low = TruncToInt(std::floor(offset));
        int high = TruncToInt(std::floor(offset + scale));
        if (low == high) {
            add(low, j, whole);
        } else {
            add(low, j, TruncToInt((high - offset) * 256));
            add(low + 1, j, TruncToInt((offset + scale - high) * 256));
        }
    }
}

// The horizontal taps laid out for the kernels: every destination column weighs the same number of
// neighbouring columns of the column sums, from its own first one, in pairs.
class EntryTable
{
public:
    // Columns [left, left + width) of the source are the ones any tap reads.
    void Build(const PassTaps& columns)
    {
        left = INT32_MAX;
        int right = INT32_MIN;
        int span = 0;
        for (int e = 1; e <= columns.Count(); ++e) {
            auto [low, high] = Extent(columns.Of(e));
            if (low < high) {
                left = std::min(left, low);
                right = std::max(right, high);
                span = std::max(span, high - low);
            }
        }
        if (left > right) {
            left = right = 0;
        }
        width = right - left;
        layout.pairs = (span + 1) / 2;
        layout.count = (columns.Count() + 15) / 16 * 16;
        first.assign(std::size_t(layout.count), 0);
        weights.assign(std::size_t(layout.pairs) * std::size_t(layout.count) * 4, 0);
        bias.assign(std::size_t(layout.count) * 4, 0);
        dense.resize(std::size_t(2 * layout.pairs));
        for (int c = 0; c < columns.Count(); ++c) {
            std::span<const Tap> taps = columns.Of(c + 1);
            int low = Extent(taps).first;
            first[std::size_t(c)] = taps.empty() ? 0 : low - left;
            std::fill(dense.begin(), dense.end(), 0);
            for (const Tap& tap : taps) {
                dense[std::size_t(tap.index - low)] += tap.weight;
            }
            int32_t total = 0;
            for (int p = 0; p < layout.pairs; ++p) {
                int32_t even = dense[std::size_t(2 * p)];
                int32_t odd = dense[std::size_t(2 * p + 1)];
                total += even + odd;
                uint32_t pair = (uint32_t(uint16_t(odd)) << 16) | uint16_t(even);
                std::fill_n(weights.begin() + std::ptrdiff_t(4 * (std::size_t(p) * layout.count + c)), 4,
                            int32_t(pair));
            }
            std::fill_n(bias.begin() + std::ptrdiff_t(4 * c), 4, total * 32768);
        }
        layout.first = first.data();
        layout.weights = weights.data();
        layout.bias = bias.data();
    }

    // The columns a row of column sums needs, however far the last entry's pairs reach past the last tap.
    int SumsWidth() const
    {
        int needed = width;
        for (int c = 0; c < layout.count; ++c) {
            needed = std::max(needed, first[std::size_t(c)] + 2 * layout.pairs);
        }
        return needed;
    }

    StretchEntryWeights layout{};
    int left = 0;
    int width = 0;

private:
    // The lowest index of the taps and one past the highest; (0, 0) without taps.
    static std::pair<int, int> Extent(std::span<const Tap> taps)
    {
        if (taps.empty()) {
            return {0, 0};
        }
        auto [low, high] =
            std::minmax_element(taps.begin(), taps.end(), [](const Tap& a, const Tap& b) { return a.index < b.index; });
        return {low->index, high->index + 1};
    }

    std::vector<int32_t> first;
    std::vector<int32_t> weights;
    std::vector<int32_t> bias;
    std::vector<int32_t> dense;
};

// Everything the weights of a draw depend on.
struct WeightsKey
{
    RectD source;
    int destWidth = 0;
    int destHeight = 0;
    int imageWidth = 0;
    int imageHeight = 0;

    bool operator==(const WeightsKey&) const = default;
};

// What one draw keeps between its rows. Kept between calls too: a scale-in animation stretches a whole
// window every frame, and the same image drawn at the same scale in many places (the tiles of a scaled
// screen) takes the weights of the draw before.
struct SmoothScratch
{
    WeightsKey key;
    bool haveWeights = false;
    Contributions contributions;
    PassTaps columns;
    PassTaps rows;
    EntryTable table;
    std::vector<uint32_t> copied;
    std::vector<uint16_t> sums;
    std::vector<uint32_t> filtered;
    std::vector<const uint32_t*> rowPointers;
    std::vector<uint16_t> rowWeights;
};

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
    // Taken before the weights, so that nothing runs between working them out and using them.
    const uint32_t* sourceBits = source.HasPalette() ? nullptr : source.GetBits();
    if (spanWidth < 1 || spanHeight < 1 || !pixels || !(sourceBits || source.HasPalette())) {
        NoteBitsChanged();
        return;
    }
    static thread_local SmoothScratch scratch;
    int destWidth = clippedDest.width;
    WeightsKey key{sourceRect, destWidth, clippedDest.height, source.width, source.height};
    if (!scratch.haveWeights || !(key == scratch.key)) {
        ColumnContributions(scratch.contributions, source.width, destWidth, sourceRect, x0, spanWidth);
        scratch.columns.Build(destWidth, scratch.contributions);
        RowContributions(scratch.contributions, spanHeight, clippedDest.height, sourceRect, y0);
        scratch.rows.Build(clippedDest.height, scratch.contributions);
        scratch.table.Build(scratch.columns);
        scratch.key = key;
        scratch.haveWeights = true;
    }
    EntryTable& table = scratch.table;

    // The source rows of the span, columns [left, left + width). A palette source is expanded, and an image
    // stretched onto itself is read from a copy taken before the first write.
    const uint32_t* sourceBase = nullptr;
    std::size_t sourceStride = std::size_t(table.width);
    if (sourceBits && &source != this) {
        sourceStride = std::size_t(source.width);
        sourceBase = sourceBits + std::size_t(y0) * sourceStride + std::size_t(table.left);
    } else {
        scratch.copied.resize(std::size_t(spanHeight) * sourceStride);
        for (int row = 0; row < spanHeight; ++row) {
            uint32_t* copy = scratch.copied.data() + std::size_t(row) * sourceStride;
            const uint32_t* read = source.ReadRow(table.left, y0 + row, table.width, copy);
            if (read != copy) {
                std::copy_n(read, table.width, copy);
            }
        }
        sourceBase = scratch.copied.data();
    }

    const BlendKernels& kernels = ActiveBlendKernels();
    scratch.sums.assign(std::size_t(table.SumsWidth()) * 4, 0);
    scratch.filtered.resize(std::size_t(table.layout.count));
    for (int j = 0; j < clippedDest.height; ++j) {
        std::span<const Tap> rowTaps = scratch.rows.Of(j + 1);
        if (rowTaps.empty()) {
            continue;
        }
        scratch.rowPointers.resize(rowTaps.size());
        scratch.rowWeights.resize(rowTaps.size());
        for (std::size_t t = 0; t < rowTaps.size(); ++t) {
            scratch.rowPointers[t] = sourceBase + std::size_t(rowTaps[t].index) * sourceStride;
            scratch.rowWeights[t] = uint16_t(rowTaps[t].weight);
        }
        kernels.stretchColumns(scratch.sums.data(), scratch.rowPointers.data(), scratch.rowWeights.data(),
                               int(rowTaps.size()), table.width);
        kernels.stretchEntries(scratch.filtered.data(), scratch.sums.data(), table.layout);
        uint32_t* dest = pixels + std::size_t(clippedDest.y + j) * std::size_t(width) + std::size_t(clippedDest.x);
        kernels.stretchOver(dest, scratch.filtered.data(), destWidth, BlendTint());
    }
    NoteBitsChanged();
}

void MemoryImage::StretchBlitFast(MemoryImage& source, const Rect& clippedDest, const RectD& sourceRect,
                                  const Color& color, int)
{
    const uint32_t* sourcePixels = ColorEquals(ClampColor(color), Color::White) ? source.GetBits() : nullptr;
    uint32_t* pixels = sourcePixels ? GetBits() : nullptr;
    if (pixels && source.width > 0 && source.height > 0) {
        const int count = clippedDest.width;
        double stepX = sourceRect.width / count;
        double stepY = sourceRect.height / clippedDest.height;
        static thread_local std::vector<int> columns;
        static thread_local std::vector<uint32_t> samples;
        columns.resize(std::size_t(count));
        samples.resize(std::size_t(count));
        int* column = columns.data();
        uint32_t* sampled = samples.data();
        for (int i = 0; i < count; ++i) {
            column[i] = std::clamp(TruncToInt(sourceRect.x + i * stepX), 0, source.width - 1);
        }
        BlendRow blend = ActiveBlendKernels().blendWhite;
        int sampledRow = -1;
        for (int j = 0; j < clippedDest.height; ++j) {
            int sourceY = std::clamp(TruncToInt(sourceRect.y + j * stepY), 0, source.height - 1);
            // Rows that repeat a source row blend the same samples again, unless the image is drawn onto
            // itself and the row may have changed since.
            if (sourceY != sampledRow || &source == this) {
                const uint32_t* sourceRow = sourcePixels + std::size_t(sourceY) * std::size_t(source.width);
                for (int i = 0; i < count; ++i) {
                    sampled[i] = sourceRow[column[i]];
                }
                sampledRow = sourceY;
            }
            uint32_t* dest = pixels + std::size_t(clippedDest.y + j) * std::size_t(width) + std::size_t(clippedDest.x);
            blend(dest, sampled, count, BlendTint());
        }
    }
    NoteBitsChanged();
}

} // namespace Tolm
