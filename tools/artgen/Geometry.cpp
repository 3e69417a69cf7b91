#include "Geometry.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace ArtGen {

namespace {

constexpr int kCurveSteps = 24;
// Outline points per quarter of an ellipse or a rounded corner.
constexpr int kQuarterSteps = 24;

// Reads numbers one after the other from a text, skipping blanks and commas.
class NumberReader
{
public:
    explicit NumberReader(const std::string& text) : text(text) {}

    void SkipSeparators()
    {
        while (position < text.size() &&
               (std::isspace(static_cast<unsigned char>(text[position])) || text[position] == ',')) {
            ++position;
        }
    }
    bool AtEnd()
    {
        SkipSeparators();
        return position >= text.size();
    }
    bool AtCommand()
    {
        SkipSeparators();
        return position < text.size() && std::isalpha(static_cast<unsigned char>(text[position]));
    }
    char TakeCommand() { return text[position++]; }
    bool Number(double& value)
    {
        SkipSeparators();
        const char* start = text.c_str() + position;
        char* end = nullptr;
        value = std::strtod(start, &end);
        if (end == start) {
            return false;
        }
        position += std::size_t(end - start);
        return true;
    }
    bool Point(ArtGen::Point& point) { return Number(point.x) && Number(point.y); }

private:
    const std::string& text;
    std::size_t position = 0;
};

void AddQuadratic(Contour& contour, const Point& p0, const Point& p1, const Point& p2)
{
    for (int step = 1; step <= kCurveSteps; ++step) {
        const double t = double(step) / kCurveSteps;
        const double u = 1 - t;
        contour.push_back(
            {u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x, u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y});
    }
}

void AddCubic(Contour& contour, const Point& p0, const Point& p1, const Point& p2, const Point& p3)
{
    for (int step = 1; step <= kCurveSteps; ++step) {
        const double t = double(step) / kCurveSteps;
        const double u = 1 - t;
        const double a = u * u * u;
        const double b = 3 * u * u * t;
        const double c = 3 * u * t * t;
        const double d = t * t * t;
        contour.push_back({a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y});
    }
}

} // namespace

bool ParsePath(const std::string& data, const Transform& transform, std::vector<Contour>& contours, std::string& error)
{
    NumberReader reader(data);
    char command = 0;
    Point current;
    Contour contour;
    auto close = [&]() {
        if (contour.size() >= 3) {
            contours.push_back(contour);
        }
        contour.clear();
    };
    while (!reader.AtEnd()) {
        if (reader.AtCommand()) {
            command = reader.TakeCommand();
        }
        Point a;
        Point b;
        Point c;
        bool read = true;
        switch (command) {
        case 'M':
            close();
            read = reader.Point(current);
            contour.push_back(transform.Apply(current));
            command = 'L';
            break;
        case 'L':
            read = reader.Point(current);
            contour.push_back(transform.Apply(current));
            break;
        case 'H':
            read = reader.Number(current.x);
            contour.push_back(transform.Apply(current));
            break;
        case 'V':
            read = reader.Number(current.y);
            contour.push_back(transform.Apply(current));
            break;
        case 'Q':
            read = reader.Point(a) && reader.Point(b);
            AddQuadratic(contour, transform.Apply(current), transform.Apply(a), transform.Apply(b));
            current = b;
            break;
        case 'C':
            read = reader.Point(a) && reader.Point(b) && reader.Point(c);
            AddCubic(contour, transform.Apply(current), transform.Apply(a), transform.Apply(b), transform.Apply(c));
            current = c;
            break;
        case 'Z':
            close();
            command = 0;
            break;
        default:
            error = std::string("path command '") + (command ? command : '?') + "' unknown in \"" + data + "\"";
            return false;
        }
        if (!read) {
            error = "path numbers missing in \"" + data + "\"";
            return false;
        }
    }
    close();
    return true;
}

bool ParsePoints(const std::string& data, const Transform& transform, Contour& contour, std::string& error)
{
    NumberReader reader(data);
    while (!reader.AtEnd()) {
        Point point;
        if (!reader.Point(point)) {
            error = "points unreadable in \"" + data + "\"";
            return false;
        }
        contour.push_back(transform.Apply(point));
    }
    if (contour.size() < 3) {
        error = "fewer than three points in \"" + data + "\"";
        return false;
    }
    return true;
}

Contour Star(const Point& centre, double outer, double inner, int points, double rotation)
{
    Contour star;
    for (int i = 0; i < 2 * points; ++i) {
        const double angle = (rotation + 180.0 * i / points) * std::numbers::pi / 180;
        const double radius = i % 2 == 0 ? outer : inner;
        star.push_back({centre.x + radius * std::sin(angle), centre.y - radius * std::cos(angle)});
    }
    return star;
}

Transform Transform::Turned(double scale, double dx, double dy, double degrees)
{
    const double radians = degrees * std::numbers::pi / 180;
    return {scale, dx, dy, std::cos(radians), std::sin(radians)};
}

double Transform::Degrees() const
{
    return std::atan2(sine, cosine) * 180 / std::numbers::pi;
}

Contour RoundRectContour(double x, double y, double w, double h, double radius)
{
    radius = std::clamp(radius, 0.0, std::min(w, h) / 2);
    // Corner centres, clockwise from the top left, each with the angle its arc starts at.
    const struct
    {
        double cx;
        double cy;
        double from;
    } corners[] = {{x + radius, y + radius, 180},
                   {x + w - radius, y + radius, 270},
                   {x + w - radius, y + h - radius, 0},
                   {x + radius, y + h - radius, 90}};
    Contour contour;
    for (const auto& corner : corners) {
        for (int step = 0; step <= kQuarterSteps; ++step) {
            const double angle = (corner.from + 90.0 * step / kQuarterSteps) * std::numbers::pi / 180;
            contour.push_back({corner.cx + radius * std::cos(angle), corner.cy + radius * std::sin(angle)});
        }
    }
    return contour;
}

Contour EllipseContour(const Point& centre, double rx, double ry)
{
    Contour contour;
    for (int step = 0; step < 4 * kQuarterSteps; ++step) {
        const double angle = 2 * std::numbers::pi * step / (4 * kQuarterSteps);
        contour.push_back({centre.x + rx * std::cos(angle), centre.y + ry * std::sin(angle)});
    }
    return contour;
}

} // namespace ArtGen
