// Points, outlines and the placement of shapes: a turn and a uniform scale followed by a move, as
// groups nest.
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
    // The turn, clockwise on the picture.
    double cosine = 1;
    double sine = 0;

    // A placement turned by the degrees, clockwise.
    static Transform Turned(double scale, double dx, double dy, double degrees);

    Point Apply(const Point& p) const
    {
        return {(p.x * cosine - p.y * sine) * scale + dx, (p.x * sine + p.y * cosine) * scale + dy};
    }
    double Length(double length) const { return length * scale; }
    bool IsTurned() const { return sine != 0 || cosine != 1; }
    double Degrees() const;
    // This placement inside the outer one.
    Transform Within(const Transform& outer) const
    {
        const Point moved = outer.Apply({dx, dy});
        return {scale * outer.scale, moved.x, moved.y, cosine * outer.cosine - sine * outer.sine,
                sine * outer.cosine + cosine * outer.sine};
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

// The outlines of a rectangle with rounded corners and of an ellipse, in the shapes' own coordinates,
// for drawing them turned.
Contour RoundRectContour(double x, double y, double w, double h, double radius);
Contour EllipseContour(const Point& centre, double rx, double ry);

} // namespace ArtGen
