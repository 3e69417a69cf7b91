// The routine family is generated from one frame template and one pixel policy per destination format.
// Entries that draw the same way share one routine: untextured triangles ignore the blend and bilinear
// bits, those without vertex colours all go to one routine that draws nothing, and the ARGB block's two
// plain opaque textured entries are the RGB block's copies, which store the same words.
#include "rasterizer/TriangleRoutineTable.h"

#include "rasterizer/PixelFormats.h"
#include "rasterizer/TriangleFrame.h"

#include <array>
#include <cstddef>
#include <utility>

namespace Tolm {
namespace {

enum class DestinationFormat
{
    Argb8888,
    Rgb888,
    Rgb565,
    Rgb555,
};

template <DestinationFormat Format>
struct PixelPolicy;

template <>
struct PixelPolicy<DestinationFormat::Argb8888>
{
    using Type = Argb8888Pixels;
};

template <>
struct PixelPolicy<DestinationFormat::Rgb888>
{
    using Type = Rgb888Pixels;
};

template <>
struct PixelPolicy<DestinationFormat::Rgb565>
{
    using Type = Rgb565Pixels;
};

template <>
struct PixelPolicy<DestinationFormat::Rgb555>
{
    using Type = Rgb555Pixels;
};

// Untextured triangles without vertex colours draw nothing, whatever the global colour.
void IgnoreUncolouredTriangle(FixedVertex*, void*, int, const TriangleTexture*, const TriangleColor*, const SpanLimits&)
{}

enum class RoutineKind
{
    Uncoloured,
    Generated,
};

struct RoutineChoice
{
    RoutineKind kind = RoutineKind::Generated;
    DestinationFormat format = DestinationFormat::Argb8888;
    TriangleFeatures features;
};

constexpr RoutineChoice ChooseRoutine(int index)
{
    DestinationFormat format = static_cast<DestinationFormat>(index / 32);
    TriangleFeatures features = TriangleFeatures::FromEntry(index % 32);
    if (!features.textured) {
        if (!features.vertexColors) {
            return {RoutineKind::Uncoloured, format, features};
        }
        features.blend = false;
        features.bilinear = false;
    }
    bool plainCopy = features.textured && !features.blend && !features.vertexColors && !features.globalColor;
    if (format == DestinationFormat::Argb8888 && plainCopy) {
        format = DestinationFormat::Rgb888;
    }
    return {RoutineKind::Generated, format, features};
}

template <int Index>
constexpr TriangleRoutine RoutineAt()
{
    constexpr RoutineChoice choice = ChooseRoutine(Index);
    if constexpr (choice.kind == RoutineKind::Uncoloured) {
        return &IgnoreUncolouredTriangle;
    } else {
        return &DrawTriangle<typename PixelPolicy<choice.format>::Type, choice.features>;
    }
}

template <std::size_t... Index>
constexpr std::array<TriangleRoutine, kTriangleRoutineCount> BuildTable(std::index_sequence<Index...>)
{
    return {RoutineAt<int(Index)>()...};
}

constexpr std::array<TriangleRoutine, kTriangleRoutineCount> routineTable =
    BuildTable(std::make_index_sequence<kTriangleRoutineCount>{});

} // namespace

// The table is constant data, complete before any code runs; callers that fill it before their first
// draw find nothing left to do.
void InitTriangleRoutineTable() {}

TriangleRoutine GetTriangleRoutine(int index)
{
    if (index < 0 || index >= kTriangleRoutineCount) {
        return nullptr;
    }
    return routineTable[index];
}

void DispatchTriangle(bool textured, bool blend, bool vertexColors, bool globalColor, FixedVertex* vertices, void* bits,
                      int pitch, const TriangleTexture* texture, const TriangleColor* color, int format, bool bilinear,
                      const SpanLimits& limits)
{
    TriangleFeatures features{textured, blend, vertexColors, globalColor, bilinear};
    routineTable[TriangleRoutineBlock(format) + features.Entry()](vertices, bits, pitch, texture, color, limits);
}

} // namespace Tolm
