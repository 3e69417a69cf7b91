// A destination image that draws nothing and notes every draw it is asked for: what was drawn, where,
// how large and in which colour. Tests of widgets read back what their drawing did without comparing
// pixels.
#pragma once

#include "core/Matrix.h"
#include "graphics/Image.h"

#include <cstdint>
#include <vector>

class DrawLog : public Tolm::Image
{
public:
    enum class Kind
    {
        Blit,
        BlitF,
        // Mirrored left to right.
        Mirror,
        Rotated,
        Stretch,
        // Through a matrix: x and y are where the source's middle lands, width and height the source's
        // scaled by the matrix's diagonal.
        Matrix,
        Fill,
    };

    struct Draw
    {
        Kind kind;
        // Null for fills.
        Tolm::Image* source;
        // The destination rectangle (stretches, fills) or the top-left corner with the source's size.
        float x;
        float y;
        int width;
        int height;
        Tolm::Rect sourceRect;
        // 0xAARRGGBB.
        uint32_t color;
        double angle;
    };

    DrawLog(int logWidth, int logHeight)
    {
        width = logWidth;
        height = logHeight;
    }

    void Blit(Tolm::Image* source, int x, int y, const Tolm::Rect& sourceRect, const Tolm::Color& color, int) override
    {
        draws.push_back({Kind::Blit, source, float(x), float(y), sourceRect.width, sourceRect.height, sourceRect,
                         color.ToPacked(), 0.0});
    }
    void BlitF(Tolm::Image* source, float x, float y, const Tolm::Rect& sourceRect, const Tolm::Rect&,
               const Tolm::Color& color, int) override
    {
        draws.push_back(
            {Kind::BlitF, source, x, y, sourceRect.width, sourceRect.height, sourceRect, color.ToPacked(), 0.0});
    }
    void BlitMirror(Tolm::Image* source, int x, int y, const Tolm::Rect& sourceRect, const Tolm::Color& color,
                    int) override
    {
        draws.push_back({Kind::Mirror, source, float(x), float(y), sourceRect.width, sourceRect.height, sourceRect,
                         color.ToPacked(), 0.0});
    }
    void BlitRotated(Tolm::Image* source, float x, float y, const Tolm::Rect& sourceRect, const Tolm::Rect&,
                     const Tolm::Color& color, int, double angle, float, float) override
    {
        draws.push_back(
            {Kind::Rotated, source, x, y, sourceRect.width, sourceRect.height, sourceRect, color.ToPacked(), angle});
    }
    void StretchBlit(Tolm::Image* source, const Tolm::Rect& destRect, const Tolm::Rect& sourceRect, const Tolm::Rect&,
                     const Tolm::Color& color, int, bool) override
    {
        draws.push_back({Kind::Stretch, source, float(destRect.x), float(destRect.y), destRect.width, destRect.height,
                         sourceRect, color.ToPacked(), 0.0});
    }
    void BlitMatrix(Tolm::Image* source, float x, float y, const Tolm::Matrix3& matrix, const Tolm::Rect&,
                    const Tolm::Color& color, int, const Tolm::Rect& sourceRect, bool) override
    {
        draws.push_back({Kind::Matrix, source, x, y, int(float(sourceRect.width) * matrix.m00),
                         int(float(sourceRect.height) * matrix.m11), sourceRect, color.ToPacked(), 0.0});
    }
    void FillRect(const Tolm::Rect& rect, const Tolm::Color& color, int) override
    {
        draws.push_back(
            {Kind::Fill, nullptr, float(rect.x), float(rect.y), rect.width, rect.height, rect, color.ToPacked(), 0.0});
    }

    // The draws of one source image, in order.
    std::vector<Draw> Of(Tolm::Image* source) const
    {
        std::vector<Draw> found;
        for (const Draw& draw : draws) {
            if (draw.source == source) {
                found.push_back(draw);
            }
        }
        return found;
    }

    std::vector<Draw> draws;
};
