#include "display/TexturePieceGrid.h"

#include "core/Matrix.h"
#include "display/D3DInterface.h"
#include "display/VertexList.h"
#include "graphics/MemoryImage.h"
#include "graphics/TexVertex.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <iterator>

namespace Tolm {

using namespace Platform;

namespace {

constexpr int kPieceTableSize = 1024;
// Triangles of a one-piece image go to the device this many at a time.
constexpr int kTriangleBatch = 100;

int SmallestPowerOfTwo(int n)
{
    return n <= 1 ? 1 : int(std::bit_ceil(unsigned(n)));
}

bool IsPowerOfTwo(int n)
{
    return n > 0 && std::has_single_bit(unsigned(n));
}

// A side of up to 1023 texels: a power of two when that wastes at most 64 texels, else the largest
// smaller power of two that leaves a remainder of at most 63, or a power-of-two remainder.
const int* PieceTable()
{
    static const auto table = [] {
        std::vector<int> sizes(kPieceTableSize);
        for (int i = 0; i < kPieceTableSize; ++i) {
            int c = SmallestPowerOfTwo(i);
            if (c - i < 65) {
                sizes[std::size_t(i)] = c;
                continue;
            }
            int d = c / 2;
            while (i % d > 63 && !IsPowerOfTwo(i % d)) {
                d /= 2;
            }
            sizes[std::size_t(i)] = d;
        }
        return sizes;
    }();
    return table.data();
}

int PieceSide(int side, int largest, bool powerOfTwo)
{
    if (side >= largest) {
        return largest;
    }
    if (powerOfTwo) {
        return SmallestPowerOfTwo(side);
    }
    return PieceTable()[std::clamp(side, 0, kPieceTableSize - 1)];
}

int BytesPerTexel(int format)
{
    switch (format) {
    case kTextureA8R8G8B8:
        return 4;
    case kTexturePalette8:
        return 1;
    default:
        return 2;
    }
}

uint32_t ConvertTexel(uint32_t argb, int format)
{
    uint32_t a = argb >> 24;
    uint32_t r = (argb >> 16) & 0xFF;
    uint32_t g = (argb >> 8) & 0xFF;
    uint32_t b = argb & 0xFF;
    switch (format) {
    case kTextureA4R4G4B4:
        return (a >> 4) << 12 | (r >> 4) << 8 | (g >> 4) << 4 | (b >> 4);
    case kTextureR5G6B5:
        return (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
    default:
        return argb;
    }
}

// The texel back as ARGB: 5-6-5 with opaque alpha and the channel bits at the top of each byte; 4-4-4-4
// likewise, its alpha nibble repeated so that opaque stays opaque.
uint32_t TexelToArgb(uint32_t texel, int format, const PALETTEENTRY* palette)
{
    switch (format) {
    case kTextureR5G6B5:
        return 0xFF000000u | ((texel >> 11) & 0x1F) << 19 | ((texel >> 5) & 0x3F) << 10 | (texel & 0x1F) << 3;
    case kTextureA4R4G4B4:
        return ((texel >> 12) & 0xF) * 0x11u << 24 | ((texel >> 8) & 0xF) << 20 | ((texel >> 4) & 0xF) << 12 |
               (texel & 0xF) << 4;
    case kTexturePalette8: {
        const PALETTEENTRY& entry = palette[texel & 0xFF];
        return uint32_t(entry.flags) << 24 | uint32_t(entry.red) << 16 | uint32_t(entry.green) << 8 | entry.blue;
    }
    default:
        return texel;
    }
}

D3DTLVERTEX MakeVertex(float x, float y, float u, float v, uint32_t color)
{
    D3DTLVERTEX vertex;
    vertex.sx = x;
    vertex.sy = y;
    vertex.tu = u;
    vertex.tv = v;
    vertex.color = color;
    return vertex;
}

bool LeavesClip(const D3DTLVERTEX (&quad)[4], const Rect& clip)
{
    return std::any_of(std::begin(quad), std::end(quad), [&](const D3DTLVERTEX& vertex) {
        return vertex.sx < float(clip.x) || vertex.sx >= float(clip.x + clip.width) || vertex.sy < float(clip.y) ||
               vertex.sy >= float(clip.y + clip.height);
    });
}

IDirectDrawSurface7* CreateTextureSurface(IDirect3DDevice7* device, IDirectDraw7* directDraw, int width, int height,
                                          int format)
{
    if (CheckD3DResult(device->SetTexture(0, nullptr), "SetTexture NULL")) {
        return nullptr;
    }
    DDSURFACEDESC2 desc;
    desc.flags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    desc.caps.caps = DDSCAPS_TEXTURE;
    desc.caps.caps2 = DDSCAPS2_D3DTEXTUREMANAGE;
    desc.width = uint32_t(width);
    desc.height = uint32_t(height);
    GetTexturePixelFormat(format, desc.pixelFormat);
    IDirectDrawSurface7* texture = nullptr;
    if (Failed(directDraw->CreateSurface(&desc, &texture))) {
        return nullptr;
    }
    return texture;
}

// One row of the image's pixels, from its palette form when it has one.
uint32_t ImagePixel(const MemoryImage& image, const uint32_t* bits, int x, int y)
{
    std::size_t index = std::size_t(y) * std::size_t(image.width) + std::size_t(x);
    return image.HasPalette() ? image.colorTable[image.colorIndices[index]] : bits[index];
}

void WriteTexel(uint8_t* row, int x, int bytes, uint32_t value)
{
    std::memcpy(row + std::size_t(x) * std::size_t(bytes), &value, std::size_t(bytes));
}

// The pixels from (x, y) into the texture, with one texel of padding to the right and below repeating
// the last pixel, so that filtering at the image's edge finds no stranger.
void UploadTexturePiece(const MemoryImage& image, const uint32_t* bits, int x, int y, IDirectDrawSurface7* texture,
                        int width, int height, int format)
{
    DDSURFACEDESC2 desc;
    if (CheckD3DResult(texture->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY), "Lock Texture")) {
        return;
    }
    int copyWidth = std::min(width, image.width - x);
    int copyHeight = std::min(height, image.height - y);
    int bytes = BytesPerTexel(format);
    auto* rows = static_cast<uint8_t*>(desc.surface);
    if (copyWidth > 0 && copyHeight > 0) {
        for (int j = 0; j < copyHeight; ++j) {
            uint8_t* row = rows + std::ptrdiff_t(j) * desc.pitch;
            for (int i = 0; i < copyWidth; ++i) {
                std::size_t index = std::size_t(y + j) * std::size_t(image.width) + std::size_t(x + i);
                uint32_t texel = format == kTexturePalette8
                                     ? image.colorIndices[index]
                                     : ConvertTexel(ImagePixel(image, bits, x + i, y + j), format);
                WriteTexel(row, i, bytes, texel);
            }
            if (copyWidth < width) {
                std::memcpy(row + std::size_t(copyWidth) * std::size_t(bytes),
                            row + std::size_t(copyWidth - 1) * std::size_t(bytes), std::size_t(bytes));
            }
        }
        if (copyHeight < height) {
            std::size_t rowBytes = std::size_t(std::min(copyWidth + 1, width)) * std::size_t(bytes);
            std::memcpy(rows + std::ptrdiff_t(copyHeight) * desc.pitch,
                        rows + std::ptrdiff_t(copyHeight - 1) * desc.pitch, rowBytes);
        }
    }
    CheckD3DResult(texture->Unlock(nullptr), "Texture Unlock");
}

} // namespace

void TextureLimits::Reset()
{
    minWidth = 64;
    minHeight = 64;
    maxWidth = 64;
    maxHeight = 64;
    maxAspect = 1;
}

TextureLimits& GetTextureLimits()
{
    static TextureLimits limits;
    return limits;
}

void GetTexturePixelFormat(int code, DDPIXELFORMAT& format)
{
    format = DDPIXELFORMAT();
    switch (code) {
    case kTextureA8R8G8B8:
        format = PixelFormatOf(SurfaceLayout::Argb8888);
        break;
    case kTextureA4R4G4B4:
        format = PixelFormatOf(SurfaceLayout::Argb4444);
        break;
    case kTextureR5G6B5:
        format = PixelFormatOf(SurfaceLayout::Rgb565);
        break;
    case kTexturePalette8:
        format = PixelFormatOf(SurfaceLayout::Palette8);
        break;
    default:
        break;
    }
}

int TexturePixelFormatCode(const DDPIXELFORMAT& format)
{
    for (int code : {kTextureA8R8G8B8, kTextureA4R4G4B4, kTextureR5G6B5, kTexturePalette8}) {
        DDPIXELFORMAT known;
        GetTexturePixelFormat(code, known);
        bool same = format.flags == known.flags && format.rgbBitCount == known.rgbBitCount;
        if (code != kTexturePalette8) {
            same = same && format.redMask == known.redMask && format.greenMask == known.greenMask &&
                   format.blueMask == known.blueMask && format.alphaMask == known.alphaMask;
        }
        if (same) {
            return code;
        }
    }
    return 0;
}

void ComputePieceSize(int& width, int& height, bool powerOfTwo, uint32_t textureFlags)
{
    const TextureLimits& limits = GetTextureLimits();
    bool pow2 = powerOfTwo || (textureFlags & kTextureMinSubdivide) != 0;
    width = std::max(PieceSide(width, limits.maxWidth, pow2), limits.minWidth.load());
    height = std::max(PieceSide(height, limits.maxHeight, pow2), limits.minHeight.load());
    int64_t aspect = limits.maxAspect;
    if (height < width) {
        while (aspect * height < width) {
            height *= 2;
        }
    } else if (width < height) {
        while (aspect * width < height) {
            width *= 2;
        }
    }
}

TexturePieceGrid::~TexturePieceGrid()
{
    ReleasePieces();
}

void TexturePieceGrid::ReleasePieces()
{
    for (TexturePiece& piece : pieces) {
        if (piece.texture) {
            piece.texture->Release();
        }
    }
    pieces.clear();
    textureMemory = 0;
    if (palette) {
        palette->Release();
        palette = nullptr;
    }
}

void TexturePieceGrid::Layout(const MemoryImage& image)
{
    int regularWidth = image.width;
    int regularHeight = image.height;
    ComputePieceSize(regularWidth, regularHeight, false, textureFlags);
    int rightWidth = regularWidth;
    int rightHeight = regularHeight;
    if (image.width % regularWidth > 0) {
        rightWidth = image.width % regularWidth;
        ComputePieceSize(rightWidth, rightHeight, true, textureFlags);
    }
    int bottomWidth = regularWidth;
    int bottomHeight = regularHeight;
    if (image.height % regularHeight > 0) {
        bottomHeight = image.height % regularHeight;
        ComputePieceSize(bottomWidth, bottomHeight, true, textureFlags);
    }
    int cornerWidth = rightWidth;
    int cornerHeight = bottomHeight;
    ComputePieceSize(cornerWidth, cornerHeight, true, textureFlags);
    pieceWidth = regularWidth;
    pieceHeight = regularHeight;
    columns = (image.width + regularWidth - 1) / regularWidth;
    rows = (image.height + regularHeight - 1) / regularHeight;
    pieces.assign(std::size_t(columns) * std::size_t(rows), TexturePiece{nullptr, regularWidth, regularHeight});
    for (int i = 0; i < rows; ++i) {
        pieces[std::size_t(i * columns + columns - 1)] = {nullptr, rightWidth, rightHeight};
    }
    for (int j = 0; j < columns; ++j) {
        pieces[std::size_t((rows - 1) * columns + j)] = {nullptr, bottomWidth, bottomHeight};
    }
    if (!pieces.empty()) {
        pieces.back() = {nullptr, cornerWidth, cornerHeight};
    }
    uScale = float(image.width) / float(regularWidth);
    vScale = float(image.height) / float(regularHeight);
}

void TexturePieceGrid::Upload(MemoryImage& image, IDirect3DDevice7* device, IDirectDraw7* directDraw)
{
    TextureLimits& limits = GetTextureLimits();
    // The software copies only: the textures are what is being made.
    image.FreeSoftwareBuffers();
    image.UpdateAlphaFlags();
    int newFormat = kTextureR5G6B5;
    if (image.hasPartialAlpha || image.hasTransparency || !limits.Supports(kTextureR5G6B5) ||
        (image.textureFlags & kTextureAlwaysA8R8G8B8) != 0) {
        newFormat = kTextureA8R8G8B8;
    }
    IDirectDrawPalette* newPalette = nullptr;
    if (image.HasPalette() && limits.Supports(kTexturePalette8)) {
        PALETTEENTRY entries[256];
        for (int i = 0; i < 256; ++i) {
            uint32_t colour = image.colorTable[std::size_t(i)];
            entries[i] = {uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour), uint8_t(colour >> 24)};
        }
        if (Failed(directDraw->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256 | DDPCAPS_ALPHA, entries, &newPalette))) {
            limits.supportedFormats &= ~kTexturePalette8;
            newPalette = nullptr;
        } else {
            newFormat = kTexturePalette8;
        }
    }
    bool preferSmall = (image.textureFlags & kTexturePreferA4R4G4B4) != 0;
    if (newFormat == kTextureA8R8G8B8 &&
        (preferSmall ? limits.Supports(kTextureA4R4G4B4) || !limits.Supports(kTextureA8R8G8B8)
                     : !limits.Supports(kTextureA8R8G8B8))) {
        newFormat = kTextureA4R4G4B4;
    }
    bool creating = image.width != imageWidth || image.height != imageHeight || newFormat != format ||
                    image.textureFlags != textureFlags;
    if (creating) {
        ReleasePieces();
        format = newFormat;
        textureFlags = image.textureFlags;
        Layout(image);
    }
    // The textures take the new palette too: the old one goes with the grid's reference.
    if (palette) {
        palette->Release();
    }
    palette = newPalette;
    if (palette) {
        textureMemory += 1024;
    }
    const uint32_t* bits = image.HasPalette() ? nullptr : image.GetBits();
    if (!image.HasPalette() && !bits) {
        format = 0;
        return;
    }
    int bytes = BytesPerTexel(format);
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            TexturePiece& piece = pieces[std::size_t(i * columns + j)];
            if (creating) {
                piece.texture = CreateTextureSurface(device, directDraw, piece.width, piece.height, format);
                if (!piece.texture) {
                    format = 0;
                    return;
                }
                textureMemory += piece.width * piece.height * bytes;
            }
            if (palette) {
                piece.texture->SetPalette(palette);
            }
            UploadTexturePiece(image, bits, j * pieceWidth, i * pieceHeight, piece.texture, piece.width, piece.height,
                               format);
        }
    }
    imageWidth = image.width;
    imageHeight = image.height;
    changeCount = image.bitsChangedCount;
}

