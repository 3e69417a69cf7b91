// Lines onto a software image: horizontal and vertical ones become fills; the others are stepped along
// their major axis with an integer error term (normal and additive), or anti-aliased two pixels per step
// with a 16.16 error term (smooth).
#include "graphics/BlendKernels.h"
#include "graphics/LineClip.h"
#include "graphics/LineWalk.h"
#include "graphics/MemoryImage.h"
#include "graphics/SoftwareDraw.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace Tolm {

bool MemoryImage::FillLineAsRect(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    if (y1 == y2) {
        int left = TruncToInt(std::min(x1, x2));
        FillRect(Rect(left, TruncToInt(y1), FillLength(left, TruncToInt(std::max(x1, x2))), 1), color, drawMode);
        return true;
    }
    if (x1 == x2) {
        int top = TruncToInt(std::min(y1, y2));
        FillRect(Rect(TruncToInt(x1), top, 1, FillLength(top, TruncToInt(std::max(y1, y2)))), color, drawMode);
        return true;
    }
    return false;
}

void MemoryImage::DrawLine(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    if (FillLineAsRect(x1, y1, x2, y2, color, drawMode)) {
        return;
    }
    if (KeepLineInside(*this, x1, y1, x2, y2)) {
        if (drawMode == DrawModeNormal) {
            LineNormal(x1, y1, x2, y2, color);
        } else if (drawMode == DrawModeAdditive) {
            LineAdditive(x1, y1, x2, y2, color);
        }
    }
    NoteBitsChanged();
}

void MemoryImage::DrawLineSmooth(double x1, double y1, double x2, double y2, const Color& color, int drawMode)
{
    if (FillLineAsRect(x1, y1, x2, y2, color, drawMode)) {
        return;
    }
    if (drawMode == DrawModeNormal && KeepLineInside(*this, x1, y1, x2, y2)) {
        LineSmooth(x1, y1, x2, y2, color);
    }
    NoteBitsChanged();
}

void MemoryImage::LineNormal(double x1, double y1, double x2, double y2, const Color& color)
{
    Color line = ClampColor(color);
    uint32_t* pixels = GetBits();
    if (!pixels) {
        return;
    }
    uint32_t alpha = uint32_t(line.alpha);
    uint32_t channels[3] = {uint32_t(line.red), uint32_t(line.green), uint32_t(line.blue)};
    // The line colour is scaled by 255 / 256 with rounding, so a full channel of 255 arrives as 254.
    for (uint32_t& c : channels) {
        if (alpha < 255) {
            c = (c * alpha + 128) >> 8;
        }
        c = (c * 255 + 127) >> 8;
    }
    StepLine(x1, y1, x2, y2, true, [&](int x, int y) {
        if (x < 0 || y < 0 || x >= width || y >= height) {
            return;
        }
        uint32_t& d = pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
        uint32_t out = 0xFF000000;
        for (int channel = 0; channel < 3; ++channel) {
            int shift = 16 - 8 * channel;
            uint32_t value = channels[channel];
            if (alpha < 255) {
                value += (((d >> shift) & 0xFF) * (256 - alpha) + 127) >> 8;
            }
            out |= value << shift;
        }
        d = out;
    });
}

void MemoryImage::LineAdditive(double x1, double y1, double x2, double y2, const Color& color)
{
    Color line = ClampColor(color);
    uint32_t* pixels = GetBits();
    if (!pixels) {
        return;
    }
    uint32_t alpha = uint32_t(line.alpha);
    uint32_t channels[3] = {(alpha * uint32_t(line.red)) / 255, (alpha * uint32_t(line.green)) / 255,
                            (alpha * uint32_t(line.blue)) / 255};
    StepLine(x1, y1, x2, y2, false, [&](int x, int y) {
        if (x < 0 || y < 0 || x >= width || y >= height) {
            return;
        }
        uint32_t& d = pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
        uint32_t out = 0xFF000000;
        for (int channel = 0; channel < 3; ++channel) {
            int shift = 16 - 8 * channel;
            out |= std::min<uint32_t>(((d >> shift) & 0xFF) + channels[channel], 255) << shift;
        }
        d = out;
    });
}

void MemoryImage::LineSmooth(double x1, double y1, double x2, double y2, const Color& color)
{
    Color line = ClampColor(color);
    uint32_t* pixels = GetBits();
    if (!pixels) {
        return;
    }
    uint32_t rgb = line.ToPacked() & 0x00FFFFFF;
    uint32_t alpha = uint32_t(line.alpha);
    FillRow blend = ScalarBlendKernels().overBlend;
    auto plot = [&](int x, int y, uint32_t coverage) {
        uint32_t weight = alpha == 255 ? coverage : (coverage * (alpha + 1)) >> 8;
        if (weight == 0 || x < 0 || y < 0 || x >= width || y >= height) {
            return;
        }
        blend(pixels + std::size_t(y) * std::size_t(width) + std::size_t(x), 1, (weight << 24) | rgb);
    };
    WalkSmoothLine(x1, y1, x2, y2, width, height, plot);
}

} // namespace Tolm
