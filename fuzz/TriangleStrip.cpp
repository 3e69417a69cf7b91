// Draws random triangle strips (any float bits: NaN, infinities, huge and degenerate vertices) into a
// destination of 32- or 16-bit pixels surrounded by a guard band, and fails when any pixel outside the clip
// rectangle changes.
// The input is read as: a feature byte, the colour, the clip rectangle, the pitch slack, a texture, then
// the vertices, each with a byte that picks raw float bits or small fixed coordinates.
#include "rasterizer/TriangleStrip.h"

#include "rasterizer/TriangleRoutineTable.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kWidth = 48;
constexpr int kHeight = 40;
constexpr int kGuard = 16;
constexpr int kMaxVertices = 24;
constexpr uint32_t kGuardWord = 0xA5C3E1F0;

class Input
{
public:
    Input(const uint8_t* data, size_t size) : data(data), size(size) {}

    uint8_t Byte() { return position < size ? data[position++] : 0; }

    uint32_t Word()
    {
        uint32_t word = 0;
        for (int k = 0; k < 4; ++k) {
            word |= uint32_t(Byte()) << (8 * k);
        }
        return word;
    }

    float RawFloat()
    {
        uint32_t bits = Word();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    // A signed 16-bit value over a power of two: coordinates near the destination, fractions included.
    float Small(float scale) { return float(int16_t(uint16_t(Byte() | Byte() << 8))) / scale; }

    bool Empty() const { return position >= size; }

private:
    const uint8_t* data;
    size_t size;
    size_t position = 0;
};

Tolm::TexVertex ReadVertex(Input& input)
{
    Tolm::TexVertex vertex;
    if (input.Byte() % 4 == 0) {
        vertex.x = input.RawFloat();
        vertex.y = input.RawFloat();
        vertex.u = input.RawFloat();
        vertex.v = input.RawFloat();
    } else {
        vertex.x = input.Small(256);
        vertex.y = input.Small(256);
        vertex.u = input.Small(4096);
        vertex.v = input.Small(4096);
    }
    vertex.color = input.Word();
    return vertex;
}

// The strip drawn into a destination of `Pixel`s, every pixel outside the clip rectangle checked.
template <typename Pixel>
void DrawAndCheck(const std::vector<Tolm::TexVertex>& vertices, const Tolm::TriangleTextureView* texture,
                  const Tolm::Color& color, const Tolm::Rect& clip, int pitchSlack, int format, bool bilinear,
                  bool vertexColors)
{
    const int stride = kWidth + 2 * kGuard;
    const int pitch = stride * int(sizeof(Pixel)) + pitchSlack % int(sizeof(Pixel));
    const Pixel guard = Pixel(kGuardWord);
    std::vector<Pixel> pixels(size_t(stride) * (kHeight + 2 * kGuard), guard);
    Pixel* origin = &pixels[size_t(kGuard) * stride + kGuard];
    Tolm::RasterizeTriangleStrip(vertices.data(), int(vertices.size()), texture, color, Tolm::DrawModeNormal, clip,
                                 origin, pitch, format, bilinear, vertexColors);

    for (int y = -kGuard; y < kHeight + kGuard; ++y) {
        for (int x = -kGuard; x < kWidth + kGuard; ++x) {
            bool inside = x >= clip.x && x < clip.x + clip.width && y >= clip.y && y < clip.y + clip.height;
            if (!inside && pixels[size_t(y + kGuard) * stride + x + kGuard] != guard) {
                std::fprintf(stderr, "pixel %d, %d outside the clip rectangle was written\n", x, y);
                std::abort();
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input input(data, size);
    const uint8_t features = input.Byte();
    const int formats[5] = {Tolm::kFormatArgb8888, Tolm::kFormatRgb888, Tolm::kFormatRgb565, Tolm::kFormatRgb555,
                            0x1234};
    const int format = formats[(features >> 5) % 5];
    Tolm::Color color(input.Byte(), input.Byte(), input.Byte(), input.Byte());

    Tolm::Rect clip;
    clip.x = input.Byte() % (kWidth + 1);
    clip.y = input.Byte() % (kHeight + 1);
    clip.width = input.Byte() % (kWidth - clip.x + 1);
    clip.height = input.Byte() % (kHeight - clip.y + 1);
    const int pitchSlack = input.Byte();

    Tolm::TriangleTextureView texture;
    texture.width = 1 + input.Byte() % 8;
    texture.height = 1 + input.Byte() % 8;
    texture.hasTransparency = (features & 8) != 0;
    texture.hasSemiAlpha = (features & 16) != 0;
    std::vector<uint32_t> texels(size_t(texture.width) * texture.height);
    for (uint32_t& texel : texels) {
        texel = input.Word();
    }
    texture.bits = texels.data();

    std::vector<Tolm::TexVertex> vertices;
    while (!input.Empty() && vertices.size() < kMaxVertices) {
        vertices.push_back(ReadVertex(input));
    }

    const Tolm::TriangleTextureView* textured = (features & 1) ? &texture : nullptr;
    if (format == Tolm::kFormatRgb565 || format == Tolm::kFormatRgb555) {
        DrawAndCheck<uint16_t>(vertices, textured, color, clip, pitchSlack, format, (features & 2) != 0,
                               (features & 4) != 0);
    } else {
        DrawAndCheck<uint32_t>(vertices, textured, color, clip, pitchSlack, format, (features & 2) != 0,
                               (features & 4) != 0);
    }
    return 0;
}
