// The Direct3D textures of one image: the image cut into a grid of pieces whose sizes suit the device's
// texture limits, each piece one texture in one of four pixel formats, and the draws of the image's
// rectangles and triangles through those pieces.
#pragma once

#include "graphics/Rect.h"
#include "platform/Direct3D.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace Tolm {

class Matrix3;
class MemoryImage;
struct TexVertex;

// Texture pixel format codes.
constexpr int kTextureA8R8G8B8 = 1;
constexpr int kTextureA4R4G4B4 = 2;
constexpr int kTextureR5G6B5 = 4;
constexpr int kTexturePalette8 = 8;

// Image texture flags.
constexpr uint32_t kTextureMinSubdivide = 1;
constexpr uint32_t kTexturePreferA4R4G4B4 = 4;
constexpr uint32_t kTextureAlwaysA8R8G8B8 = 8;

// The device's limits and formats, set by the 3D display's Init under the display lock and read by
// images on any thread.
struct TextureLimits
{
    std::atomic<int> minWidth{64};
    std::atomic<int> minHeight{64};
    std::atomic<int> maxWidth{64};
    std::atomic<int> maxHeight{64};
    std::atomic<int> maxAspect{1};
    // An OR of format codes.
    std::atomic<int> supportedFormats{0};

    void Reset();
    bool Supports(int code) const { return (supportedFormats.load() & code) != 0; }
};
TextureLimits& GetTextureLimits();

void GetTexturePixelFormat(int code, Platform::DDPIXELFORMAT& format);
int TexturePixelFormatCode(const Platform::DDPIXELFORMAT& format);
void ComputePieceSize(int& width, int& height, bool powerOfTwo, uint32_t textureFlags);

struct TexturePiece
{
    Platform::IDirectDrawSurface7* texture = nullptr;
    int width = 0;
    int height = 0;
};

// One piece's part of a source rectangle: the texture and the texture coordinates of the part.
struct PiecePart
{
    Platform::IDirectDrawSurface7* texture = nullptr;
    float left = 0;
    float top = 0;
    float right = 0;
    float bottom = 0;
};

class TexturePieceGrid
{
public:
    TexturePieceGrid() = default;
    ~TexturePieceGrid();
    TexturePieceGrid(const TexturePieceGrid&) = delete;
    TexturePieceGrid& operator=(const TexturePieceGrid&) = delete;

    void ReleasePieces();
    void Layout(const MemoryImage& image);
    // Leaves the format 0 when a texture cannot be made.
    void Upload(MemoryImage& image, Platform::IDirect3DDevice7* device, Platform::IDirectDraw7* directDraw);
    // The piece holding pixel (x, y), with width and height cut to end at its texture's edge; a part
    // without texture when (x, y) lies outside the grid.
    PiecePart PieceAt(int x, int y, int& width, int& height) const;
    // Copies the textures into the image's 32-bit pixels; false when one cannot be locked.
    bool ReadBack(MemoryImage& image) const;

    void DrawAligned(Platform::IDirect3DDevice7* device, float x, float y, const Rect& sourceRect,
                     uint32_t color) const;
    void DrawTransformed(Platform::IDirect3DDevice7* device, const Matrix3& matrix, const Rect& sourceRect,
                         uint32_t color, const Rect* clipRect, float x, float y, bool centred) const;
    void DrawTriangles(Platform::IDirect3DDevice7* device, const TexVertex* triangles, int count, uint32_t color,
                       float x, float y) const;

    std::vector<TexturePiece> pieces;
    Platform::IDirectDrawPalette* palette = nullptr;
    int imageWidth = 0;
    int imageHeight = 0;
    int columns = 0;
    int rows = 0;
    int pieceWidth = 64;
    int pieceHeight = 64;
    int changeCount = 0;
    int textureMemory = 0;
    float uScale = 0.0f;
    float vScale = 0.0f;
    int format = 0;
    uint32_t textureFlags = 0;

private:
    // The source rectangle cut to the image: a draw never reads outside the grid.
    Rect ClampToImage(const Rect& sourceRect) const;
    // Hands each piece part of the clamped source rectangle, band by band, to drawPiece with its place
    // from the rectangle's top-left and its size, all in pixels; stops at the first part of no size.
    template <typename DrawPiece>
    void ForEachPiecePart(const Rect& sourceRect, DrawPiece&& drawPiece) const;
    void DrawTrianglePieces(Platform::IDirect3DDevice7* device, const Platform::D3DTLVERTEX* triangle) const;
};

} // namespace Tolm
