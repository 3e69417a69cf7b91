// What fills a shape: one colour or a linear or radial gradient, with colours named in the palette.
//
//   "#RRGGBB", "#AARRGGBB", "name" from the palette, "name@0.5" (the colour at half its opacity)
//   "linear(x1 y1 x2 y2; colour offset; colour offset ...)"   offsets 0 to 1 along the line
//   "radial(cx cy radius; colour offset; ...)"                 offsets 0 to 1 from the centre out
//   "tiles(w h shift seam; colour; seam colour)"               courses of w x h tiles (bricks, shingles,
//                                                              planks), each course moved on by shift x w,
//                                                              each tile a shade of its own, lit from above,
//                                                              with seams seam pixels wide
// A grain (Paint::SetGrain) lays value noise over any of them, so that no surface reads as a flat fill.
#pragma once

#include "Geometry.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace ArtGen {

// Straight (not premultiplied) colour, each channel 0 to 1.
struct ColorF
{
    float r = 0;
    float g = 0;
    float b = 0;
    float a = 1;

    uint32_t ToArgb() const;
};

class Palette
{
public:
    bool Add(const std::string& name, const std::string& value, std::string& error);
    // A colour as the paint syntax names it; false with a message when it names nothing.
    bool Color(const std::string& text, ColorF& color, std::string& error) const;

private:
    std::map<std::string, ColorF> colors;
};

class Paint
{
public:
    bool Parse(const std::string& text, const Palette& palette, const Transform& transform, std::string& error);
    ColorF At(double x, double y) const;
    // Brightens and darkens the paint by up to amount (0 to 1) in blotches about size pixels across.
    void SetGrain(double amount, double size);

private:
    enum class Kind
    {
        Solid,
        Linear,
        Radial,
        Tiles,
    };
    struct Stop
    {
        double offset;
        ColorF color;
    };

    ColorF Gradient(double t) const;
    ColorF Tile(double x, double y) const;
    bool ParseTiles(const std::vector<std::string>& parts, const Palette& palette, std::string& error);

    Kind kind = Kind::Solid;
    ColorF color;
    Point start;
    Point end;
    double radius = 1;
    std::vector<Stop> stops;
    // Tiles: the size, the shift of every other course and the seam width, in the paint's own units; the
    // placement back from the picture into them.
    double tileWidth = 1;
    double tileHeight = 1;
    double tileShift = 0;
    double seamWidth = 0;
    ColorF seamColor;
    Transform placement;
    double grainAmount = 0;
    double grainSize = 1;
};

// Smooth value noise in 0 to 1: three octaves of a lattice of hashed values, the same for the same point.
double ValueNoise(double x, double y);

} // namespace ArtGen
