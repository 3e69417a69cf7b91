#include "Paint.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace ArtGen {

namespace {

std::string Trim(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, separator)) {
        parts.push_back(Trim(part));
    }
    return parts;
}

bool ParseHex(const std::string& text, ColorF& color)
{
    if (text.size() != 7 && text.size() != 9) {
        return false;
    }
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str() + 1, &end, 16);
    if (*end != '\0') {
        return false;
    }
    color.a = text.size() == 9 ? float((value >> 24) & 0xFF) / 255 : 1.0f;
    color.r = float((value >> 16) & 0xFF) / 255;
    color.g = float((value >> 8) & 0xFF) / 255;
    color.b = float(value & 0xFF) / 255;
    return true;
}

ColorF Mix(const ColorF& a, const ColorF& b, double t)
{
    const float u = float(t);
    return {a.r + (b.r - a.r) * u, a.g + (b.g - a.g) * u, a.b + (b.b - a.b) * u, a.a + (b.a - a.a) * u};
}

double Hash(int x, int y)
{
    uint32_t h = uint32_t(x) * 0x8DA6B343u ^ uint32_t(y) * 0xD8163841u;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return double(h & 0xFFFFFF) / double(0x1000000);
}

double Smooth(double t)
{
    return t * t * (3 - 2 * t);
}

double LatticeNoise(double x, double y)
{
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const int ix = int(fx);
    const int iy = int(fy);
    const double tx = Smooth(x - fx);
    const double ty = Smooth(y - fy);
    const double top = Hash(ix, iy) + (Hash(ix + 1, iy) - Hash(ix, iy)) * tx;
    const double bottom = Hash(ix, iy + 1) + (Hash(ix + 1, iy + 1) - Hash(ix, iy + 1)) * tx;
    return top + (bottom - top) * ty;
}

ColorF Brighten(ColorF color, double factor)
{
    const float f = float(factor);
    color.r = std::clamp(color.r * f, 0.0f, 1.0f);
    color.g = std::clamp(color.g * f, 0.0f, 1.0f);
    color.b = std::clamp(color.b * f, 0.0f, 1.0f);
    return color;
}

// 0 inside the band of the given width at the edge, 1 a pixel past it.
double Ramp(double distance, double width)
{
    return std::clamp(distance - width + 0.5, 0.0, 1.0);
}

bool ReadNumbers(const std::string& text, std::vector<double>& numbers)
{
    std::stringstream stream(text);
    double value = 0;
    while (stream >> value) {
        numbers.push_back(value);
    }
    return stream.eof();
}

} // namespace

uint32_t ColorF::ToArgb() const
{
    auto channel = [](float value) { return uint32_t(std::lround(std::clamp(value, 0.0f, 1.0f) * 255)); };
    return (channel(a) << 24) | (channel(r) << 16) | (channel(g) << 8) | channel(b);
}

bool Palette::Add(const std::string& name, const std::string& value, std::string& error)
{
    ColorF color;
    if (!Color(value, color, error)) {
        return false;
    }
    colors[name] = color;
    return true;
}

bool Palette::Color(const std::string& text, ColorF& color, std::string& error) const
{
    const std::string trimmed = Trim(text);
    const std::size_t at = trimmed.find('@');
    const std::string name = trimmed.substr(0, at);
    if (name.empty()) {
        error = "no colour in \"" + text + "\"";
        return false;
    }
    if (name[0] == '#') {
        if (!ParseHex(name, color)) {
            error = "colour \"" + name + "\" is not #RRGGBB or #AARRGGBB";
            return false;
        }
    } else {
        auto found = colors.find(name);
        if (found == colors.end()) {
            error = "colour \"" + name + "\" is not in the palette";
            return false;
        }
        color = found->second;
    }
    if (at != std::string::npos) {
        char* end = nullptr;
        const double opacity = std::strtod(trimmed.c_str() + at + 1, &end);
        if (end == trimmed.c_str() + at + 1) {
            error = "opacity unreadable in \"" + text + "\"";
            return false;
        }
        color.a *= float(std::clamp(opacity, 0.0, 1.0));
    }
    return true;
}

