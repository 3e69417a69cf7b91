// Fill rate of the software triangle rasterizer, in pixels per second, for untextured, textured and
// bilinear blended strips of large and small triangles, into 32-bit and 5-6-5 pixels. The outside
// references run in the same program: memset over the same area (the bandwidth ceiling) and Mesa's
// software renderer (OSMesa, llvmpipe, held to one thread like ours) drawing the same triangles into a
// buffer of the same size and layout.
#include "graphics/Color.h"
#include "graphics/TexVertex.h"
#include "rasterizer/TriangleRoutineTable.h"
#include "rasterizer/TriangleStrip.h"
#include "support/MesaContext.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kCanvas = 512;  // destination width and height
constexpr int kArea = 480;    // the drawn square, in pixels
constexpr int kOffset = 16;   // its top-left corner
constexpr int kTexture = 256; // texture width and height

// The destination's layout: our format code, OSMesa's format and pixel type, and the bytes of a pixel.
struct Layout
{
    int format;
    GLenum mesaFormat;
    GLenum mesaType;
    int bytes;
};

constexpr Layout kBits32{Tolm::kFormatArgb8888, OSMESA_BGRA, GL_UNSIGNED_BYTE, 4};
constexpr Layout kRgb565{Tolm::kFormatRgb565, OSMESA_RGB_565, GL_UNSIGNED_SHORT_5_6_5, 2};

enum class Kind
{
    Untextured, // vertex-colour gradient, opaque
    Textured,   // opaque texture, nearest texel
    Bilinear,   // half-transparent texture, bilinear filtering, blended
};

// The square cut into cells of `cell` pixels, each cell a strip of four vertices.
std::vector<Tolm::TexVertex> MakeStrips(int cell)
{
    std::vector<Tolm::TexVertex> vertices;
    for (int y = 0; y < kArea; y += cell) {
        for (int x = 0; x < kArea; x += cell) {
            for (int corner : {0, 1, 2, 3}) {
                int cx = x + (corner & 1) * cell;
                int cy = y + (corner >> 1) * cell;
                Tolm::TexVertex vertex;
                vertex.x = float(kOffset + cx);
                vertex.y = float(kOffset + cy);
                vertex.u = float(cx) / kArea;
                vertex.v = float(cy) / kArea;
                vertex.color = 0xFF000000 | uint32_t(cx * 255 / kArea) << 16 | uint32_t(cy * 255 / kArea) << 8 | 0x40;
                vertices.push_back(vertex);
            }
        }
    }
    return vertices;
}

std::vector<uint32_t> MakeTexture(Kind kind)
{
    std::vector<uint32_t> texels(size_t(kTexture) * kTexture);
    uint32_t alpha = kind == Kind::Bilinear ? 0x80 : 0xFF;
    for (int y = 0; y < kTexture; ++y) {
        for (int x = 0; x < kTexture; ++x) {
            texels[size_t(y) * kTexture + x] = alpha << 24 | uint32_t(x) << 16 | uint32_t(y) << 8 | uint32_t(x ^ y);
        }
    }
    return texels;
}

void CountPixels(benchmark::State& state)
{
    state.SetItemsProcessed(int64_t(state.iterations()) * kArea * kArea);
}

// The canvas's pixels, big enough for either layout; rows are kCanvas pixels of the layout apart.
std::vector<uint32_t> MakeCanvas()
{
    return std::vector<uint32_t>(size_t(kCanvas) * kCanvas, 0xFF203040);
}

