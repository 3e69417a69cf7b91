// Unscaled blits onto a software image: normal mode with its run-length path for an opaque destination
// and its general path that respects the destination alpha, and additive mode.
#include "graphics/BlendKernels.h"
#include "graphics/MemoryImage.h"
#include "graphics/SoftwareDraw.h"

#include <cstring>
#include <vector>

namespace Tolm {

namespace {

// Reads the source rows of a blit, in the order the destination takes them: straight from the source's
// pixels, through a row buffer from a palette form or when mirrored, or from a copy when the source is the
// destination itself, so that the blit sees the pixels as they were before it started. A source without
// pixels gives no rows.
class SourceRows
{
public:
    SourceRows(MemoryImage& source, const BlitArea& area, bool isDestination, BlitFacing facing)
        : source(source), area(area), facing(facing)
    {
        if (source.HasPalette() || isDestination || facing == BlitFacing::Mirrored) {
            scratch.resize(std::size_t(area.dest.width));
        } else {
            direct = source.GetBits();
            return;
        }
        if (!isDestination) {
            return;
        }
        copy.resize(std::size_t(area.dest.width) * std::size_t(area.dest.height));
        for (int row = 0; row < area.dest.height; ++row) {
            const uint32_t* pixels = Read(row);
            if (!pixels) {
                copy.clear();
                return;
            }
            std::copy(pixels, pixels + area.dest.width, copy.begin() + std::ptrdiff_t(row) * area.dest.width);
        }
    }

    const uint32_t* Row(int row)
    {
        if (direct) {
            return direct + std::size_t(area.sourceY + row) * std::size_t(source.width) + std::size_t(area.sourceX);
        }
        if (!copy.empty()) {
            return copy.data() + std::size_t(row) * std::size_t(area.dest.width);
        }
        return Read(row);
    }

private:
    const uint32_t* Read(int row)
    {
        const uint32_t* pixels = source.ReadRow(area.sourceX, area.sourceY + row, area.dest.width, scratch.data());
        if (!pixels || facing == BlitFacing::Plain) {
            return pixels;
        }
        if (pixels == scratch.data()) {
            std::reverse(scratch.begin(), scratch.end());
        } else {
            std::reverse_copy(pixels, pixels + area.dest.width, scratch.begin());
        }
        return scratch.data();
    }

