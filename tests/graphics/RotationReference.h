// The rotated blit written out plainly from its description, one destination pixel at a time, as the
// expected values of the rotation tests. Kept apart from the library: nothing here calls it.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace RotationReference {

struct Tint
{
    uint32_t red = 255, green = 255, blue = 255, alpha = 255;

    bool IsWhite() const { return red == 255 && green == 255 && blue == 255 && alpha == 255; }
};

struct Canvas
{
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t& At(int x, int y) { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

// The texels of the source rectangle, row by row.
struct Texels
{
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t At(int64_t i, int64_t j) const { return pixels[std::size_t(j) * std::size_t(width) + std::size_t(i)]; }
};

struct Clip
{
    int x, y, width, height;
};

inline uint32_t Part(uint32_t p, int shift)
{
    return (p >> shift) & 0xFF;
}

inline uint32_t Sat(uint32_t i)
{
    return std::min<uint32_t>(i, 255);
}

// Division truncating toward zero, as the span limits divide.
inline int64_t Div(int64_t a, int64_t b)
{
    return a / b;
}

// One sample of texels t (i, j), (i + 1, j), (i, j + 1), (i + 1, j + 1) at odd fractions fu and fv, combined
// with destination pixel d by the rule of the mode and tint.
inline uint32_t Pixel(uint32_t d, const uint32_t (&t)[4], uint32_t fu, uint32_t fv, const Tint& tint, int mode)
{
    uint32_t w[4] = {((65536 - fu) * (65536 - fv)) >> 16, (fu * (65536 - fv)) >> 16, ((65536 - fu) * fv) >> 16,
                     (fu * fv) >> 16};
    uint32_t a[4];
    for (int n = 0; n < 4; ++n) {
        a[n] = (w[n] * (t[n] >> 24)) >> 16;
    }
    if (a[0] == 0 && a[1] == 0 && a[2] == 0 && a[3] == 0) {
        return d;
    }
    bool tinted = !tint.IsWhite();
    if (mode != 0) {
        uint32_t sum[3] = {0, 0, 0};
        int shifts[3] = {16, 8, 0};
        for (int ch = 0; ch < 3; ++ch) {
            for (int n = 0; n < 4; ++n) {
                sum[ch] += Part(t[n], shifts[ch]) * a[n];
            }
        }
        uint32_t add[3];
        if (!tinted) {
            add[0] = sum[0] >> 8, add[1] = sum[1] >> 8, add[2] = sum[2] >> 8;
        } else {
            uint32_t r = tint.red * tint.alpha / 255, g = tint.green * tint.alpha / 255,
                     b = tint.blue * tint.alpha / 255;
            add[0] = (r * (sum[0] >> 8)) >> 8;
            add[1] = (g * sum[1]) >> 16;
            add[2] = (b * sum[2]) >> 16;
        }
        return (d & 0xFF000000) | (Sat(Part(d, 16) + add[0]) << 16) | (Sat(Part(d, 8) + add[1]) << 8) |
               Sat(Part(d, 0) + add[2]);
    }
    if (tinted) {
        for (int n = 0; n < 4; ++n) {
            a[n] = (tint.alpha * a[n]) >> 8;
        }
    }
    uint32_t T = a[0] + a[1] + a[2] + a[3];
    uint32_t sumR = 0, sumG = 0, sumB = 0;
    for (int n = 0; n < 4; ++n) {
        sumR += Part(t[n], 16) * a[n];
        sumG += Part(t[n], 8) * a[n];
        sumB += Part(t[n], 0) * a[n];
    }
    uint32_t col[3];
    if (tinted) {
        col[0] = (sumR * (tint.red + 1)) >> 16;
        col[1] = ((sumG >> 8) * (tint.green + 1)) >> 8;
        col[2] = ((sumB >> 8) * (tint.blue + 1)) >> 8;
    } else {
        col[0] = sumR >> 8, col[1] = sumG >> 8, col[2] = sumB >> 8;
    }
    if (T >= 251) {
        return 0xFF000000 | (col[0] << 16) | (col[1] << 8) | col[2];
    }
    uint32_t dA = d >> 24;
    uint32_t inv = 256 - T;
    uint32_t outA = 256 - (((256 - dA) * inv) >> 8);
    if (outA == 0) {
        return d;
    }
    uint32_t out = (outA - 1) << 24;
    int shifts[3] = {16, 8, 0};
    for (int ch = 0; ch < 3; ++ch) {
        uint32_t dc = Part(d, shifts[ch]);
        out |= (((256 * col[ch] + ((dc * dA) >> 8) * inv) / outA) & 255) << shifts[ch];
    }
    return out;
}

// One sample onto a 32-bit display surface by the surface's rules, written out from them: texels t (i, j),
// (i + 1, j), (i, j + 1), (i + 1, j + 1) at odd fractions fu and fv; every pixel is written, with a top
// byte of 0, whatever its texels weigh.
inline uint32_t SurfacePixel(uint32_t d, const uint32_t (&t)[4], uint32_t fu, uint32_t fv,
                             const RotationReference::Tint& tint, int mode)
{
    const uint32_t area[4] = {((65536 - fu) * (65536 - fv)) >> 16, (fu * (65536 - fv)) >> 16, ((65536 - fu) * fv) >> 16,
                              (fu * fv) >> 16};
    uint32_t w[4];
    uint32_t total = 0;
    uint32_t sum[3] = {0, 0, 0};
    const int shifts[3] = {16, 8, 0};
    for (int n = 0; n < 4; ++n) {
        w[n] = (area[n] * (t[n] >> 24)) >> 16;
        if (mode == 0 && !tint.IsWhite()) {
            w[n] = (tint.alpha * w[n]) >> 8;
        }
        total += w[n];
        for (int ch = 0; ch < 3; ++ch) {
            sum[ch] += Part(t[n], shifts[ch]) * w[n];
        }
    }
    uint32_t out = 0;
    if (mode != 0) {
        const uint32_t scaled[3] = {tint.red * tint.alpha / 255, tint.green * tint.alpha / 255,
                                    tint.blue * tint.alpha / 255};
        const uint32_t add[3] = {(scaled[0] * (sum[0] >> 8)) >> 8, (scaled[1] * sum[1]) >> 16,
                                 (scaled[2] * sum[2]) >> 16};
        for (int ch = 0; ch < 3; ++ch) {
            out |= Sat(Part(d, shifts[ch]) + add[ch]) << shifts[ch];
        }
        return out;
    }
    uint32_t colour[3] = {sum[0] >> 8, sum[1] >> 8, sum[2] >> 8};
    if (!tint.IsWhite()) {
        colour[0] = (sum[0] * (tint.red + 1)) >> 16;
        colour[1] = (sum[1] * (tint.green + 1)) >> 16;
        colour[2] = ((sum[2] >> 8) * (tint.blue + 1)) >> 8;
    }
    for (int ch = 0; ch < 3; ++ch) {
        out |= (colour[ch] + ((Part(d, shifts[ch]) * (256 - total)) >> 8)) << shifts[ch];
    }
    return out;
}

using PixelRule = uint32_t (*)(uint32_t d, const uint32_t (&t)[4], uint32_t fu, uint32_t fv, const Tint& tint,
                               int mode);

// The draw by the memory images' rules, or by `rule`.
inline void Draw(Canvas& dest, const Texels& src, float x, float y, const Clip& clip, const Tint& tint, int mode,
                 double angle, float cx, float cy, PixelRule rule = Pixel)
{
    // The area: the four corners turned, cut to the clip, all in floats as the corners are.
    float c = float(std::cos(angle));
    float s = float(std::sin(angle));
    float xs[4], ys[4];
    float cornersX[4] = {0, float(src.width), float(src.width), 0};
    float cornersY[4] = {0, 0, float(src.height), float(src.height)};
    for (int k = 0; k < 4; ++k) {
        xs[k] = x + cx + c * (cornersX[k] - cx) + s * (cornersY[k] - cy);
        ys[k] = y + cy - s * (cornersX[k] - cx) + c * (cornersY[k] - cy);
    }
    float minX = 10000000, maxX = -10000000, minY = 10000000, maxY = -10000000;
    for (int k = 0; k < 4; ++k) {
        minX = xs[k] < minX ? xs[k] : minX;
        maxX = xs[k] > maxX ? xs[k] : maxX;
        minY = ys[k] < minY ? ys[k] : minY;
        maxY = ys[k] > maxY ? ys[k] : maxY;
    }
    double bx = minX, by = minY, bw = float(maxX - minX), bh = float(maxY - minY);
    double left = std::max(bx, double(clip.x)), top = std::max(by, double(clip.y));
    double width = std::min(bx + bw, double(clip.x) + clip.width) - left;
    double height = std::min(by + bh, double(clip.y) + clip.height) - top;
    if (!(width > 0 && height > 0)) {
        return;
    }

    double cd = std::cos(angle), sd = std::sin(angle);
    int64_t du = int(cd * 65536), dv = int(sd * 65536);
    int startX = int(left), startY = int(top), last = int(width - 1);
    int64_t W = src.width, H = src.height;
    for (int i = 0; i < height; ++i) {
        int Y = startY + i;
        double p = startX - double(cx) - double(x);
        double q = Y - double(cy) - double(y);
        int64_t u0 = int64_t((cx + cd * p - sd * q) * 65536);
        int64_t v0 = int64_t((cy + sd * p + cd * q) * 65536);
        int64_t lo = 0, hi = last;
        bool skip = false;
        if (du < 0) {
            skip |= u0 < 0;
            lo = std::max(lo, Div(W * 65536 - u0 - 0x27FFF, du));
            hi = std::min(hi, Div(0x7FFF - u0, du));
        } else if (du > 0) {
            skip |= (u0 >> 16) >= W - 1;
            lo = std::max(lo, Div(65536 - u0, du));
            hi = std::min(hi, Div(W * 65536 - u0 - 0x17FFF, du));
        } else {
            skip |= u0 < 0 || u0 >= W * 65536 - 65536;
        }
        if (dv < 0) {
            skip |= v0 < 0;
            lo = std::max(lo, Div(H * 65536 - v0 - 0x27FFF, dv));
            hi = std::min(hi, -Div(v0, dv));
        } else if (dv > 0) {
            skip |= (v0 >> 16) >= H - 1;
            lo = std::max(lo, Div(65536 - v0, dv));
            hi = std::min(hi, Div(H * 65536 - v0 - 0x17FFF, dv));
        } else {
            skip |= v0 < 0 || v0 >= H * 65536 - 65536;
        }
        if (skip || lo > hi) {
            continue;
        }
        for (int64_t k = lo; k <= hi; ++k) {
            int64_t u = u0 + k * du, v = v0 + k * dv;
            int64_t ti = u >> 16, tj = v >> 16;
            uint32_t t[4] = {src.At(ti, tj), src.At(ti + 1, tj), src.At(ti, tj + 1), src.At(ti + 1, tj + 1)};
            uint32_t fu = (uint32_t(u) & 0xFFFE) | 1, fv = (uint32_t(v) & 0xFFFE) | 1;
            uint32_t& d = dest.At(startX + int(k), Y);
            d = rule(d, t, fu, fv, tint, mode);
        }
    }
}

} // namespace RotationReference
