// A frame's draws written down instead of drawn, and played again by the outside references: SDL2's
// SDL_BlitSurface and pixman's composite, onto the same screen pixels. Every picture is placed at the
// size ours drew it, unturned: a turned or stretched draw at its box's top-left at the scale ours gave
// it (SDL_BlitScaled, nearest pixel; pixman's bilinear scale), a mesh whole at its source size; tinted
// and blended or added as ours was. pixman takes the premultiplied pixels its operators expect and the
// tint's alpha as a solid mask. A picture our images know to be opaque is copied by both, as ours copies
// it. Fills are drawn as fills. Lines, spans and polygons are counted, not played.
#pragma once

#include "core/Matrix.h"
#include "graphics/Color.h"
#include "graphics/Image.h"
#include "graphics/MemoryImage.h"
#include "graphics/Rect.h"
#include "support/References.h"

#include <SDL.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <pixman.h>
#include <vector>

class DrawLog : public Tolm::Image
{
public:
    // A picture's draw, or a fill when source is null; `to` is the size ours drew it at.
    struct Sprite
    {
        Tolm::Image* source;
        Tolm::Rect from;
        int x;
        int y;
        Tolm::Color tint;
        int drawMode;
        int toWidth;
        int toHeight;
        // The mesh's triangles in `meshes` where this is a mesh's draw, else -1.
        int mesh = -1;

        bool Scaled() const { return toWidth != from.width || toHeight != from.height; }
    };

    DrawLog(int screenWidth, int screenHeight)
    {
        width = screenWidth;
        height = screenHeight;
    }
    void Blit(Tolm::Image* source, int x, int y, const Tolm::Rect& from, const Tolm::Color& tint, int mode) override
    {
        Add(source, from, x, y, tint, mode);
    }
    void BlitMirror(Tolm::Image* source, int x, int y, const Tolm::Rect& from, const Tolm::Color& tint,
                    int mode) override
    {
        Add(source, from, x, y, tint, mode);
    }
    void BlitF(Tolm::Image* source, float x, float y, const Tolm::Rect& from, const Tolm::Rect&,
               const Tolm::Color& tint, int mode) override
    {
        Add(source, from, int(x), int(y), tint, mode);
    }
    // The matrix turns the picture about its middle and may carry it too.
    void BlitMatrix(Tolm::Image* source, float x, float y, const Tolm::Matrix3& matrix, const Tolm::Rect&,
                    const Tolm::Color& tint, int mode, const Tolm::Rect& from, bool) override
    {
        const Tolm::Vector3 middle = matrix.TransformVector3(Tolm::Vector3{0, 0, 1});
        const Tolm::Vector3 across = matrix.TransformVector3(Tolm::Vector3{1, 0, 0});
        const Tolm::Vector3 down = matrix.TransformVector3(Tolm::Vector3{0, 1, 0});
        const int w = std::max(1, int(float(from.width) * std::hypot(across.x, across.y) + 0.5f));
        const int h = std::max(1, int(float(from.height) * std::hypot(down.x, down.y) + 0.5f));
        sprites.push_back({source, from, int(x + middle.x) - w / 2, int(y + middle.y) - h / 2, tint, mode, w, h});
    }
    void BlitRotated(Tolm::Image* source, float x, float y, const Tolm::Rect& from, const Tolm::Rect&,
                     const Tolm::Color& tint, int mode, double, float, float) override
    {
        Add(source, from, int(x), int(y), tint, mode);
    }
    void StretchBlit(Tolm::Image* source, const Tolm::Rect& to, const Tolm::Rect& from, const Tolm::Rect&,
                     const Tolm::Color& tint, int mode, bool) override
    {
        sprites.push_back({source, from, to.x, to.y, tint, mode, to.width, to.height});
    }
    void StretchBlitMirror(Tolm::Image* source, const Tolm::Rect& to, const Tolm::Rect& from, const Tolm::Rect&,
                           const Tolm::Color& tint, int mode, bool) override
    {
        sprites.push_back({source, from, to.x, to.y, tint, mode, to.width, to.height});
    }
    // A mesh bends its picture along a path: its box says little of the pixels drawn, so the picture is
    // placed whole at the box's top-left. Its triangles are kept too, moved by the offset, for references
    // that draw triangles.
    void BlitTexturedTriangles(Tolm::Image* source, const Tolm::TexVertex* vertices, int count, const Tolm::Rect&,
                               const Tolm::Color& tint, int mode, float offsetX, float offsetY, bool bilinear) override
    {
        if (!source || count == 0) {
            return;
        }
        float left = vertices[0].x;
        float top = vertices[0].y;
        for (int i = 1; i < 3 * count; ++i) {
            left = std::min(left, vertices[i].x);
            top = std::min(top, vertices[i].y);
        }
        Add(source, Tolm::Rect(0, 0, source->width, source->height), int(left + offsetX), int(top + offsetY), tint,
            mode);
        Mesh& mesh = meshes.emplace_back(Mesh{{vertices, vertices + 3 * count}, bilinear});
        for (Tolm::TexVertex& vertex : mesh.vertices) {
            vertex.x += offsetX;
            vertex.y += offsetY;
        }
        sprites.back().mesh = int(meshes.size()) - 1;
    }
    void FillRect(const Tolm::Rect& rect, const Tolm::Color& color, int mode) override
    {
        Add(nullptr, rect, rect.x, rect.y, color, mode);
    }
    bool FillPolygonAccelerated(const int*, int, const Tolm::Rect&, const Tolm::Color&, int, int, int) override
    {
        ++unplayed;
        return true;
    }
    void DrawLine(double, double, double, double, const Tolm::Color&, int) override { ++unplayed; }
    void DrawLineSmooth(double, double, double, double, const Tolm::Color&, int) override { ++unplayed; }
    void FillSpans(const Tolm::FillSpan*, int, const Tolm::Color&, int) override { ++unplayed; }
    void FillSpansWithCoverage(const Tolm::FillSpan*, int, const Tolm::Color&, int, const unsigned char*, int, int, int,
                               int) override
    {
        ++unplayed;
    }

