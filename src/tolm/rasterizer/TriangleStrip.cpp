#include "rasterizer/TriangleStrip.h"

#include "rasterizer/TriangleClipper.h"
#include "rasterizer/TriangleFeatures.h"
#include "rasterizer/TriangleRoutineTable.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <optional>

namespace Tolm {
namespace {

// Truncation toward zero, saturating where the value does not fit (it can for texel coordinates far
// outside the texture).
int32_t ToFixed(float value)
{
    if (!(value < 2147483648.0f)) {
        return INT32_MAX;
    }
    if (!(value > -2147483648.0f)) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

// The clip limits of the routines, in 64 bits so that a clip rectangle near the int range cannot wrap.
SpanLimits SpanLimitsOf(const Rect& clip)
{
    auto toInt = [](int64_t value) { return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX)); };
    return {clip.x, clip.y, toInt(int64_t(clip.x) + std::max(clip.width, 0)),
            toInt(int64_t(clip.y) + std::max(clip.height, 0))};
}

// A vertex whose position (or, when textured, whose texture coordinate) is not finite would slip through
// every clip test, since comparisons with NaN are false; its triangle is not drawn.
bool IsDrawable(const TexVertex& vertex, bool textured)
{
    bool positionFinite = std::isfinite(vertex.x) && std::isfinite(vertex.y);
    return positionFinite && (!textured || (std::isfinite(vertex.u) && std::isfinite(vertex.v)));
}

class StripDrawer
{
public:
    StripDrawer(const TriangleFeatures& features, const TriangleTexture& texture, float textureWidth,
                float textureHeight, const TriangleColor& color, const Rect& clip, void* bits, int pitch, int format)
        : features(features), texture(texture), textureWidth(textureWidth), textureHeight(textureHeight), color(color),
          bounds(ClipBounds::FromRect(clip)), limits(SpanLimitsOf(clip)), bits(bits), pitch(pitch), format(format)
    {}

    void DrawTriangle(const TexVertex& a, const TexVertex& b, const TexVertex& c)
    {
        if (!IsDrawable(a, features.textured) || !IsDrawable(b, features.textured) ||
            !IsDrawable(c, features.textured)) {
            return;
        }
        // The clipper would hand back the same three vertices.
        if (IsInside(a) && IsInside(b) && IsInside(c)) {
            FixedVertex triangle[3] = {Convert(a), Convert(b), Convert(c)};
            Dispatch(triangle);
            return;
        }
        DrawClipped(a, b, c);
    }

private:
    bool IsInside(const TexVertex& vertex) const
    {
        return vertex.x >= bounds.xmin && vertex.x <= bounds.xmax && vertex.y >= bounds.ymin && vertex.y <= bounds.ymax;
    }

    void DrawClipped(const TexVertex& a, const TexVertex& b, const TexVertex& c)
    {
        if (!clipper) {
            clipper.emplace();
        }
        int count = clipper->ClipTriangle(&a, &b, &c, bounds);
        if (count == 0) {
            return;
        }
        const TexVertex* const* polygon = clipper->Polygon();
        std::array<FixedVertex, TriangleClipper::kMaxPolygon> converted;
        for (int k = 0; k < count; ++k) {
            converted[size_t(k)] = Convert(*polygon[k]);
        }
        // A routine may use its vertex records as working storage, so every fan triangle gets fresh copies.
        for (int k = 2; k < count; ++k) {
            FixedVertex triangle[3] = {converted[0], converted[size_t(k) - 1], converted[size_t(k)]};
            Dispatch(triangle);
        }
    }

    void Dispatch(FixedVertex* triangle)
    {
        DispatchTriangle(features.textured, features.blend, features.vertexColors, features.globalColor, triangle, bits,
                         pitch, &texture, &color, format, features.bilinear, limits);
    }

    FixedVertex Convert(const TexVertex& vertex) const
    {
        FixedVertex fixed;
        fixed.x = ToFixed(vertex.x * 65536.0f);
        fixed.y = ToFixed(vertex.y * 65536.0f);
        if (features.textured) {
            fixed.u = ToFixed(textureWidth * vertex.u * 65536.0f);
            fixed.v = ToFixed(textureHeight * vertex.v * 65536.0f);
        }
        if (features.vertexColors) {
            fixed.a = int32_t((vertex.color >> 24) & 0xFF) << 16;
            fixed.r = int32_t((vertex.color >> 16) & 0xFF) << 16;
            fixed.g = int32_t((vertex.color >> 8) & 0xFF) << 16;
            fixed.b = int32_t(vertex.color & 0xFF) << 16;
        }
        return fixed;
    }

    TriangleFeatures features;
    TriangleTexture texture;
    float textureWidth;
    float textureHeight;
    TriangleColor color;
    ClipBounds bounds;
    SpanLimits limits;
    void* bits;
    int pitch;
    int format;
    // Made on the first triangle that needs clipping: its vertex pool is large.
    std::optional<TriangleClipper> clipper;
};

} // namespace

void RasterizeTriangleStrip(const TexVertex* vertices, int count, const TriangleTextureView* texture,
                            const Color& color, DrawMode, const Rect& clip, void* bits, int pitch, int format,
                            bool bilinear, bool vertexColors)
{
    TriangleFeatures features;
    features.textured = texture != nullptr;
    features.blend = features.textured && (texture->hasSemiAlpha || texture->hasTransparency || bilinear);
    features.vertexColors = vertexColors;
    features.globalColor = ColorDiffers(color, Color::White);
    features.bilinear = bilinear;
    if (count < 3 || vertices == nullptr || bits == nullptr) {
        return;
    }

    TriangleTexture textureRecord;
    if (features.textured) {
        // A texture too large for an int index cannot be addressed at all; one without pixels reads as
        // transparent black.
        int64_t size = int64_t(std::max(texture->width, 0)) * std::max(texture->height, 0);
        if (size > INT_MAX) {
            return;
        }
        textureRecord.texels = texture->bits;
        textureRecord.width = texture->width;
        textureRecord.size = texture->bits != nullptr ? int(size) : 0;
    }
    TriangleColor triangleColor{color.alpha, color.red, color.green, color.blue};

    StripDrawer drawer(features, textureRecord, features.textured ? float(texture->width) : 0.0f,
                       features.textured ? float(texture->height) : 0.0f, triangleColor, clip, bits, pitch, format);
    // Odd triangles take their last two vertices swapped, so every triangle of the strip winds the same way.
    for (int i = 0; i + 2 < count; ++i) {
        if (i % 2 == 0) {
            drawer.DrawTriangle(vertices[i], vertices[i + 1], vertices[i + 2]);
        } else {
            drawer.DrawTriangle(vertices[i], vertices[i + 2], vertices[i + 1]);
        }
    }
}

} // namespace Tolm
