// Coverage masks: how much of each pixel a shape covers, 0 to 1, over the whole picture. Shapes are
// measured by their signed distance, so every edge is anti-aliased; outlines, glows and shadows are
// derived from a mask by widening, blurring and shifting it.
#pragma once

#include "Geometry.h"

#include <vector>

namespace ArtGen {

class Mask
{
public:
    Mask(int maskWidth, int maskHeight);

    int Width() const { return width; }
    int Height() const { return height; }
    float At(int x, int y) const { return cover[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
    float& At(int x, int y) { return cover[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
    // The smallest rectangle holding every covered pixel; false for an empty mask.
    bool Bounds(int& left, int& top, int& right, int& bottom) const;

    // A rectangle with rounded corners (radius 0: square corners).
    static Mask RoundRect(int width, int height, double x, double y, double w, double h, double radius);
    static Mask Ellipse(int width, int height, double cx, double cy, double rx, double ry);
    // Filled by the non-zero winding rule.
    static Mask Polygon(int width, int height, const std::vector<Contour>& contours);

    void Multiply(const Mask& other);
    // 1 - coverage.
    void Invert();
    void Scale(float factor);
    // Close to a Gaussian blur of that radius (three box blurs).
    void Blur(double radius);
    // Grown outwards by the radius, with an anti-aliased rim.
    Mask Dilate(double radius) const;
    // Grown outwards by a positive distance, or worn inwards by a negative one; the picture's border
    // wears nothing away, so a shape running off the picture keeps its edge there.
    Mask Grow(double distance) const;
    Mask Shift(double dx, double dy) const;

private:
    int width;
    int height;
    std::vector<float> cover;

    void BoxBlurRows(int radius);
    void BoxBlurColumns(int radius);
};

} // namespace ArtGen