void BM_Quendara(benchmark::State& state, Layout layout, Kind kind, int cell)
{
    std::vector<Tolm::TexVertex> strips = MakeStrips(cell);
    std::vector<uint32_t> texels = MakeTexture(kind);
    Tolm::TriangleTextureView texture{texels.data(), kTexture, kTexture, false, kind == Kind::Bilinear};
    std::vector<uint32_t> destination = MakeCanvas();
    const Tolm::TriangleTextureView* source = kind == Kind::Untextured ? nullptr : &texture;
    Tolm::Rect clip(0, 0, kCanvas, kCanvas);
    for (auto _ : state) {
        for (size_t first = 0; first < strips.size(); first += 4) {
            Tolm::RasterizeTriangleStrip(&strips[first], 4, source, Tolm::Color::White, Tolm::DrawModeNormal, clip,
                                         destination.data(), kCanvas * layout.bytes, layout.format,
                                         kind == Kind::Bilinear, kind == Kind::Untextured);
        }
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
    }
    CountPixels(state);
}

void BM_Memset(benchmark::State& state, Layout layout)
{
    std::vector<uint32_t> destination = MakeCanvas();
    auto* bytes = reinterpret_cast<uint8_t*>(destination.data());
    for (auto _ : state) {
        for (int y = 0; y < kArea; ++y) {
            std::memset(bytes + (size_t(kOffset + y) * kCanvas + kOffset) * size_t(layout.bytes), 0x5A,
                        size_t(kArea) * size_t(layout.bytes));
        }
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
    }
    CountPixels(state);
}

// One OSMesa context drawing into its own buffer, with the fixed-function state of each kind.
class MesaRenderer
{
public:
    explicit MesaRenderer(Layout layout) : context(kCanvas, kCanvas, layout.mesaFormat, layout.mesaType)
    {
        if (context.Ready()) {
            glGenTextures(1, &texture);
        }
    }

    bool Ready() const { return context.Ready(); }
    std::string Name() const { return context.Name(); }

    void Prepare(Kind kind, const std::vector<uint32_t>& texels)
    {
        glShadeModel(GL_SMOOTH);
        if (kind == Kind::Untextured) {
            glDisable(GL_TEXTURE_2D);
            glDisable(GL_BLEND);
            return;
        }
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
        GLint filter = kind == Kind::Bilinear ? GL_LINEAR : GL_NEAREST;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kTexture, kTexture, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, kind == Kind::Bilinear ? GL_MODULATE : GL_REPLACE);
        if (kind == Kind::Bilinear) {
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        } else {
            glDisable(GL_BLEND);
        }
    }

    // The strips as one list of triangles, with the same positions, texel coordinates and colours.
    void Load(const std::vector<Tolm::TexVertex>& strips)
    {
        positions.clear();
        coordinates.clear();
        colors.clear();
        for (size_t first = 0; first < strips.size(); first += 4) {
            for (int k : {0, 1, 2, 1, 3, 2}) {
                const Tolm::TexVertex& vertex = strips[first + size_t(k)];
                positions.insert(positions.end(), {vertex.x, vertex.y});
                coordinates.insert(coordinates.end(), {vertex.u, vertex.v});
                for (int shift : {16, 8, 0, 24}) {
                    colors.push_back(uint8_t(vertex.color >> shift));
                }
            }
        }
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glVertexPointer(2, GL_FLOAT, 0, positions.data());
        glTexCoordPointer(2, GL_FLOAT, 0, coordinates.data());
        glColorPointer(4, GL_UNSIGNED_BYTE, 0, colors.data());
    }

    void Draw()
    {
        glDrawArrays(GL_TRIANGLES, 0, GLsizei(positions.size() / 2));
        glFinish();
    }

private:
    MesaContext context;
    GLuint texture = 0;
    std::vector<float> positions;
    std::vector<float> coordinates;
    std::vector<uint8_t> colors;
};

void BM_OSMesa(benchmark::State& state, Layout layout, Kind kind, int cell)
{
    MesaRenderer mesa(layout);
    if (!mesa.Ready()) {
        state.SkipWithError("no OSMesa context");
        return;
    }
    std::vector<Tolm::TexVertex> strips = MakeStrips(cell);
    std::vector<uint32_t> texels = MakeTexture(kind);
    // Vertex colours modulate only the untextured fill, as in ours.
    if (kind != Kind::Untextured) {
        for (Tolm::TexVertex& vertex : strips) {
            vertex.color = 0xFFFFFFFF;
        }
    }
    mesa.Prepare(kind, texels);
    mesa.Load(strips);
    state.SetLabel(mesa.Name());
    for (auto _ : state) {
        mesa.Draw();
    }
    CountPixels(state);
}