    // Triangles of a mesh, three vertices each.
    struct Mesh
    {
        std::vector<Tolm::TexVertex> vertices;
        bool bilinear;
    };

    std::vector<Sprite> sprites;
    std::vector<Mesh> meshes;
    // Draws the references leave out.
    int unplayed = 0;

private:
    void Add(Tolm::Image* source, const Tolm::Rect& from, int x, int y, const Tolm::Color& tint, int mode)
    {
        sprites.push_back({source, from, x, y, tint, mode, from.width, from.height});
    }
};

inline bool IsOpaque(const Tolm::MemoryImage& image)
{
    return !image.hasTransparency && !image.hasPartialAlpha;
}

// Our pictures as SDL2 surfaces, and a surface of each translucent fill's colour and size.
class SdlReplay
{
public:
    SdlReplay(const std::vector<DrawLog::Sprite>& frame, Tolm::MemoryImage& screen)
        : frame(frame), target(WrapSurface(screen))
    {
        for (const DrawLog::Sprite& sprite : frame) {
            if (!sprite.source && sprite.tint.alpha < 255) {
                SDL_Surface* fill = SDL_CreateRGBSurfaceWithFormat(0, sprite.from.width, sprite.from.height, 32,
                                                                   SDL_PIXELFORMAT_ARGB8888);
                SDL_FillRect(fill, nullptr, sprite.tint.ToPacked());
                fills.push_back(fill);
            }
            auto* image = dynamic_cast<Tolm::MemoryImage*>(sprite.source);
            if (image && !surfaces.count(image)) {
                surfaces[image] = WrapSurface(*image);
            }
        }
    }
    ~SdlReplay()
    {
        for (auto& [image, surface] : surfaces) {
            SDL_FreeSurface(surface);
        }
        for (SDL_Surface* fill : fills) {
            SDL_FreeSurface(fill);
        }
        SDL_FreeSurface(target);
    }
    SdlReplay(const SdlReplay&) = delete;
    SdlReplay& operator=(const SdlReplay&) = delete;

    void Draw()
    {
        auto fill = fills.begin();
        for (const DrawLog::Sprite& sprite : frame) {
            SDL_Rect to{sprite.x, sprite.y, sprite.toWidth, sprite.toHeight};
            if (!sprite.source) {
                if (sprite.tint.alpha == 255) {
                    SDL_FillRect(target, &to, sprite.tint.ToPacked());
                } else {
                    Blend(*fill++, sprite, nullptr, &to, false);
                }
                continue;
            }
            auto found = surfaces.find(dynamic_cast<Tolm::MemoryImage*>(sprite.source));
            if (found != surfaces.end()) {
                SDL_Rect from{sprite.from.x, sprite.from.y, sprite.from.width, sprite.from.height};
                const bool copy =
                    IsOpaque(*found->first) && sprite.tint.alpha == 255 && sprite.drawMode != Tolm::DrawModeAdditive;
                Blend(found->second, sprite, &from, &to, copy);
            }
        }
    }

private:
    void Blend(SDL_Surface* source, const DrawLog::Sprite& sprite, SDL_Rect* from, SDL_Rect* to, bool copy)
    {
        SDL_SetSurfaceBlendMode(source, copy                                        ? SDL_BLENDMODE_NONE
                                        : sprite.drawMode == Tolm::DrawModeAdditive ? SDL_BLENDMODE_ADD
                                                                                    : SDL_BLENDMODE_BLEND);
        if (sprite.source) {
            SDL_SetSurfaceColorMod(source, Uint8(sprite.tint.red), Uint8(sprite.tint.green), Uint8(sprite.tint.blue));
            SDL_SetSurfaceAlphaMod(source, Uint8(sprite.tint.alpha));
        }
        if (sprite.Scaled()) {
            SDL_BlitScaled(source, from, target, to);
        } else {
            SDL_BlitSurface(source, from, target, to);
        }
    }

