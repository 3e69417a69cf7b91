// The stretched blits written out plainly from their description, one buffer entry and one destination
// pixel at a time, as the expected values of the stretch tests. Kept apart from the library: nothing here
// calls it. Sums are 64-bit, so no weight, however odd, can overflow them.
#pragma once

#include "PixelReference.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace StretchReference {

struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t& At(int x, int y) { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
    uint32_t At(int x, int y) const { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

struct Box
{
    int x = 0, y = 0, width = 0, height = 0;
};

inline Box Overlap(const Box& a, const Box& b)
{
    int left = std::max(a.x, b.x), top = std::max(a.y, b.y);
    int right = std::min(a.x + a.width, b.x + b.width), bottom = std::min(a.y + a.height, b.y + b.height);
    if (right < left || bottom < top) {
        return Box();
    }
    return Box{left, top, right - left, bottom - top};
}

// Blue, green, red and alpha sums of one buffer entry.
struct Entry
{
    int64_t sum[4] = {0, 0, 0, 0};

    void Add(uint32_t pixel, int64_t weight)
    {
        for (int channel = 0; channel < 4; ++channel) {
            sum[channel] += int64_t((pixel >> (8 * channel)) & 0xFF) * weight;
        }
    }

    void Add(const Entry& other, int64_t weight)
    {
        for (int channel = 0; channel < 4; ++channel) {
            sum[channel] += other.sum[channel] * weight;
        }
    }
};

// A buffer of `rows` rows of W + 4 entries. Entries outside it are neither written nor read (they read as
// zero): the filter's spill past the margins is dropped.
struct Buffer
{
    int rows = 0;
    int stride = 0;
    std::vector<Entry> entries;

    Buffer(int rowCount, int entryStride)
        : rows(rowCount), stride(entryStride), entries(std::size_t(rowCount) * std::size_t(entryStride))
    {}

    Entry* At(int column, int row)
    {
        if (column < 0 || column >= stride || row < 0 || row >= rows) {
            return nullptr;
        }
        return &entries[std::size_t(row) * std::size_t(stride) + std::size_t(column)];
    }

    void Add(int column, int row, uint32_t pixel, int64_t weight)
    {
        if (Entry* entry = At(column, row)) {
            entry->Add(pixel, weight);
        }
    }

    // row `to` += row `from` of `source` x weight, over every entry of the row.
    void AddRow(int to, Buffer& source, int from, int64_t weight)
    {
        for (int column = 0; column < stride; ++column) {
            Entry* target = At(column, to);
            Entry* entry = source.At(column, from);
            if (target && entry) {
                target->Add(*entry, weight);
            }
        }
    }
};

// The upper 16 bits of a sum, kept to a channel: odd weights may stray past it.
inline uint32_t Channel(int64_t sum)
{
    return uint32_t(std::clamp<int64_t>(sum >> 16, 0, 255));
}

inline void Smooth(Picture& dest, const Picture& src, const Box& d, double srcX, double srcY, double srcW, double srcH)
{
    int x0 = int(std::floor(srcX)), y0 = int(std::floor(srcY));
    int w = int(std::ceil(srcX - x0 + srcW)), h = int(std::ceil(srcY - y0 + srcH));
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    w = std::min(w, src.width - x0);
    h = std::min(h, src.height - y0);
    if (w < 1 || h < 1) {
        return;
    }
    const int W = d.width, H = d.height, stride = W + 4;
    Buffer first(h, stride);
    for (int row = 0; row < h; ++row) {
        if (W > srcW) {
            double step = W == 1 ? srcW : (srcW - 1) / (W - 1);
            for (int c = 1; c <= W; ++c) {
                double pos = (c - 1) * step + srcX;
                int xi = int(pos);
                if (xi < 0 || xi >= src.width) {
                    continue;
                }
                int w1 = int((1 - (pos - xi)) * 257);
                first.Add(c, row, src.At(xi, y0 + row), w1);
                if (xi + 1 < src.width) {
                    first.Add(c, row, src.At(xi + 1, y0 + row), 257 - w1);
                }
            }
            continue;
        }
        double m = W / srcW;
        double base = (x0 - srcX) * m + 1;
        for (int i = 0; i < w; ++i) {
            double o = i * m + base;
            int L = int(o), M = int(o + m);
            uint32_t pixel = src.At(x0 + i, y0 + row);
            if (L == M) {
                first.Add(L, row, pixel, int(m * 257));
            } else {
                first.Add(L, row, pixel, int((M - o) * 257));
                first.Add(L + 1, row, pixel, int((o + m - M) * 257));
            }
        }
    }
    Buffer second(H + 4, stride);
    if (H > srcH) {
        double step = H == 1 ? srcH : (srcH - 1) / (H - 1);
        for (int r = 1; r <= H; ++r) {
            double rel = srcY - int(srcY) + (r - 1) * step;
            int ri = int(rel);
            int w1 = int((1 - (rel - ri)) * 256);
            int next = ri == h - 1 ? ri : ri + 1;
            second.AddRow(r, first, ri, w1);
            second.AddRow(r, first, next, 256 - w1);
        }
    } else {
        double m = H / srcH;
        double base = (y0 - srcY) * m + 1;
        for (int j = 0; j < h; ++j) {
            double o = j * m + base;
            int L = int(std::floor(o)), M = int(std::floor(o + m));
            if (L == M) {
                second.AddRow(L, first, j, int(m * 256));
            } else {
                second.AddRow(L, first, j, int((M - o) * 256));
                second.AddRow(L + 1, first, j, int((o + m - M) * 256));
            }
        }
    }
    for (int j = 0; j < H; ++j) {
        for (int i = 0; i < W; ++i) {
            const Entry& e = *second.At(i + 1, j + 1);
            uint32_t a = Channel(e.sum[3]);
            if (a == 0) {
                continue;
            }
            uint32_t& p = dest.At(d.x + i, d.y + j);
            uint32_t out = 0;
            for (int channel = 0; channel < 3; ++channel) {
                uint32_t dc = (p >> (8 * channel)) & 0xFF;
                out |= (((Channel(e.sum[channel]) * a) >> 8) + ((dc * (256 - a)) >> 8)) << (8 * channel);
            }
            uint32_t dA = p >> 24;
            p = out | ((dA + ((255 - dA) * a) / 255) << 24);
        }
    }
}

// Nearest pixel, blended like the general untinted blit. Sample positions stay inside the source.
inline void Nearest(Picture& dest, const Picture& src, const Box& d, double srcX, double srcY, double srcW, double srcH)
{
    double stepX = srcW / d.width, stepY = srcH / d.height;
    for (int j = 0; j < d.height; ++j) {
        int sy = std::clamp(int(srcY + j * stepY), 0, src.height - 1);
        for (int i = 0; i < d.width; ++i) {
            int sx = std::clamp(int(srcX + i * stepX), 0, src.width - 1);
            uint32_t& p = dest.At(d.x + i, d.y + j);
            p = PixelReference::BlendWhite(src.At(sx, sy), p);
        }
    }
}

// The whole stretched blit: the source rectangle must lie inside the source, the clip is cut to the
// destination image, and the source is cut in proportion to what the clip leaves of the destination.
// Returns whether an engine ran (and so counted a change). `white`: the draw colour is white.
inline bool Stretch(Picture& dest, const Picture& src, const Box& destRect, const Box& srcRect, const Box& clipRect,
                    bool white, bool fast)
{
    if (srcRect.width <= 0 || srcRect.height <= 0 || srcRect.x < 0 || srcRect.y < 0 ||
        srcRect.x + srcRect.width > src.width || srcRect.y + srcRect.height > src.height) {
        return false;
    }
    if (destRect.width <= 0 || destRect.height <= 0) {
        return false;
    }
    Box clip = Overlap(clipRect, Box{0, 0, dest.width, dest.height});
    Box d = Overlap(destRect, clip);
    double sx = double(srcRect.width) / destRect.width, sy = double(srcRect.height) / destRect.height;
    double srcX = (double(d.x) - destRect.x) * sx + srcRect.x;
    double srcY = (double(d.y) - destRect.y) * sy + srcRect.y;
    double srcW = srcRect.width + (double(d.width) - destRect.width) * sx;
    double srcH = srcRect.height + (double(d.height) - destRect.height) * sy;
    if (!(srcW > 0 && srcH > 0) || d.width <= 0 || d.height <= 0) {
        return false;
    }
    if (!fast) {
        Smooth(dest, src, d, srcX, srcY, srcW, srcH);
    } else if (white) {
        Nearest(dest, src, d, srcX, srcY, srcW, srcH);
    }
    return true;
}

} // namespace StretchReference
