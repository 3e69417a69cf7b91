// A frame's draws (support/DrawLog.h) played again by Mesa's software renderer (llvmpipe) through an
// MesaContext: every picture a textured quad at the place and size ours drew it, unturned, tinted through
// the vertex colour and blended, added or copied as ours was; every fill a quad of its colour; every mesh
// its own triangles, with their texel coordinates and vertex colours (times the tint), blended with the
// filter ours used, as our rasterizer draws them. The pictures are textures made once, before the frame
// is played, so a frame costs its draws alone.
#pragma once

#include "graphics/Color.h"
#include "graphics/MemoryImage.h"
#include "support/DrawLog.h"
#include "support/MesaContext.h"

#include <GL/gl.h>
#include <cstdint>
#include <map>
#include <vector>

class MesaReplay
{
public:
    MesaReplay(const std::vector<DrawLog::Sprite>& frame, const std::vector<DrawLog::Mesh>& meshes)
    {
        for (const DrawLog::Sprite& sprite : frame) {
            auto* image = dynamic_cast<Tolm::MemoryImage*>(sprite.source);
            if (sprite.source && !image) {
                continue;
            }
            if (image && !textures.count(image)) {
                textures[image] = MakeTexture(*image);
            }
            Batch batch{int(positions.size() / 2), 0, image ? textures[image] : 0, Blending(sprite, image),
                        sprite.mesh >= 0 && meshes[std::size_t(sprite.mesh)].bilinear};
            if (sprite.mesh >= 0) {
                AddMesh(meshes[std::size_t(sprite.mesh)], sprite.tint);
            } else {
                AddQuad(sprite, image);
            }
            batch.count = int(positions.size() / 2) - batch.first;
            batches.push_back(batch);
        }
    }
    ~MesaReplay()
    {
        for (auto& [image, texture] : textures) {
            glDeleteTextures(1, &texture);
        }
    }
    MesaReplay(const MesaReplay&) = delete;
    MesaReplay& operator=(const MesaReplay&) = delete;

    void Draw()
    {
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glVertexPointer(2, GL_FLOAT, 0, positions.data());
        glTexCoordPointer(2, GL_FLOAT, 0, coordinates.data());
        glColorPointer(4, GL_UNSIGNED_BYTE, 0, colors.data());
        glShadeModel(GL_SMOOTH);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        for (const Batch& batch : batches) {
            if (batch.texture != 0) {
                glEnable(GL_TEXTURE_2D);
                glBindTexture(GL_TEXTURE_2D, batch.texture);
                const GLint filter = batch.bilinear ? GL_LINEAR : GL_NEAREST;
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
            } else {
                glDisable(GL_TEXTURE_2D);
            }
            if (batch.blending == Blend::Copy) {
                glDisable(GL_BLEND);
            } else {
                glEnable(GL_BLEND);
                glBlendFunc(GL_SRC_ALPHA, batch.blending == Blend::Add ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
            }
            glDrawArrays(GL_TRIANGLES, batch.first, batch.count);
        }
        glFinish();
    }

private:
    enum class Blend
    {
        Copy,
        Over,
        Add,
    };

    // Triangles of one draw: vertices first .. first + count - 1 of the arrays.
    struct Batch
    {
        int first;
        int count;
        GLuint texture;
        Blend blending;
        bool bilinear;
    };

    // Our triangles blend whatever the draw mode; pictures and fills follow it, and an opaque picture or
    // fill drawn normally is copied.
    static Blend Blending(const DrawLog::Sprite& sprite, const Tolm::MemoryImage* image)
    {
        if (sprite.mesh >= 0) {
            return Blend::Over;
        }
        if (sprite.drawMode == Tolm::DrawModeAdditive) {
            return Blend::Add;
        }
        const bool opaque = image == nullptr || IsOpaque(*image);
        return opaque && sprite.tint.alpha == 255 ? Blend::Copy : Blend::Over;
    }

    static GLuint MakeTexture(Tolm::MemoryImage& image)
    {
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.width, image.height, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                     image.GetBits());
        return texture;
    }

    void AddVertex(float x, float y, float u, float v, uint32_t color)
    {
        positions.insert(positions.end(), {x, y});
        coordinates.insert(coordinates.end(), {u, v});
        for (int shift : {16, 8, 0, 24}) {
            colors.push_back(uint8_t(color >> shift));
        }
    }

    void AddQuad(const DrawLog::Sprite& sprite, const Tolm::MemoryImage* image)
    {
        const float left = float(sprite.x);
        const float top = float(sprite.y);
        const float right = left + float(sprite.toWidth);
        const float bottom = top + float(sprite.toHeight);
        float u0 = 0, v0 = 0, u1 = 0, v1 = 0;
        if (image) {
            u0 = float(sprite.from.x) / float(image->width);
            v0 = float(sprite.from.y) / float(image->height);
            u1 = float(sprite.from.x + sprite.from.width) / float(image->width);
            v1 = float(sprite.from.y + sprite.from.height) / float(image->height);
        }
        const uint32_t color = sprite.tint.ToPacked();
        for (int corner : {0, 1, 2, 1, 3, 2}) {
            const bool r = (corner & 1) != 0;
            const bool b = (corner & 2) != 0;
            AddVertex(r ? right : left, b ? bottom : top, r ? u1 : u0, b ? v1 : v0, color);
        }
    }

    // A triangle whose vertices carry no colour of their own is drawn white, as ours draws it; the tint
    // multiplies either.
    void AddMesh(const DrawLog::Mesh& mesh, const Tolm::Color& tint)
    {
        for (std::size_t first = 0; first + 3 <= mesh.vertices.size(); first += 3) {
            const Tolm::TexVertex* triangle = &mesh.vertices[first];
            const bool coloured = triangle[0].color != 0 || triangle[1].color != 0 || triangle[2].color != 0;
            for (int k = 0; k < 3; ++k) {
                const Tolm::TexVertex& vertex = triangle[k];
                const uint32_t own = coloured ? vertex.color : 0xFFFFFFFF;
                auto times = [&](int shift, int factor) {
                    return (own >> shift & 0xFF) * uint32_t(factor) / 255 << shift;
                };
                const uint32_t color =
                    times(24, tint.alpha) | times(16, tint.red) | times(8, tint.green) | times(0, tint.blue);
                AddVertex(vertex.x, vertex.y, vertex.u, vertex.v, color);
            }
        }
    }

    std::map<Tolm::MemoryImage*, GLuint> textures;
    std::vector<Batch> batches;
    std::vector<float> positions;
    std::vector<float> coordinates;
    std::vector<uint8_t> colors;
};
