// Points, outlines and the placement of shapes: a uniform scale followed by a move, as groups nest.
#pragma once

#include <string>
#include <vector>

namespace ArtGen {

struct Point
{
    double x = 0;
    double y = 0;
};

// One closed outline; the last point joins the first.
using Contour = std::vector<Point>;

struct Transform
{
    double scale = 1;
    double dx = 0;
    double dy = 0;

    Point Apply(const Point& p) const { return {p.x * scale + dx, p.y * scale + dy}; }
    double Length(double length) const { return length * scale; }
    // This placement inside the outer one.
    Transform Within(const Transform& outer) const
    {
        return {scale * outer.scale, dx * outer.scale + outer.dx, dy * outer.scale + outer.dy};
    }
};

// Outlines from path data in absolute commands: "M x y", "L x y", "H x", "V y", "Q x1 y1 x y",
// "C x1 y1 x2 y2 x y" and "Z"; numbers are separated by blanks or commas, and a command letter may
// be left out to repeat the previous one. Curves become short lines. False with a message on bad data.
bool ParsePath(const std::string& data, const Transform& transform, std::vector<Contour>& contours, std::string& error);

// "x,y x,y ..." as one outline.
bool ParsePoints(const std::string& data, const Transform& transform, Contour& contour, std::string& error);

// A star of that many points around (cx, cy), its points at the outer radius and its notches at the
// inner one; the first point straight up, turned by rotation degrees clockwise.
Contour Star(const Point& centre, double outer, double inner, int points, double rotation);

} // namespace ArtGen