PiecePart TexturePieceGrid::PieceAt(int x, int y, int& width, int& height) const
{
    int column = x / pieceWidth;
    int row = y / pieceHeight;
    if (x < 0 || y < 0 || column >= columns || row >= rows) {
        width = 0;
        height = 0;
        return {};
    }
    const TexturePiece& piece = pieces[std::size_t(row * columns + column)];
    int a = x % pieceWidth;
    int b = y % pieceHeight;
    int g = std::min(a + width, piece.width);
    int c = std::min(b + height, piece.height);
    width = g - a;
    height = c - b;
    float textureWidth = float(piece.width);
    float textureHeight = float(piece.height);
    return {piece.texture, float(a) / textureWidth, float(b) / textureHeight, float(g) / textureWidth,
            float(c) / textureHeight};
}

bool TexturePieceGrid::ReadBack(MemoryImage& image) const
{
    uint32_t* bits = image.bits.get();
    if (!bits) {
        return false;
    }
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            const TexturePiece& piece = pieces[std::size_t(i * columns + j)];
            if (!piece.texture) {
                return false;
            }
            DDSURFACEDESC2 desc;
            if (CheckD3DResult(piece.texture->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY), "Lock Texture")) {
                return false;
            }
            PALETTEENTRY entries[256];
            if (format == kTexturePalette8 && piece.texture->Palette()) {
                piece.texture->Palette()->GetEntries(0, 0, 256, entries);
            }
            int x = j * pieceWidth;
            int y = i * pieceHeight;
            int width = std::min(piece.width, image.width - x);
            int height = std::min(piece.height, image.height - y);
            int bytes = BytesPerTexel(format);
            for (int row = 0; row < height; ++row) {
                const uint8_t* texels = static_cast<const uint8_t*>(desc.surface) + std::ptrdiff_t(row) * desc.pitch;
                uint32_t* out = bits + std::size_t(y + row) * std::size_t(image.width) + std::size_t(x);
                for (int column = 0; column < width; ++column) {
                    out[column] = TexelToArgb(ReadPixelValue(texels + std::size_t(column) * std::size_t(bytes), bytes),
                                              format, entries);
                }
            }
            CheckD3DResult(piece.texture->Unlock(nullptr), "Texture Unlock");
        }
    }
    return true;
}

