#include "ReferenceRasterizer.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace Reference {
namespace {

using int128 = __int128;

enum class Destination
{
    Argb,
    Rgb,
    Rgb565,
    Rgb555,
};

struct Features
{
    Destination destination = Destination::Argb;
    bool textured = false;
    bool blend = false;
    bool vertexColors = false;
    bool globalColor = false;
    bool bilinear = false;
};

// What a pixel step decides: leave the pixel, store the source colour, or mix the source terms (each
// channel already weighted) into the destination with the weight.
struct Outcome
{
    enum Kind
    {
        Leave,
        Store,
        Mix,
    } kind = Leave;
    uint32_t source[3] = {}; // blue, green, red
    uint32_t terms[3] = {};
    uint32_t weight = 0;
    bool alphaWeighted = false;
};

int32_t Wrap(int64_t value)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

int32_t CeilPixel(int32_t c)
{
    return Wrap(int64_t(static_cast<uint32_t>(Wrap(int64_t(c) + 0xFFFF)))) >> 16;
}

int64_t Reciprocal(int32_t d)
{
    return static_cast<int64_t>((int128(1) << 48) / d);
}

int32_t Slope(int128 difference, int64_t reciprocal)
{
    uint64_t low = static_cast<uint64_t>(difference * reciprocal);
    return static_cast<int32_t>(static_cast<uint32_t>(low >> 32));
}

int32_t Times1616(int32_t a, int32_t b)
{
    return Wrap((int64_t(a) * int64_t(b)) >> 16);
}

// The value of a quantity after `steps` steps from `start`.
int32_t After(int32_t start, int32_t step, int64_t steps)
{
    return Wrap(int64_t(start) + int64_t(step) * steps);
}

uint32_t Channel(uint32_t word, int index) // 0 blue, 1 green, 2 red, 3 alpha
{
    return (word >> (8 * index)) & 0xFF;
}

uint32_t Word(uint32_t alpha, uint32_t red, uint32_t green, uint32_t blue)
{
    return (alpha & 0xFF) << 24 | (red & 0xFF) << 16 | (green & 0xFF) << 8 | (blue & 0xFF);
}

uint32_t Texel(const Texture& texture, uint32_t index)
{
    uint32_t size = static_cast<uint32_t>(texture.width * texture.height);
    return index < size ? texture.texels[index] : 0;
}

uint32_t Nearest(const Texture& texture, int32_t u, int32_t v)
{
    uint32_t column = static_cast<uint32_t>(u) / 65536;
    uint32_t row = static_cast<uint32_t>(v) / 65536;
    return Texel(texture, row * static_cast<uint32_t>(texture.width) + column);
}

uint32_t Bilinear(const Texture& texture, int32_t u, int32_t v)
{
    int32_t floorU = Wrap(int64_t(u) & ~int64_t(0xFFFF));
    int32_t floorV = Wrap(int64_t(v) & ~int64_t(0xFFFF));
    uint32_t index = static_cast<uint32_t>(Wrap(int64_t(floorV >> 16) * texture.width + (floorU >> 16)));
    uint32_t t00 = Texel(texture, index);
    uint32_t t10 = Texel(texture, index + 1);
    uint32_t t01 = Texel(texture, index + static_cast<uint32_t>(texture.width));
    uint32_t t11 = Texel(texture, index + static_cast<uint32_t>(texture.width) + 1);
    uint32_t fu = (static_cast<uint32_t>(u - floorU) & 0xFFFE) + 1;
    uint32_t fv = (static_cast<uint32_t>(v - floorV) & 0xFFFE) + 1;
    uint32_t w00 = ((65536 - fu) * (65536 - fv)) >> 16;
    uint32_t w10 = (fu * (65536 - fv)) >> 16;
    uint32_t w01 = ((65536 - fu) * fv) >> 16;
    uint32_t w11 = (fu * fv) >> 16;
    uint32_t a00 = (w00 * Channel(t00, 3)) >> 16;
    uint32_t a10 = (w10 * Channel(t10, 3)) >> 16;
    uint32_t a01 = (w01 * Channel(t01, 3)) >> 16;
    uint32_t a11 = (w11 * Channel(t11, 3)) >> 16;
    uint32_t out[3];
    for (int c = 0; c < 3; ++c) {
        out[c] = (Channel(t00, c) * a00 + Channel(t10, c) * a10 + Channel(t01, c) * a01 + Channel(t11, c) * a11) >> 8;
    }
    return Word(a00 + a10 + a01 + a11, out[2], out[1], out[0]);
}

uint32_t Modulate(uint32_t c, uint32_t m)
{
    return ((c * m) >> 8) & 0xFF;
}

// Source-over onto a straight-alpha pixel. A zero combined alpha leaves the pixel alone; a quotient
// above 255 from an alpha-weighted source saturates.
uint32_t ArgbBlend(uint32_t destination, const uint32_t (&terms)[3], uint32_t weight, bool alphaWeighted)
{
    uint32_t da = Channel(destination, 3);
    uint32_t keep = 256 - weight;
    uint32_t combined = 256 - (((256 - da) * keep) >> 8);
    if (combined == 0) {
        return destination;
    }
    uint32_t out[3];
    for (int c = 0; c < 3; ++c) {
        uint32_t quotient = (terms[c] * 256 + ((Channel(destination, c) * da) >> 8) * keep) / combined;
        out[c] = alphaWeighted ? std::min<uint32_t>(quotient, 255) : (quotient & 0xFF);
    }
    return Word(combined - 1, out[2], out[1], out[0]);
}

uint32_t RgbBlend(uint32_t destination, const uint32_t (&terms)[3], uint32_t weight)
{
    uint32_t out[3];
    for (int c = 0; c < 3; ++c) {
        out[c] = terms[c] + ((Channel(destination, c) * (255 - weight)) >> 8);
    }
    return Word(255, out[2], out[1], out[0]);
}

Outcome ShadedFill(const Features& f, uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    Outcome out;
    out.source[2] = (r >> 16) & 0xFF;
    out.source[1] = (g >> 16) & 0xFF;
    out.source[0] = (b >> 16) & 0xFF;
    if (a > 0xF00000) {
        out.kind = Outcome::Store;
        return out;
    }
    if (a <= 0x80000) {
        return out;
    }
    out.kind = Outcome::Mix;
    out.weight = a >> 16;
    if (f.destination == Destination::Argb) {
        out.terms[0] = ((b >> 16) * out.weight) >> 8;
        out.terms[1] = ((g >> 8) * out.weight) >> 16;
        out.terms[2] = (r * out.weight) >> 24;
    } else {
        for (int c = 0; c < 3; ++c) {
            out.terms[c] = (out.source[c] * out.weight) >> 8;
        }
    }
    return out;
}

Outcome TexturedPixel(const Features& f, const uint32_t (&q)[6], const Texture& texture, const GlobalColor& color)
{
    Outcome out;
    uint32_t sample = f.bilinear ? Bilinear(texture, Wrap(q[4]), Wrap(q[5])) : Nearest(texture, Wrap(q[4]), Wrap(q[5]));
    uint32_t sampleAlpha = Channel(sample, 3);
    if (f.blend && sampleAlpha <= 8) {
        return out;
    }
    bool modulated = f.vertexColors || f.globalColor;
    uint32_t* s = out.source;
    for (int c = 0; c < 3; ++c) {
        s[c] = Channel(sample, c);
    }
    uint32_t weight = f.blend ? sampleAlpha : 255;
    out.kind = Outcome::Store;
    if (!modulated && !f.blend) {
        return out;
    }
    if (modulated) {
        uint32_t mA, mR, mG, mB;
        if (f.vertexColors) {
            mA = q[0] >> 16;
            mR = q[1] >> 16;
            mG = q[2] >> 16;
            mB = q[3] >> 16;
        } else {
            mA = static_cast<uint32_t>(color.alpha);
            mR = static_cast<uint32_t>(color.red);
            mG = static_cast<uint32_t>(color.green);
            mB = static_cast<uint32_t>(color.blue);
        }
        s[2] = Modulate(s[2], mR);
        s[1] = Modulate(s[1], mG);
        s[0] = Modulate(s[0], mB);
        if (f.bilinear) {
            for (int c = 0; c < 3; ++c) {
                s[c] = Modulate(s[c], mA);
            }
        }
        weight = (mA * weight) >> 8;
    }
    if (weight >= 240) {
        return out;
    }
    out.kind = Outcome::Mix;
    out.weight = weight;
    out.alphaWeighted = f.bilinear;
    for (int c = 0; c < 3; ++c) {
        out.terms[c] = f.bilinear ? s[c] : (s[c] * weight) >> 8;
    }
    return out;
}

// A 16-bit pixel by its fields, blue first: the top bits of each 8-bit channel, and for a mix the
// destination's fields each times (255 - A) >> 3 over 32 plus the source terms cut the same way.
uint32_t SixteenBitPixel(Destination destination, uint32_t pixel, const Outcome& out)
{
    const int greenBits = destination == Destination::Rgb565 ? 6 : 5;
    const int widths[3] = {5, greenBits, 5};
    const int positions[3] = {0, 5, 5 + greenBits};
    const uint32_t* channels = out.kind == Outcome::Store ? out.source : out.terms;
    uint32_t k = (255 - out.weight) >> 3;
    uint32_t result = 0;
    for (int c = 0; c < 3; ++c) {
        uint32_t field = channels[c] >> (8 - widths[c]);
        if (out.kind == Outcome::Mix) {
            uint32_t kept = (((pixel >> positions[c]) & ((1u << widths[c]) - 1)) * k) / 32;
            field += kept;
        }
        result += field << positions[c];
    }
    return result & 0xFFFF;
}

uint32_t Apply(Destination destination, uint32_t pixel, const Outcome& out)
{
    if (out.kind == Outcome::Leave) {
        return pixel;
    }
    switch (destination) {
    case Destination::Argb:
        return out.kind == Outcome::Store ? Word(255, out.source[2], out.source[1], out.source[0])
                                          : ArgbBlend(pixel, out.terms, out.weight, out.alphaWeighted);
    case Destination::Rgb:
        return out.kind == Outcome::Store ? Word(255, out.source[2], out.source[1], out.source[0])
                                          : RgbBlend(pixel, out.terms, out.weight);
    default:
        return SixteenBitPixel(destination, pixel, out);
    }
}

int32_t Field(const Vertex& vertex, int q)
{
    const int32_t fields[6] = {vertex.a, vertex.r, vertex.g, vertex.b, vertex.u, vertex.v};
    return fields[q];
}

bool Interpolates(const Features& f, int q)
{
    return q < 4 ? f.vertexColors : f.textured;
}

} // namespace

