// Unscaled blits into a surface image's locked surface, in the surface's own pixel format: the normal
// blit's four ways (a source drawn uncached, a surface-to-surface DirectDraw blit, a copy, and the blend
// along the source's alpha runs), the additive blit along its non-black runs, the mirrored pair, and the
// matrix and triangle draws handed to the triangle rasterizer with the surface's format code.
#include "core/Matrix.h"
#include "display/D3DInterface.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "display/SurfaceDrawing.h"
#include "graphics/BlendKernels.h"
#include "graphics/SoftwareDraw.h"
#include "rasterizer/TriangleRoutineTable.h"

#include <array>
#include <cstring>
#include <optional>
#include <type_traits>
#include <vector>

namespace Tolm {

using namespace SurfaceBlend;
using namespace Platform;

namespace {

std::size_t SourceStart(const BlitArea& area, int sourceWidth, int row)
{
    return std::size_t(area.sourceY + row) * std::size_t(sourceWidth) + std::size_t(area.sourceX);
}

template <typename Pixel, BlitFacing Facing>
DestinationRow<Pixel, Facing> DestinationOf(const LockedSurface& surface, const BlitArea& area, int row)
{
    int x = Facing == BlitFacing::Plain ? area.dest.x : area.dest.x + area.dest.width - 1;
    return {surface.At<Pixel>(x, area.dest.y + row)};
}

// Pixels i to i + length - 1 of a row blended or added: by the kernels where the rule has them and the row
// runs in the source's order (a palette source's words looked up first), pixel by pixel otherwise.
template <typename Rule, typename Pixel, BlitFacing Facing, typename Source>
void BlendRun(const Rule& rule, const DestinationRow<Pixel, Facing>& dest, const Source& source, std::size_t start,
              int i, int length)
{
    if constexpr (BlendsRuns<Rule> && Facing == BlitFacing::Plain && std::is_same_v<Source, DirectSource>) {
        rule.BlendRun(&dest[i], source.words + start + std::size_t(i), length);
    } else if constexpr (BlendsRuns<Rule> && Facing == BlitFacing::Plain) {
        // A run is at most 255 pixels.
        std::array<uint32_t, 255> words;
        for (int k = 0; k < length; ++k) {
            words[std::size_t(k)] = source[start + std::size_t(i + k)];
        }
        rule.BlendRun(&dest[i], words.data(), length);
    } else {
        for (int k = i; k < i + length; ++k) {
            dest[k] = rule.Blend(dest[k], source[start + std::size_t(k)]);
        }
    }
}

// The untinted 32-bit rule writes an opaque source word as it is.
template <typename Rule>
constexpr bool OpaqueIsWord = std::is_same_v<Rule, KernelBlend<White32>>;

// Pixels i to i + length - 1 of an opaque run, by the rule's opaque form: copied whole where that is the
// source word itself and the words lie in the row's order.
template <typename Rule, typename Pixel, BlitFacing Facing, typename Source>
void WriteOpaqueRun(const Rule& rule, const DestinationRow<Pixel, Facing>& dest, const Source& source,
                    std::size_t start, int i, int length)
{
    if constexpr (OpaqueIsWord<Rule> && Facing == BlitFacing::Plain && std::is_same_v<Source, DirectSource>) {
        std::memcpy(&dest[i], source.words + start + std::size_t(i), std::size_t(length) * sizeof(uint32_t));
    } else {
        for (int k = i; k < i + length; ++k) {
            dest[k] = rule.Opaque(source[start + std::size_t(k)]);
        }
    }
}

// Normal mode along the alpha runs: clear runs are skipped, opaque runs written by the rule's opaque form
// while the tint keeps them opaque, and every other pixel blended by its own alpha.
template <BlitFacing Facing, typename Rule, typename Source>
void BlendAlongRuns(const LockedSurface& surface, const BlitArea& area, int sourceWidth, const Source& source,
                    const uint8_t* runs, const Rule& rule, bool opaqueRuns)
{
    const int width = area.dest.width;
    for (int row = 0; row < area.dest.height; ++row) {
        auto dest = DestinationOf<typename Rule::Pixel, Facing>(surface, area, row);
        std::size_t start = SourceStart(area, sourceWidth, row);
        const uint8_t* rowRuns = runs + start;
        for (int i = 0; i < width;) {
            int length = RunLength(rowRuns, i, width);
            uint32_t alpha = source[start + std::size_t(i)] >> 24;
            if (alpha == 255 && opaqueRuns) {
                WriteOpaqueRun(rule, dest, source, start, i, length);
            } else if (alpha != 0) {
                BlendRun(rule, dest, source, start, i, length);
            }
            i += length;
        }
    }
}

// Additive along the non-black runs: black runs add nothing and are skipped.
template <BlitFacing Facing, typename Rule, typename Source>
void AddAlongRuns(const LockedSurface& surface, const BlitArea& area, int sourceWidth, const Source& source,
                  const uint8_t* runs, const Rule& rule)
{
    const int width = area.dest.width;
    for (int row = 0; row < area.dest.height; ++row) {
        auto dest = DestinationOf<typename Rule::Pixel, Facing>(surface, area, row);
        std::size_t start = SourceStart(area, sourceWidth, row);
        const uint8_t* rowRuns = runs + start;
        for (int i = 0; i < width;) {
            int length = RunLength(rowRuns, i, width);
            if ((source[start + std::size_t(i)] & 0x00FFFFFF) != 0) {
                BlendRun(rule, dest, source, start, i, length);
            }
            i += length;
        }
    }
}

// The untinted addition of a direct source onto 32 bits by the kernel that leaves black pixels alone itself
// and clears the top byte of the others, which is what the runs would do: only black runs long enough to
// be worth a call of their own are skipped, so a row costs few calls and no second pass.
void AddAcrossShortBlackRuns(const LockedSurface& surface, const BlitArea& area, int sourceWidth,
                             const DirectSource& source, const uint8_t* runs, BlendRow add)
{
    constexpr int LongBlackRun = 32;
    const int width = area.dest.width;
    for (int row = 0; row < area.dest.height; ++row) {
        uint32_t* dest = surface.At<uint32_t>(area.dest.x, area.dest.y + row);
        std::size_t start = SourceStart(area, sourceWidth, row);
        const uint32_t* words = source.words + start;
        const uint8_t* rowRuns = runs + start;
        int added = 0;
        for (int i = 0; i < width;) {
            int length = RunLength(rowRuns, i, width);
            if (length >= LongBlackRun && (words[i] & 0x00FFFFFF) == 0) {
                add(dest + added, words + added, i - added, BlendTint());
                added = i + length;
            }
            i += length;
        }
        add(dest + added, words + added, width - added, BlendTint());
    }
}

// An opaque source written as it is; with `keyed`, its clear pixels are left out.
template <typename Pixel, typename Source>
void CopyRows(const LockedSurface& surface, const BlitArea& area, int sourceWidth, const Source& source, bool keyed)
{
    for (int row = 0; row < area.dest.height; ++row) {
        Pixel* dest = surface.At<Pixel>(area.dest.x, area.dest.y + row);
        std::size_t start = SourceStart(area, sourceWidth, row);
        if (keyed) {
            for (int i = 0; i < area.dest.width; ++i) {
                uint32_t s = source[start + std::size_t(i)];
                if (s >= 0x01000000) {
                    dest[i] = Pixel(s);
                }
            }
        } else if constexpr (std::is_same_v<Pixel, uint32_t> && std::is_same_v<Source, DirectSource>) {
            std::memcpy(dest, source.words + start, std::size_t(area.dest.width) * sizeof(uint32_t));
        } else {
            for (int i = 0; i < area.dest.width; ++i) {
                dest[i] = Pixel(source[start + std::size_t(i)]);
            }
        }
    }
}

// Every pixel of a source drawn uncached blended from its raw colours, without runs.
template <typename Rule>
void BlendUncached(const LockedSurface& surface, const BlitArea& area, MemoryImage& source, const Rule& rule)
{
    std::vector<uint32_t> scratch(std::size_t(area.dest.width));
    for (int row = 0; row < area.dest.height; ++row) {
        const uint32_t* pixels = source.ReadRow(area.sourceX, area.sourceY + row, area.dest.width, scratch.data());
        if (!pixels) {
            return;
        }
        auto* dest = surface.At<typename Rule::Pixel>(area.dest.x, area.dest.y + row);
        for (int i = 0; i < area.dest.width; ++i) {
            dest[i] = rule.Blend(dest[i], pixels[i]);
        }
    }
}

// Calls `draw` with the normal-mode rule of the surface's layout and the colour. The 32-bit blends go
// through the kernels. The grey rule sums red and blue in one product, which the kernel's channel by
// channel sums equal as long as a source channel never exceeds the source's alpha: premultiplied words
// never do.
template <typename Draw>
void WithNormalRule(const LockedSurface& surface, const Color& color, Draw draw)
{
    const BlendKernels& kernels = ActiveBlendKernels();
    if (ColorEquals(color, Color::White)) {
        switch (surface.kind) {
        case SurfaceKind::Spread565:
            draw(SpreadWhite<kSpread565>());
            return;
        case SurfaceKind::Spread555:
            draw(SpreadWhite<kSpread555>());
            return;
        case SurfaceKind::Masked16:
            draw(MaskedWhite<uint16_t>{surface.Masks()});
            return;
        case SurfaceKind::Bits32:
            draw(KernelBlend<White32>{{}, kernels.blendPremultiplied, BlendTint()});
            return;
        }
    }
    ScaledTint tint = ScaleTint(color);
    bool grey = tint.red == tint.green && tint.green == tint.blue;
    if (grey && surface.kind == SurfaceKind::Spread565) {
        draw(SpreadGrey<kSpread565>{tint.red >> 3, tint.alpha});
    } else if (grey && surface.kind == SurfaceKind::Spread555) {
        draw(SpreadGrey<kSpread555>{tint.red >> 3, tint.alpha});
    } else if (grey && surface.kind == SurfaceKind::Bits32) {
        draw(KernelBlend<Grey32>{{tint.red, tint.alpha},
                                 kernels.blendPremultipliedTinted,
                                 BlendTint{tint.red, tint.red, tint.red, tint.alpha}});
    } else if (surface.depth == 16) {
        draw(MaskedTinted<uint16_t>{surface.Masks(), tint});
    } else if (std::optional<BlendTint> placed = TintByBytes(surface, tint)) {
        draw(KernelBlend<MaskedTinted<uint32_t>>{{surface.Masks(), tint}, kernels.blendPremultipliedTinted, *placed});
    } else {
        draw(MaskedTinted<uint32_t>{surface.Masks(), tint});
    }
}

template <typename Draw>
void WithUncachedRule(const LockedSurface& surface, Draw draw)
{
    if (surface.rgbOrder && surface.kind == SurfaceKind::Spread565) {
        draw(UncachedSpread<kSpread565>());
    } else if (surface.rgbOrder && surface.kind == SurfaceKind::Spread555) {
        draw(UncachedSpread<kSpread555>());
    } else if (surface.rgbOrder && surface.depth == 32) {
        draw(UncachedRgb32());
    } else if (surface.depth == 16) {
        draw(UncachedMasked<uint16_t>{surface.Masks()});
    } else {
        draw(UncachedMasked<uint32_t>{surface.Masks()});
    }
}

// The display's triangle format code for the surface; none for a 16-bit layout the rasterizer has no
// routines for.
std::optional<int> TriangleFormatOf(const DDPIXELFORMAT& format)
{
    if (format.rgbBitCount == 32) {
        return kFormatRgb888;
    }
    if (format.rgbBitCount == 16 && format.blueMask == 0x001F) {
        if (format.redMask == 0xF800 && format.greenMask == 0x07E0) {
            return kFormatRgb565;
        }
        if (format.redMask == 0x7C00 && format.greenMask == 0x03E0) {
            return kFormatRgb555;
        }
    }
    return std::nullopt;
}

template <BlitFacing Facing>
void BlendAlongAlphaRuns(DDImage& image, MemoryImage& source, int x, int y, const Rect& sourceRect, const Color& color)
{
    BlitArea area = PlaceBlit(image, x, y, sourceRect, Facing);
    if (IsEmpty(area.dest)) {
        return;
    }
    Color tint = ClampColor(color);
    DrawOnLockedSurface(image, [&](const LockedSurface& surface) {
        const uint8_t* runs = source.GetAlphaRuns();
        if (!runs) {
            return;
        }
        WithNormalRule(surface, tint, [&](const auto& rule) {
            WithSourceForm(source, image.display->GetPixelFormat(), [&](const auto& form) {
                BlendAlongRuns<Facing>(surface, area, source.width, form, runs, rule, tint.alpha == 255);
            });
        });
    });
}

template <BlitFacing Facing>
void AddAlongNonBlackRuns(DDImage& image, Image* source, int x, int y, const Rect& sourceRect, const Color& color)
{
    auto* memorySource = dynamic_cast<MemoryImage*>(source);
    if (!memorySource || image.noReadBack || !LiesInside(sourceRect, *memorySource)) {
        return;
    }
    BlitArea area = PlaceBlit(image, x, y, sourceRect, Facing);
    if (IsEmpty(area.dest)) {
        return;
    }
    memorySource->UpdateAlphaFlags();
    Color tint = ClampColor(color);
    bool white = ColorEquals(tint, Color::White);
    DrawOnLockedSurface(image, [&](const LockedSurface& surface) {
        PixelFormat format = image.display->GetPixelFormat();
        const uint8_t* runs = memorySource->GetAdditiveRuns(format);
        if (!runs) {
            return;
        }
        auto add = [&](const auto& rule) {
            WithSourceForm(*memorySource, format, [&](const auto& form) {
                AddAlongRuns<Facing>(surface, area, memorySource->width, form, runs, rule);
            });
        };
        ScaledTint scaled = ScaleTint(tint);
        std::optional<BlendTint> placed = surface.depth == 32 ? TintByBytes(surface, scaled) : std::nullopt;
        const BlendKernels& kernels = ActiveBlendKernels();
        if (surface.depth == 16) {
            white ? add(AddWhite<uint16_t>{surface.red, surface.green, surface.blue})
                  : add(AddTinted<uint16_t>{surface.red, surface.green, surface.blue, scaled});
        } else if (placed && white) {
            WithSourceForm(*memorySource, format, [&](const auto& form) {
                if constexpr (Facing == BlitFacing::Plain &&
                              std::is_same_v<std::decay_t<decltype(form)>, DirectSource>) {
                    AddAcrossShortBlackRuns(surface, area, memorySource->width, form, runs, kernels.addOntoSurface);
                } else {
                    AddAlongRuns<Facing>(surface, area, memorySource->width, form, runs,
                                         AddWhite<uint32_t>{surface.red, surface.green, surface.blue});
                }
            });
        } else if (placed) {
            add(KernelAdd<AddTinted<uint32_t>>{
                {surface.red, surface.green, surface.blue, scaled}, kernels.addTinted, *placed});
        } else {
            white ? add(AddWhite<uint32_t>{surface.red, surface.green, surface.blue})
                  : add(AddTinted<uint32_t>{surface.red, surface.green, surface.blue, scaled});
        }
    });
}

void BlitUncached(DDImage& image, MemoryImage& source, int x, int y, const Rect& sourceRect)
{
    BlitArea area = PlaceBlit(image, x, y, sourceRect, BlitFacing::Plain);
    if (IsEmpty(area.dest)) {
        return;
    }
    DrawOnLockedSurface(image, [&](const LockedSurface& surface) {
        WithUncachedRule(surface, [&](const auto& rule) { BlendUncached(surface, area, source, rule); });
    });
}

// DirectDraw's blit from the source's surface, the destination's own lock let go of around it.
void BlitSurfaceToSurface(DDImage& image, DDImage& source, int x, int y, const Rect& sourceRect)
{
    BlitArea area = PlaceBlit(image, x, y, sourceRect, BlitFacing::Plain);
    IDirectDrawSurface* from = IsEmpty(area.dest) ? nullptr : source.GetSurface();
    IDirectDrawSurface* to = from ? image.GetSurface() : nullptr;
    if (!to) {
        return;
    }
    image.PauseSurfaceLock();
    RECT destRect{area.dest.x, area.dest.y, area.dest.x + area.dest.width, area.dest.y + area.dest.height};
    RECT part{area.sourceX, area.sourceY, area.sourceX + area.dest.width, area.sourceY + area.dest.height};
    to->Blt(&destRect, from, &part, DDBLT_WAIT | (source.hasTransparency ? DDBLT_KEYSRC : 0u), nullptr);
    image.ResumeSurfaceLock();
}

void CopyOpaqueSource(DDImage& image, MemoryImage& source, int x, int y, const Rect& sourceRect)
{
    BlitArea area = PlaceBlit(image, x, y, sourceRect, BlitFacing::Plain);
    if (IsEmpty(area.dest)) {
        return;
    }
    bool keyed = source.hasTransparency;
    DrawOnLockedSurface(image, [&](const LockedSurface& surface) {
        WithSourceForm(source, image.display->GetPixelFormat(), [&](const auto& form) {
            if (surface.depth == 16) {
                CopyRows<uint16_t>(surface, area, source.width, form, keyed);
            } else {
                CopyRows<uint32_t>(surface, area, source.width, form, keyed);
            }
        });
    });
}

// Locks the surface and hands the draw its triangle format code; after drawing, the surface is the only
// copy. A 16-bit layout without triangle routines draws nothing.
template <typename Draw>
void DrawWithTriangleFormat(DDImage& image, Draw draw)
{
    if (!image.LockSurface()) {
        return;
    }
    std::optional<int> format = TriangleFormatOf(image.lockDesc.pixelFormat);
    if (image.lockDesc.surface && format) {
        draw(*format);
    }
    image.UnlockSurface();
    image.DiscardMemoryCopies();
}

} // namespace

void DDImage::BlitNormal(Image* source, int x, int y, const Rect& sourceRect, const Color& color)
{
    auto* memorySource = dynamic_cast<MemoryImage*>(source);
    if (!memorySource || !LiesInside(sourceRect, *memorySource)) {
        return;
    }
    auto* surfaceSource = dynamic_cast<DDImage*>(source);
    bool sourceHasSurface = surfaceSource && surfaceSource->surface;
    bool white = ColorEquals(ClampColor(color), Color::White);
    if (memorySource->frequentUpdates && !sourceHasSurface && !noReadBack && white) {
        BlitUncached(*this, *memorySource, x, y, sourceRect);
        return;
    }
    memorySource->UpdateAlphaFlags();
    bool opaqueCopy = !memorySource->hasPartialAlpha && white;
    // Video memory is far to read from while drawing into system memory: such a source is copied.
    if (opaqueCopy && sourceHasSurface && !(!videoMemory && surfaceSource->videoMemory)) {
        BlitSurfaceToSurface(*this, *surfaceSource, x, y, sourceRect);
        return;
    }
    if (noReadBack) {
        return;
    }
    if (opaqueCopy) {
        CopyOpaqueSource(*this, *memorySource, x, y, sourceRect);
    } else {
        BlendAlongAlphaRuns<BlitFacing::Plain>(*this, *memorySource, x, y, sourceRect, color);
    }
}

void DDImage::BlitAdditive(Image* source, int x, int y, const Rect& sourceRect, const Color& color)
{
    AddAlongNonBlackRuns<BlitFacing::Plain>(*this, source, x, y, sourceRect, color);
}

void DDImage::BlitMirrorNormal(Image* source, int x, int y, const Rect& sourceRect, const Color& color)
{
    auto* memorySource = dynamic_cast<MemoryImage*>(source);
    if (!memorySource || noReadBack || !LiesInside(sourceRect, *memorySource)) {
        return;
    }
    memorySource->UpdateAlphaFlags();
    BlendAlongAlphaRuns<BlitFacing::Mirrored>(*this, *memorySource, x, y, sourceRect, color);
}

void DDImage::BlitMirrorAdditive(Image* source, int x, int y, const Rect& sourceRect, const Color& color)
{
    AddAlongNonBlackRuns<BlitFacing::Mirrored>(*this, source, x, y, sourceRect, color);
}

// An image that keeps its pixels in memory is drawn there; on a surface, only the normal and the additive
// mode draw.
void DDImage::BlitMirror(Image* source, int x, int y, const Rect& sourceRect, const Color& color, int drawMode)
{
    if (IsOn3DTarget()) {
        if (auto* memorySource = dynamic_cast<MemoryImage*>(source)) {
            Display3D().BlitMirror(*memorySource, float(x), float(y), sourceRect, color, drawMode, false);
        }
        return;
    }
    if (DrawsInMemory()) {
        MemoryImage::BlitMirror(source, x, y, sourceRect, color, drawMode);
        return;
    }
    if (drawMode == DrawModeNormal) {
        BlitMirrorNormal(source, x, y, sourceRect, color);
    } else if (drawMode == DrawModeAdditive) {
        BlitMirrorAdditive(source, x, y, sourceRect, color);
    }
    DiscardMemoryCopies();
}

void DDImage::BlitMatrix(Image* source, float x, float y, const Matrix3& matrix, const Rect& clipRect,
                         const Color& color, int drawMode, const Rect& sourceRect, bool bilinear)
{
    if (IsOn3DTarget()) {
        if (auto* memorySource = dynamic_cast<MemoryImage*>(source)) {
            Display3D().BlitTransformed(*memorySource, &clipRect, color, drawMode, sourceRect, matrix, bilinear, x, y,
                                        true);
        }
        return;
    }
    if (!display) {
        MemoryImage::BlitMatrix(source, x, y, matrix, clipRect, color, drawMode, sourceRect, bilinear);
        return;
    }
    DrawWithTriangleFormat(*this, [&](int format) {
        BlitMatrixSoftware(*this, source, x, y, matrix, sourceRect, clipRect, color, drawMode, lockDesc.surface,
                           lockDesc.pitch, format, bilinear);
    });
}

void DDImage::BlitTexturedTriangles(Image* source, const TexVertex* vertices, int triangleCount, const Rect& clipRect,
                                    const Color& color, int drawMode, float offsetX, float offsetY, bool bilinear)
{
    if (IsOn3DTarget()) {
        if (auto* memorySource = dynamic_cast<MemoryImage*>(source)) {
            Display3D().DrawTrianglesTextured(vertices, triangleCount, color, drawMode, *memorySource, offsetX, offsetY,
                                              bilinear);
        }
        return;
    }
    if (!display) {
        MemoryImage::BlitTexturedTriangles(source, vertices, triangleCount, clipRect, color, drawMode, offsetX, offsetY,
                                           bilinear);
        return;
    }
    DrawWithTriangleFormat(*this, [&](int format) {
        BlitTrianglesSoftware(*this, source, vertices, triangleCount, clipRect, color, drawMode, lockDesc.surface,
                              lockDesc.pitch, format, offsetX, offsetY, bilinear);
    });
}

} // namespace Tolm