Rect TexturePieceGrid::ClampToImage(const Rect& sourceRect) const
{
    int left = std::max(sourceRect.x, 0);
    int top = std::max(sourceRect.y, 0);
    int right = std::min(sourceRect.x + sourceRect.width, imageWidth);
    int bottom = std::min(sourceRect.y + sourceRect.height, imageHeight);
    return Rect(left, top, std::max(right - left, 0), std::max(bottom - top, 0));
}

// A part of no size lies where the grid has no piece (its pieces gone, or laid out smaller than the image
// size it keeps): the walk would never advance past it, so it ends there.
template <typename DrawPiece>
void TexturePieceGrid::ForEachPiecePart(const Rect& sourceRect, DrawPiece&& drawPiece) const
{
    Rect source = ClampToImage(sourceRect);
    int right = source.x + source.width;
    int bottom = source.y + source.height;
    for (int sy = source.y; sy < bottom;) {
        int bandHeight = 0;
        for (int sx = source.x; sx < right;) {
            int w = right - sx;
            int h = bottom - sy;
            PiecePart part = PieceAt(sx, sy, w, h);
            if (w <= 0 || h <= 0) {
                return;
            }
            drawPiece(part, float(sx - source.x), float(sy - source.y), float(w), float(h));
            sx += w;
            bandHeight = h;
        }
        sy += bandHeight;
    }
}