constexpr int kLarge = kArea; // two triangles of 115 200 pixels each
constexpr int kSmall = 8;     // 7 200 triangles of 32 pixels each

} // namespace

BENCHMARK_CAPTURE(BM_Memset, 32, kBits32);
BENCHMARK_CAPTURE(BM_Memset, 565, kRgb565);
BENCHMARK_CAPTURE(BM_Quendara, untextured_large, kBits32, Kind::Untextured, kLarge);
BENCHMARK_CAPTURE(BM_OSMesa, untextured_large, kBits32, Kind::Untextured, kLarge);
BENCHMARK_CAPTURE(BM_Quendara, untextured_small, kBits32, Kind::Untextured, kSmall);
BENCHMARK_CAPTURE(BM_OSMesa, untextured_small, kBits32, Kind::Untextured, kSmall);
BENCHMARK_CAPTURE(BM_Quendara, textured_large, kBits32, Kind::Textured, kLarge);
BENCHMARK_CAPTURE(BM_OSMesa, textured_large, kBits32, Kind::Textured, kLarge);
BENCHMARK_CAPTURE(BM_Quendara, textured_small, kBits32, Kind::Textured, kSmall);
BENCHMARK_CAPTURE(BM_OSMesa, textured_small, kBits32, Kind::Textured, kSmall);
BENCHMARK_CAPTURE(BM_Quendara, bilinear_blended_large, kBits32, Kind::Bilinear, kLarge);
BENCHMARK_CAPTURE(BM_OSMesa, bilinear_blended_large, kBits32, Kind::Bilinear, kLarge);
BENCHMARK_CAPTURE(BM_Quendara, bilinear_blended_small, kBits32, Kind::Bilinear, kSmall);
BENCHMARK_CAPTURE(BM_OSMesa, bilinear_blended_small, kBits32, Kind::Bilinear, kSmall);
BENCHMARK_CAPTURE(BM_Quendara, 565_untextured_large, kRgb565, Kind::Untextured, kLarge);
BENCHMARK_CAPTURE(BM_OSMesa, 565_untextured_large, kRgb565, Kind::Untextured, kLarge);
BENCHMARK_CAPTURE(BM_Quendara, 565_untextured_small, kRgb565, Kind::Untextured, kSmall);
BENCHMARK_CAPTURE(BM_OSMesa, 565_untextured_small, kRgb565, Kind::Untextured, kSmall);
BENCHMARK_CAPTURE(BM_Quendara, 565_textured_large, kRgb565, Kind::Textured, kLarge);
BENCHMARK_CAPTURE(BM_OSMesa, 565_textured_large, kRgb565, Kind::Textured, kLarge);
BENCHMARK_CAPTURE(BM_Quendara, 565_textured_small, kRgb565, Kind::Textured, kSmall);
BENCHMARK_CAPTURE(BM_OSMesa, 565_textured_small, kRgb565, Kind::Textured, kSmall);
BENCHMARK_CAPTURE(BM_Quendara, 565_bilinear_blended_large, kRgb565, Kind::Bilinear, kLarge);
BENCHMARK_CAPTURE(BM_OSMesa, 565_bilinear_blended_large, kRgb565, Kind::Bilinear, kLarge);
BENCHMARK_CAPTURE(BM_Quendara, 565_bilinear_blended_small, kRgb565, Kind::Bilinear, kSmall);
BENCHMARK_CAPTURE(BM_OSMesa, 565_bilinear_blended_small, kRgb565, Kind::Bilinear, kSmall);