void DrawTriangle(int tableIndex, const Vertex (&vertices)[3], uint8_t* bits, int pitch, const Texture* texture,
                  const GlobalColor& color)
{
    int entry = tableIndex % 32;
    Features f;
    f.destination = static_cast<Destination>(tableIndex / 32);
    f.textured = (entry & 16) != 0;
    f.blend = (entry & 8) != 0;
    f.vertexColors = (entry & 4) != 0;
    f.globalColor = (entry & 2) != 0;
    f.bilinear = f.textured && (entry & 1) != 0;
    if (!f.textured && !f.vertexColors) {
        return;
    }

    Vertex v[3] = {vertices[0], vertices[1], vertices[2]};
    if (v[0].y > v[1].y) {
        std::swap(v[0], v[1]);
    }
    if (v[1].y > v[2].y) {
        std::swap(v[1], v[2]);
    }
    if (v[0].y > v[1].y) {
        std::swap(v[0], v[1]);
    }
    if (f.vertexColors && f.globalColor) {
        for (Vertex& vertex : v) {
            vertex.a = Wrap((static_cast<uint32_t>(vertex.a) * static_cast<uint32_t>(color.alpha)) >> 8);
            vertex.r = Wrap((static_cast<uint32_t>(vertex.r) * static_cast<uint32_t>(color.red)) >> 8);
            vertex.g = Wrap((static_cast<uint32_t>(vertex.g) * static_cast<uint32_t>(color.green)) >> 8);
            vertex.b = Wrap((static_cast<uint32_t>(vertex.b) * static_cast<uint32_t>(color.blue)) >> 8);
        }
    }
    const Vertex& top = v[0];
    const Vertex& mid = v[1];
    const Vertex& bot = v[2];

    int32_t firstRow = CeilPixel(top.y);
    int32_t endRow = CeilPixel(bot.y);
    if (firstRow == endRow) {
        return;
    }
    int32_t midRow = CeilPixel(mid.y);

    int64_t longR = Reciprocal(Wrap(int64_t(bot.y) - top.y));
    int32_t longSlope = Slope(Wrap(int64_t(bot.x) - top.x), longR);
    int32_t rowStep[6] = {};
    int32_t pixelStep[6] = {};
    int32_t dyM = Wrap(int64_t(mid.y) - top.y);
    int32_t xSplit = Wrap(int64_t(top.x) + Times1616(longSlope, dyM));
    if (xSplit == mid.x) {
        return;
    }
    bool longLeft = xSplit < mid.x;
    int64_t widthR = Reciprocal(Wrap(int64_t(mid.x) - xSplit));
    for (int q = 0; q < 6; ++q) {
        if (!Interpolates(f, q)) {
            continue;
        }
        rowStep[q] = Slope(Wrap(int64_t(Field(bot, q)) - Field(top, q)), longR);
        int128 across = int128(Field(mid, q)) - Field(top, q) - ((int64_t(rowStep[q]) * dyM) >> 16);
        pixelStep[q] = Slope(across, widthR);
    }

    int32_t pre = Wrap(int64_t(firstRow) * 65536 - top.y);
    int32_t pre2 = Wrap(int64_t(midRow) * 65536 - mid.y);
    const int bytes = f.destination == Destination::Argb || f.destination == Destination::Rgb ? 4 : 2;
    int64_t stride = (static_cast<uint32_t>(pitch) / static_cast<uint32_t>(bytes)) * bytes;
    for (int32_t row = firstRow; row < endRow; ++row) {
        int64_t j = row - firstRow;
        int32_t longX = After(Wrap(int64_t(top.x) + Times1616(longSlope, pre)), longSlope, j);
        int32_t shortX;
        if (row < midRow) {
            int32_t slope = Slope(Wrap(int64_t(mid.x) - top.x), Reciprocal(dyM));
            shortX = After(Wrap(int64_t(top.x) + Times1616(slope, pre)), slope, j);
        } else {
            int32_t slope = Slope(Wrap(int64_t(bot.x) - mid.x), Reciprocal(Wrap(int64_t(bot.y) - mid.y)));
            shortX = After(Wrap(int64_t(mid.x) + Times1616(slope, pre2)), slope, row - midRow);
        }
        int32_t left = longLeft ? longX : shortX;
        int32_t right = longLeft ? shortX : longX;
        uint32_t xl = (static_cast<uint32_t>(left) + 0xFFFF) & 0xFFFF0000;
        uint32_t xr = (static_cast<uint32_t>(right) + 0xFFFF) & 0xFFFF0000;
        int32_t count = Wrap(int64_t(xr) - xl) >> 16;
        if (count <= 0) {
            continue;
        }
        int32_t start[6] = {};
        for (int q = 0; q < 6; ++q) {
            if (Interpolates(f, q)) {
                int32_t longValue = After(Wrap(int64_t(Field(top, q)) + Times1616(rowStep[q], pre)), rowStep[q], j);
                start[q] = Wrap(int64_t(longValue) + Times1616(pixelStep[q], Wrap(int64_t(xl) - longX)));
            }
        }
        if (f.bilinear) {
            start[4] = Wrap(int64_t(start[4]) - 0x8000);
            start[5] = Wrap(int64_t(start[5]) - 0x8000);
        }
        int32_t firstPixel = Wrap(xl) >> 16;
        for (int32_t i = 0; i < count; ++i) {
            uint32_t q[6];
            for (int k = 0; k < 6; ++k) {
                q[k] = static_cast<uint32_t>(After(start[k], pixelStep[k], i));
            }
            uint8_t* address = bits + row * stride + int64_t(firstPixel + i) * bytes;
            uint32_t pixel = 0;
            std::memcpy(&pixel, address, size_t(bytes));
            Outcome out = f.textured ? TexturedPixel(f, q, *texture, color) : ShadedFill(f, q[0], q[1], q[2], q[3]);
            pixel = Apply(f.destination, pixel, out);
            std::memcpy(address, &pixel, size_t(bytes));
        }
    }
}