void TexturePieceGrid::DrawAligned(IDirect3DDevice7* device, float x, float y, const Rect& sourceRect,
                                   uint32_t color) const
{
    ForEachPiecePart(sourceRect, [&](const PiecePart& part, float left, float top, float w, float h) {
        float x0 = x + left - 0.5f;
        float y0 = y + top - 0.5f;
        float x1 = x0 + w;
        float y1 = y0 + h;
        const D3DTLVERTEX quad[] = {
            MakeVertex(x0, y0, part.left, part.top, color), MakeVertex(x0, y1, part.left, part.bottom, color),
            MakeVertex(x1, y0, part.right, part.top, color), MakeVertex(x1, y1, part.right, part.bottom, color)};
        CheckD3DResult(device->SetTexture(0, part.texture), "SetTexture gTexture");
        CheckD3DResult(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, quad, 4, 0),
                       "DrawPrimitive (Tri) 1");
    });
}

void TexturePieceGrid::DrawTransformed(IDirect3DDevice7* device, const Matrix3& matrix, const Rect& sourceRect,
                                       uint32_t color, const Rect* clipRect, float x, float y, bool centred) const
{
    float originX = centred ? -float(sourceRect.width) / 2.0f : 0.0f;
    float originY = centred ? -float(sourceRect.height) / 2.0f : 0.0f;
    float shift = centred ? 0.0f : 0.5f;
    auto corner = [&](float cx, float cy, float u, float v) {
        Vector2 point = matrix.TransformPoint(Vector2{cx, cy});
        return MakeVertex(point.x + x - shift, point.y + y - shift, u, v, color);
    };
    ForEachPiecePart(sourceRect, [&](const PiecePart& part, float left, float top, float w, float h) {
        float lx = originX + left;
        float ly = originY + top;
        D3DTLVERTEX quad[] = {corner(lx, ly, part.left, part.top), corner(lx, ly + h, part.left, part.bottom),
                              corner(lx + w, ly, part.right, part.top),
                              corner(lx + w, ly + h, part.right, part.bottom)};
        CheckD3DResult(device->SetTexture(0, part.texture), "SetTexture gTexture");
        if (clipRect && LeavesClip(quad, *clipRect)) {
            VertexList polygon;
            for (int index : {0, 1, 3, 2}) {
                polygon.Add(quad[index]);
            }
            DrawClippedPolygon(polygon, *clipRect, device);
        } else {
            CheckD3DResult(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, quad, 4, 0),
                           "DrawPrimitive (Tri) 3");
        }
    });
}