    MemoryImage& source;
    const BlitArea& area;
    BlitFacing facing;
    // The source's own pixels, when its rows are read as they stand.
    const uint32_t* direct = nullptr;
    std::vector<uint32_t> scratch;
    std::vector<uint32_t> copy;
};

// The blit of the given facing after the checks every blit makes of its source and draw mode.
void DispatchBlit(MemoryImage& destination, Image* source, int x, int y, const Rect& sourceRect, const Color& color,
                  int drawMode, BlitFacing facing)
{
    auto* memorySource = dynamic_cast<MemoryImage*>(source);
    if (!memorySource || (drawMode != DrawModeNormal && drawMode != DrawModeAdditive)) {
        return;
    }
    if (!IsEmpty(sourceRect) && !LiesInside(sourceRect, *memorySource)) {
        return;
    }
    if (drawMode == DrawModeNormal) {
        destination.BlitNormal(*memorySource, x, y, sourceRect, color, facing);
    } else {
        destination.BlitAdditive(*memorySource, x, y, sourceRect, color, facing);
    }
}

} // namespace

void MemoryImage::Blit(Image* source, int x, int y, const Rect& sourceRect, const Color& color, int drawMode)
{
    DispatchBlit(*this, source, x, y, sourceRect, color, drawMode, BlitFacing::Plain);
}

void MemoryImage::BlitMirror(Image* source, int x, int y, const Rect& sourceRect, const Color& color, int drawMode)
{
    DispatchBlit(*this, source, x, y, sourceRect, color, drawMode, BlitFacing::Mirrored);
}

void MemoryImage::BlitNormal(MemoryImage& source, int x, int y, const Rect& sourceRect, const Color& color,
                             BlitFacing facing)
{
    Color tint = ClampColor(color);
    BlitArea area = PlaceBlit(*this, x, y, sourceRect, facing);
    uint32_t* pixels = IsEmpty(area.dest) ? nullptr : GetBits();
    if (pixels) {
        bool white = ColorEquals(tint, Color::White);
        // The flags as last computed: a destination that has changed since may still count as opaque.
        bool ontoOpaque = !hasPartialAlpha && !hasTransparency && white;
        if (ontoOpaque) {
            source.UpdateAlphaFlags();
        }
        // An opaque source is copied row by row, which is what its runs would do. Forced flags may not
        // match the pixels, so the runs decide then.
        bool copyRows = ontoOpaque && !source.alphaFlagsForced && !source.hasTransparency && !source.hasPartialAlpha;
        // The run table describes the source left to right; a mirrored row is classed pixel by pixel instead,
        // which copies, skips and blends exactly as the runs would.
        const uint8_t* runs = ontoOpaque && !copyRows && facing == BlitFacing::Plain ? source.GetAlphaRuns() : nullptr;
        SourceRows rows(source, area, &source == this, facing);
        const BlendKernels& kernels = ActiveBlendKernels();
        BlendRow blend = ontoOpaque     ? kernels.blitOntoOpaque
                         : white        ? kernels.blendWhite
                         : IsGrey(tint) ? kernels.blendGrey
                                        : kernels.blendTinted;
        for (int row = 0; row < area.dest.height; ++row) {
            uint32_t* dest = pixels + std::size_t(area.dest.y + row) * std::size_t(width) + std::size_t(area.dest.x);
            const uint32_t* sourceRow = rows.Row(row);
            if (!sourceRow) {
                break;
            }
            if (copyRows) {
                std::memcpy(dest, sourceRow, std::size_t(area.dest.width) * sizeof(uint32_t));
            } else if (runs) {
                std::size_t runStart =
                    std::size_t(area.sourceY + row) * std::size_t(source.width) + std::size_t(area.sourceX);
                kernels.blitRunsOntoOpaque(dest, sourceRow, runs + runStart, area.dest.width);
            } else {
                blend(dest, sourceRow, area.dest.width, ToTint(tint));
            }
        }
    }
    NoteBitsChanged();
}

void MemoryImage::BlitAdditive(MemoryImage& source, int x, int y, const Rect& sourceRect, const Color& color,
                               BlitFacing facing)
{
    Color tint = ClampColor(color);
    BlitArea area = PlaceBlit(*this, x, y, sourceRect, facing);
    uint32_t* pixels = IsEmpty(area.dest) ? nullptr : GetBits();
    if (pixels) {
        const BlendKernels& kernels = ActiveBlendKernels();
        // The source's flag as last computed: it is not brought up to date here.
        bool weighted = source.hasPartialAlpha;
        BlendRow add;
        BlendTint scaled;
        if (ColorEquals(tint, Color::White)) {
            add = weighted ? kernels.addWhiteWeighted : kernels.addWhite;
        } else {
            add = weighted ? kernels.addTintedWeighted : kernels.addTinted;
            scaled.red = uint32_t(tint.red * tint.alpha) / 255;
            scaled.green = uint32_t(tint.green * tint.alpha) / 255;
            scaled.blue = uint32_t(tint.blue * tint.alpha) / 255;
        }
        SourceRows rows(source, area, &source == this, facing);
        for (int row = 0; row < area.dest.height; ++row) {
            uint32_t* dest = pixels + std::size_t(area.dest.y + row) * std::size_t(width) + std::size_t(area.dest.x);
            const uint32_t* sourceRow = rows.Row(row);
            if (!sourceRow) {
                break;
            }
            add(dest, sourceRow, area.dest.width, scaled);
        }
    }
    NoteBitsChanged();
}

} // namespace Tolm
