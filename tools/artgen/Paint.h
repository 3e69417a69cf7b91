// What fills a shape: one colour or a linear or radial gradient, with colours named in the palette.
//
//   "#RRGGBB", "#AARRGGBB", "name" from the palette, "name@0.5" (the colour at half its opacity)
//   "linear(x1 y1 x2 y2; colour offset; colour offset ...)"   offsets 0 to 1 along the line
//   "radial(cx cy radius; colour offset; ...)"                 offsets 0 to 1 from the centre out
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

private:
    enum class Kind
    {
        Solid,
        Linear,
        Radial,
    };
    struct Stop
    {
        double offset;
        ColorF color;
    };

    ColorF Gradient(double t) const;

    Kind kind = Kind::Solid;
    ColorF color;
    Point start;
    Point end;
    double radius = 1;
    std::vector<Stop> stops;
};

} // namespace ArtGen
