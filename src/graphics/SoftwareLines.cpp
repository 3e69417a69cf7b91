// Lines onto a software image: horizontal and vertical ones become fills; the others are stepped along
// their major axis with an integer error term (normal and additive), or anti-aliased two pixels per step
// with a 16.16 error term (smooth).
#include "graphics/BlendKernels.h"
#include "graphics/LineClip.h"
#include "graphics/MemoryImage.h"
#include "graphics/SoftwareDraw.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace Tolm {

namespace {

int FillLength(int from, int to)
{
    return int(std::min<int64_t>(int64_t(to) - from + 1, INT_MAX));
}

// Walks the major axis a one pixel at a time, stepping the minor axis b by an integer error term.
// Coordinates come major axis first, and plot receives them in that order. The normal line starts its
// error term from the fractional part of the first point, the additive line does not.
template <typename Plot>
void StepMajorAxis(double a1, double b1, double a2, double b2, bool fractionalStart, Plot plot)
{
    double minA = std::min(a1, a2);
    double maxA = std::max(a1, a2);
    double minB = std::min(b1, b2);
    double maxB = std::max(b1, b2);
    double da = a2 - a1;
    double db = b2 - b1;
    if (da < 0) {
        std::swap(a1, a2);
        std::swap(b1, b2);
        da = -da;
        db = -db;
    }
    int bStep = 1;
    if (db < 0) {
        bStep = -1;
        db = -db;
    }
    int b = TruncToInt(b1);
    int inc1 = TruncToInt(2 * db);
    int inc2 = TruncToInt(2 * (db - da));
    int start = TruncToInt(2 * db - da);
    int err = fractionalStart ? TruncToInt((b1 - b) * inc1 + start) : start;
    plot(TruncToInt(a1), b);
    for (int a = TruncToInt(a1 + 1); a <= a2; ++a) {
        if (err < 1) {
            err += inc1;
        } else {
            if (a < minA) {
                return;
            }
            b += bStep;
            if (b < minB || a > maxA || b > maxB) {
                return;
            }
            err += inc2;
        }
        plot(a, b);
    }
}

template <typename Plot>
void StepLine(double x1, double y1, double x2, double y2, bool fractionalStart, Plot plot)
{
    if (std::fabs(x2 - x1) > std::fabs(y2 - y1)) {
        StepMajorAxis(x1, y1, x2, y2, fractionalStart, plot);
        return;
    }
    StepMajorAxis(y1, x1, y2, x2, fractionalStart, [&plot](int y, int x) { plot(x, y); });
}

// Endpoints belong inside the image; a line that leaves it is cut to it first, so that a bad line can
// neither write outside the pixels nor step through a huge range.
bool KeepInside(const Image& image, double& x1, double& y1, double& x2, double& y2)
{
    auto inside = [&image](double x, double y) { return x >= 0 && y >= 0 && x < image.width && y < image.height; };
    if (inside(x1, y1) && inside(x2, y2)) {
        return true;
    }
    return ClipLineToRect(x1, y1, x2, y2, Rect(0, 0, image.width, image.height)) && inside(x1, y1) && inside(x2, y2);
}

} // namespace

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
    if (KeepInside(*this, x1, y1, x2, y2)) {
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
    if (drawMode == DrawModeNormal && KeepInside(*this, x1, y1, x2, y2)) {
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
    int xi1 = TruncToInt(x1);
    int yi1 = TruncToInt(y1);
    int xi2 = TruncToInt(x2);
    int yi2 = TruncToInt(y2);
    if (yi1 > yi2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
        std::swap(xi1, xi2);
        std::swap(yi1, yi2);
    }
    int xStep = xi2 < xi1 ? -1 : 1;
    double adx = std::fabs(x2 - x1);
    double ady = y2 - y1;
    int n = std::abs(xi2 - xi1);
    int m = yi2 - yi1;
    int err = TruncToInt(std::fabs(y1 - yi1) * std::fabs(x1 - xi1) * 65536);
    plot(xi1, yi1, 255 - ((err >> 8) & 255));
    int x = xi1;
    int y = yi1;
    if (n < m) {
        int step = TruncToInt(adx / ady * 65536);
        for (int i = 0; i < m - 1; ++i) {
            err += step;
            if (err >= 65536) {
                x += xStep;
                err &= 65535;
            }
            y += 1;
            uint32_t k = uint32_t(err >> 8) & 255;
            plot(x, y, 255 - k);
            if (x < width - 1) {
                plot(x + xStep, y, k);
            }
        }
    } else if (n > 0) {
        int step = TruncToInt(ady / adx * 65536);
        for (int i = 0; i < n - 1; ++i) {
            err += step;
            if (err >= 65536) {
                y += 1;
                err &= 65535;
            }
            x += xStep;
            uint32_t k = uint32_t(err >> 8) & 255;
            plot(x, y, 255 - k);
            if (y < height - 1) {
                plot(x, y + 1, k);
            }
        }
    }
    plot(xi2, yi2, 255 - ((err >> 8) & 255));
}

} // namespace Tolm