bool Paint::Parse(const std::string& text, const Palette& palette, const Transform& transform, std::string& error)
{
    const std::string trimmed = Trim(text);
    const std::size_t open = trimmed.find('(');
    if (open == std::string::npos) {
        kind = Kind::Solid;
        return palette.Color(trimmed, color, error);
    }
    const std::string name = trimmed.substr(0, open);
    if ((name != "linear" && name != "radial" && name != "tiles") || trimmed.back() != ')') {
        error = "paint \"" + text + "\" is neither a colour nor linear(...), radial(...) or tiles(...)";
        return false;
    }
    std::vector<std::string> parts = Split(trimmed.substr(open + 1, trimmed.size() - open - 2), ';');
    if (name == "tiles") {
        placement = transform;
        return ParseTiles(parts, palette, error);
    }
    std::vector<double> geometry;
    if (parts.size() < 3 || !ReadNumbers(parts[0], geometry) || geometry.size() != (name == "linear" ? 4u : 3u)) {
        error = "gradient \"" + text + "\" needs its geometry and at least two stops";
        return false;
    }
    kind = name == "linear" ? Kind::Linear : Kind::Radial;
    start = transform.Apply({geometry[0], geometry[1]});
    if (kind == Kind::Linear) {
        end = transform.Apply({geometry[2], geometry[3]});
    } else {
        radius = std::max(transform.Length(geometry[2]), 1e-6);
    }
    stops.clear();
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::size_t blank = parts[i].find_last_of(" \t");
        Stop stop{};
        char* end = nullptr;
        if (blank == std::string::npos) {
            error = "gradient stop \"" + parts[i] + "\" needs a colour and an offset";
            return false;
        }
        stop.offset = std::strtod(parts[i].c_str() + blank + 1, &end);
        if (*end != '\0' || !palette.Color(parts[i].substr(0, blank), stop.color, error)) {
            error = error.empty() ? "gradient stop \"" + parts[i] + "\" unreadable" : error;
            return false;
        }
        stops.push_back(stop);
    }
    std::stable_sort(stops.begin(), stops.end(), [](const Stop& a, const Stop& b) { return a.offset < b.offset; });
    return true;
}

bool Paint::ParseTiles(const std::vector<std::string>& parts, const Palette& palette, std::string& error)
{
    std::vector<double> numbers;
    if (parts.size() != 3 || !ReadNumbers(parts[0], numbers) || numbers.size() != 4 || numbers[0] <= 0 ||
        numbers[1] <= 0 || numbers[3] < 0) {
        error = "tiles want a width, a height, a shift and a seam width, then a colour and a seam colour";
        return false;
    }
    kind = Kind::Tiles;
    tileWidth = numbers[0];
    tileHeight = numbers[1];
    tileShift = numbers[2];
    seamWidth = numbers[3];
    return palette.Color(parts[1], color, error) && palette.Color(parts[2], seamColor, error);
}

void Paint::SetGrain(double amount, double size)
{
    grainAmount = amount;
    grainSize = std::max(size, 1e-6);
}

ColorF Paint::At(double x, double y) const
{
    ColorF result;
    if (kind == Kind::Solid) {
        result = color;
    } else if (kind == Kind::Radial) {
        result = Gradient(std::hypot(x - start.x, y - start.y) / radius);
    } else if (kind == Kind::Tiles) {
        result = Tile(x, y);
    } else {
        const double ex = end.x - start.x;
        const double ey = end.y - start.y;
        const double length2 = ex * ex + ey * ey;
        result = Gradient(length2 > 0 ? ((x - start.x) * ex + (y - start.y) * ey) / length2 : 0);
    }
    if (grainAmount == 0) {
        return result;
    }
    return Brighten(result, 1 + grainAmount * (ValueNoise(x / grainSize, y / grainSize) - 0.5) * 2);
}

ColorF Paint::Tile(double x, double y) const
{
    // Back into the paint's own units, where the tiles are laid.
    const double dx = (x - placement.dx) / placement.scale;
    const double dy = (y - placement.dy) / placement.scale;
    const double u = dx * placement.cosine + dy * placement.sine;
    const double v = -dx * placement.sine + dy * placement.cosine;
    const double course = std::floor(v / tileHeight);
    const double shifted = u + course * tileShift * tileWidth;
    const double column = std::floor(shifted / tileWidth);
    const double across = (shifted - column * tileWidth) * placement.scale;
    const double down = (v - course * tileHeight) * placement.scale;
    const double width = tileWidth * placement.scale;
    const double height = tileHeight * placement.scale;
    // Each tile a little lighter or darker than the next, and darker towards its lower edge.
    const double shade = 0.88 + 0.24 * Hash(int(column), int(course)) + 0.1 * (0.5 - down / height);
    const ColorF tile = Brighten(color, shade);
    const double edge = std::min({across, width - across, down, height - down});
    return Mix(seamColor, tile, Ramp(edge, seamWidth * placement.scale / 2));
}

double ValueNoise(double x, double y)
{
    return (LatticeNoise(x, y) * 4 + LatticeNoise(x * 2.03 + 17.1, y * 2.03 + 5.3) * 2 +
            LatticeNoise(x * 4.1 + 3.7, y * 4.1 + 11.9)) /
           7;
}

ColorF Paint::Gradient(double t) const
{
    if (t <= stops.front().offset) {
        return stops.front().color;
    }
    for (std::size_t i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].offset) {
            const double span = stops[i].offset - stops[i - 1].offset;
            return Mix(stops[i - 1].color, stops[i].color, span > 0 ? (t - stops[i - 1].offset) / span : 1);
        }
    }
    return stops.back().color;
}

} // namespace ArtGen