void TexturePieceGrid::DrawTriangles(IDirect3DDevice7* device, const TexVertex* triangles, int count, uint32_t color,
                                     float x, float y) const
{
    if (count <= 0 || pieces.empty()) {
        return;
    }
    auto vertexOf = [&](const TexVertex& given) {
        return MakeVertex(given.x + x, given.y + y, given.u * uScale, given.v * vScale,
                          given.color != 0 ? given.color : color);
    };
    if (uScale <= 1.0f && vScale <= 1.0f) {
        CheckD3DResult(device->SetTexture(0, pieces.front().texture), "SetTexture gTexture");
        std::vector<D3DTLVERTEX> batch;
        batch.reserve(std::size_t(kTriangleBatch) * 3);
        for (int i = 0; i < count; ++i) {
            for (int k = 0; k < 3; ++k) {
                batch.push_back(vertexOf(triangles[i * 3 + k]));
            }
            if (int(batch.size()) == kTriangleBatch * 3 || i + 1 == count) {
                CheckD3DResult(
                    device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX, batch.data(), uint32_t(batch.size()), 0),
                    "DrawPrimitive (TriList)");
                batch.clear();
            }
        }
        return;
    }
    for (int i = 0; i < count; ++i) {
        const D3DTLVERTEX triangle[] = {vertexOf(triangles[i * 3]), vertexOf(triangles[i * 3 + 1]),
                                        vertexOf(triangles[i * 3 + 2])};
        DrawTrianglePieces(device, triangle);
    }
}