void DrawStrip(const std::vector<Tolm::TexVertex>& vertices, const Texture* texture, bool hasTransparency,
               bool hasSemiAlpha, const Tolm::Color& color, uint8_t* bits, int pitch, int format, bool bilinear,
               bool vertexColors)
{
    bool textured = texture != nullptr;
    bool blend = textured && (hasTransparency || hasSemiAlpha || bilinear);
    bool globalColor = color.red != 255 || color.green != 255 || color.blue != 255 || color.alpha != 255;
    int block = format == 0x888 ? 32 : format == 0x565 ? 64 : format == 0x555 ? 96 : 0;
    int index = block + (textured ? 16 : 0) + (blend ? 8 : 0) + (vertexColors ? 4 : 0) + (globalColor ? 2 : 0) +
                (bilinear ? 1 : 0);
    GlobalColor triangleColor{color.alpha, color.red, color.green, color.blue};

    auto convert = [&](const Tolm::TexVertex& in) {
        Vertex out;
        out.x = static_cast<int32_t>(in.x * 65536.0f);
        out.y = static_cast<int32_t>(in.y * 65536.0f);
        if (textured) {
            out.u = static_cast<int32_t>(static_cast<float>(texture->width) * in.u * 65536.0f);
            out.v = static_cast<int32_t>(static_cast<float>(texture->height) * in.v * 65536.0f);
        }
        if (vertexColors) {
            out.a = static_cast<int32_t>(in.color >> 24) << 16;
            out.r = static_cast<int32_t>((in.color >> 16) & 0xFF) << 16;
            out.g = static_cast<int32_t>((in.color >> 8) & 0xFF) << 16;
            out.b = static_cast<int32_t>(in.color & 0xFF) << 16;
        }
        return out;
    };
    for (size_t i = 0; i + 2 < vertices.size(); ++i) {
        size_t second = i % 2 == 0 ? i + 1 : i + 2;
        size_t third = i % 2 == 0 ? i + 2 : i + 1;
        Vertex triangle[3] = {convert(vertices[i]), convert(vertices[second]), convert(vertices[third])};
        DrawTriangle(index, triangle, bits, pitch, texture, triangleColor);
    }
}

} // namespace Reference