    const std::vector<DrawLog::Sprite>& frame;
    SDL_Surface* target;
    std::map<Tolm::MemoryImage*, SDL_Surface*> surfaces;
    std::vector<SDL_Surface*> fills;
};

// Our pictures premultiplied for pixman, and a solid mask for each tint's alpha.
class PixmanReplay
{
public:
    PixmanReplay(const std::vector<DrawLog::Sprite>& frame, Tolm::MemoryImage& screen)
        : frame(frame), target(WrapPixman(screen))
    {
        for (const DrawLog::Sprite& sprite : frame) {
            auto* image = dynamic_cast<Tolm::MemoryImage*>(sprite.source);
            if (image && !sources.count(image)) {
                sources.try_emplace(image, *image);
            }
            if (sprite.source && sprite.tint.alpha < 255 && !masks.count(sprite.tint.alpha)) {
                const uint16_t alpha = uint16_t(sprite.tint.alpha * 257);
                pixman_color_t solid{alpha, alpha, alpha, alpha};
                masks[sprite.tint.alpha] = pixman_image_create_solid_fill(&solid);
            }
        }
    }
    ~PixmanReplay()
    {
        for (auto& [image, premultiplied] : sources) {
            pixman_image_unref(premultiplied.image);
        }
        for (auto& [alpha, mask] : masks) {
            pixman_image_unref(mask);
        }
        pixman_image_unref(target);
    }
    PixmanReplay(const PixmanReplay&) = delete;
    PixmanReplay& operator=(const PixmanReplay&) = delete;

    void Draw()
    {
        for (const DrawLog::Sprite& sprite : frame) {
            const pixman_op_t op = sprite.drawMode == Tolm::DrawModeAdditive ? PIXMAN_OP_ADD : PIXMAN_OP_OVER;
            if (!sprite.source) {
                const Tolm::Color& c = sprite.tint;
                pixman_color_t color{uint16_t(c.red * c.alpha / 255 * 257), uint16_t(c.green * c.alpha / 255 * 257),
                                     uint16_t(c.blue * c.alpha / 255 * 257), uint16_t(c.alpha * 257)};
                pixman_rectangle16_t box{int16_t(sprite.x), int16_t(sprite.y), uint16_t(sprite.from.width),
                                         uint16_t(sprite.from.height)};
                pixman_image_fill_rectangles(c.alpha == 255 ? PIXMAN_OP_SRC : op, target, &color, 1, &box);
                continue;
            }
            auto found = sources.find(dynamic_cast<Tolm::MemoryImage*>(sprite.source));
            if (found == sources.end()) {
                continue;
            }
            pixman_image_t* source = found->second.image;
            auto mask = masks.find(sprite.tint.alpha);
            int fromX = sprite.from.x;
            int fromY = sprite.from.y;
            if (sprite.Scaled()) {
                pixman_transform_t scale;
                pixman_transform_init_scale(&scale, pixman_double_to_fixed(double(sprite.from.width) / sprite.toWidth),
                                            pixman_double_to_fixed(double(sprite.from.height) / sprite.toHeight));
                scale.matrix[0][2] = pixman_int_to_fixed(fromX);
                scale.matrix[1][2] = pixman_int_to_fixed(fromY);
                pixman_image_set_transform(source, &scale);
                fromX = 0;
                fromY = 0;
            }
            pixman_image_composite32(op, source, mask == masks.end() ? nullptr : mask->second, target, fromX, fromY, 0,
                                     0, sprite.x, sprite.y, sprite.toWidth, sprite.toHeight);
            if (sprite.Scaled()) {
                pixman_image_set_transform(source, nullptr);
            }
        }
    }

private:
    struct Premultiplied
    {
        explicit Premultiplied(Tolm::MemoryImage& image) : pixels(size_t(image.width) * size_t(image.height))
        {
            const uint32_t* bits = image.GetBits();
            for (size_t i = 0; i < pixels.size() && bits; ++i) {
                const uint32_t a = bits[i] >> 24;
                const auto scaled = [&](int shift) { return ((bits[i] >> shift & 0xFF) * a + 127) / 255 << shift; };
                pixels[i] = a << 24 | scaled(16) | scaled(8) | scaled(0);
            }
            this->image =
                pixman_image_create_bits(PIXMAN_a8r8g8b8, image.width, image.height, pixels.data(), image.width * 4);
            pixman_image_set_filter(this->image, PIXMAN_FILTER_BILINEAR, nullptr, 0);
        }
        Premultiplied(const Premultiplied&) = delete;
        Premultiplied& operator=(const Premultiplied&) = delete;
        std::vector<uint32_t> pixels;
        pixman_image_t* image = nullptr;
    };

    const std::vector<DrawLog::Sprite>& frame;
    pixman_image_t* target;
    std::map<Tolm::MemoryImage*, Premultiplied> sources;
    std::map<int, pixman_image_t*> masks;
};