// Each piece the triangle's texture coordinates touch draws its part of it with its own texture; a
// coordinate of exactly 1.0 in piece units belongs to the next piece.
void TexturePieceGrid::DrawTrianglePieces(IDirect3DDevice7* device, const D3DTLVERTEX* triangle) const
{
    float minU = uScale;
    float maxU = 0.0f;
    float minV = vScale;
    float maxV = 0.0f;
    for (int k = 0; k < 3; ++k) {
        minU = std::min(minU, triangle[k].tu);
        maxU = std::max(maxU, triangle[k].tu);
        minV = std::min(minV, triangle[k].tv);
        maxV = std::max(maxV, triangle[k].tv);
    }
    if (!std::isfinite(minU + maxU + minV + maxV)) {
        return;
    }
    int firstColumn = std::max(int(std::floor(minU)), 0);
    int lastColumn = std::min(int(std::ceil(maxU)), columns) - 1;
    int firstRow = std::max(int(std::floor(minV)), 0);
    int lastRow = std::min(int(std::ceil(maxV)), rows) - 1;
    const TexturePiece& first = pieces.front();
    VertexList polygon;
    VertexList clipped;
    for (int i = firstRow; i <= lastRow; ++i) {
        for (int j = firstColumn; j <= lastColumn; ++j) {
            const TexturePiece& piece = pieces[std::size_t(i * columns + j)];
            polygon.Clear();
            for (int k = 0; k < 3; ++k) {
                D3DTLVERTEX vertex = triangle[k];
                vertex.tu -= float(j);
                vertex.tv -= float(i);
                if (i + 1 == rows) {
                    vertex.tv *= float(first.height) / float(piece.height);
                }
                if (j + 1 == columns) {
                    vertex.tu *= float(first.width) / float(piece.width);
                }
                polygon.Add(vertex);
            }
            ClipPolygon(polygon, clipped, VertexComponent::U, 0.0f, true);
            ClipPolygon(clipped, polygon, VertexComponent::V, 0.0f, true);
            ClipPolygon(polygon, clipped, VertexComponent::U, 1.0f, false);
            ClipPolygon(clipped, polygon, VertexComponent::V, 1.0f, false);
            if (polygon.Count() > 2) {
                CheckD3DResult(device->SetTexture(0, piece.texture), "SetTexture gTexture");
                CheckD3DResult(device->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DFVF_TLVERTEX, polygon.Data(),
                                                     uint32_t(polygon.Count()), 0),
                               "DrawPrimitive (Tri) 4");
            }
        }
    }
}

} // namespace Tolm
