// A destination that writes down every textured triangle it is sent, with the draw's image, colour,
// mode and offset, and every plain blit, so that mesh draws can be read back vertex by vertex.
#pragma once

#include "graphics/Image.h"
#include "graphics/TexVertex.h"

#include <array>
#include <string>
#include <vector>

class TriangleRecorder : public Tolm::Image
{
public:
    struct Triangle
    {
        Tolm::Image* source;
        std::array<Tolm::TexVertex, 3> corners;
        float offsetX;
        float offsetY;
        int drawMode;
        // Of the draw, packed.
        uint32_t color;
    };
    struct PlainBlit
    {
        Tolm::Image* source;
        int x;
        int y;
        int drawMode;
    };

    TriangleRecorder()
    {
        width = 800;
        height = 600;
    }

    void BlitTexturedTriangles(Tolm::Image* source, const Tolm::TexVertex* vertices, int count, const Tolm::Rect&,
                               const Tolm::Color& color, int drawMode, float offsetX, float offsetY, bool) override
    {
        for (int i = 0; i < count; ++i) {
            triangles.push_back({source,
                                 {vertices[3 * i], vertices[3 * i + 1], vertices[3 * i + 2]},
                                 offsetX,
                                 offsetY,
                                 drawMode,
                                 color.ToPacked()});
        }
    }
    void Blit(Tolm::Image* source, int x, int y, const Tolm::Rect&, const Tolm::Color&, int drawMode) override
    {
        blits.push_back({source, x, y, drawMode});
    }

    std::vector<Triangle> triangles;
    std::vector<PlainBlit> blits;
};
