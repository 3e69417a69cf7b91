#include "Painter.h"

#include "Expression.h"
#include "TextMask.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <sstream>
#include <tinyxml.h>

namespace ArtGen {

namespace {

constexpr int kMaxUseDepth = 16;
constexpr int kMaxRepeats = 1000;

std::string Text(const TiXmlElement& element, const char* name)
{
    const char* value = element.Attribute(name);
    return value ? value : "";
}

// "colour number number ..." as an effect gives it: the colour, then the numbers it needs, each of
// which may be a range.
bool ReadEffect(const std::string& text, std::size_t count, const Timeline& timeline, std::string& color,
                std::vector<double>& numbers)
{
    std::stringstream stream(text);
    stream >> color;
    std::string token;
    double value = 0;
    while (stream >> token) {
        if (!timeline.Value(token, value)) {
            return false;
        }
        numbers.push_back(value);
    }
    return !color.empty() && numbers.size() == count;
}

Contour Placed(Contour contour, const Transform& transform)
{
    for (Point& point : contour) {
        point = transform.Apply(point);
    }
    return contour;
}

bool IsShape(const char* name)
{
    for (const char* shape : {"rect", "ellipse", "polygon", "path", "star", "text"}) {
        if (std::strcmp(name, shape) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

Painter::Painter(const ArtLibrary& artLibrary, int width, int height)
    : library(artLibrary), canvas(std::make_unique<Tolm::MemoryImage>())
{
    canvas->Create(width, height);
    canvas->Clear();
}

bool Painter::Fail(const TiXmlElement& element, const std::string& message)
{
    if (error.empty()) {
        error = "line " + std::to_string(element.Row()) + ", <" + element.ValueStr() + ">: " + message;
    }
    return false;
}

bool Painter::DrawChildren(const TiXmlElement& parent, const Transform& transform, const Mask* clip)
{
    for (const TiXmlElement* child = parent.FirstChildElement(); child; child = child->NextSiblingElement()) {
        if (!DrawElement(*child, transform, clip)) {
            return false;
        }
    }
    return true;
}

double Painter::Number(const TiXmlElement& element, const char* name, double defaultValue)
{
    std::string text;
    if (!Resolve(element, name, text)) {
        return defaultValue;
    }
    double value = defaultValue;
    std::string message;
    if (!timeline.Value(text, value) && !Evaluate(text, value, message)) {
        Fail(element, std::string(name) + " is neither a number, a range nor arithmetic: " + message);
        return defaultValue;
    }
    return value;
}

// The element's time window and ease hold for it and what it contains; outside its window it is not
// drawn.
bool Painter::DrawElement(const TiXmlElement& element, const Transform& transform, const Mask* clip)
{
    const Timeline outer = timeline;
    const char* window = element.Attribute("time");
    if (window && !timeline.SetWindow(window)) {
        return Fail(element, std::string("time wants two rising numbers, not \"") + window + "\"");
    }
    const char* ease = element.Attribute("ease");
    if (ease && !timeline.SetEase(ease)) {
        return Fail(element, std::string("no ease \"") + ease + "\"");
    }
    const bool drawn = !timeline.InWindow() || DrawPlaced(element, transform, clip);
    timeline = outer;
    return drawn && error.empty();
}

bool Painter::DrawPlaced(const TiXmlElement& element, const Transform& transform, const Mask* clip)
{
    const char* name = element.Value();
    const Transform placed = Transform::Turned(Number(element, "scale", 1), Number(element, "x", 0),
                                               Number(element, "y", 0), Number(element, "rotate", 0))
                                 .Within(transform);
    if (std::strcmp(name, "frames") == 0) {
        return DrawFrames(element, transform, clip);
    }
    if (std::strcmp(name, "repeat") == 0) {
        return DrawRepeated(element, placed, clip);
    }
    if (std::strcmp(name, "group") == 0) {
        const float opacity = float(Number(element, "opacity", 1));
        return opacity == 1 ? DrawChildren(element, placed, clip) : DrawLayer(element, placed, clip, opacity);
    }
    if (std::strcmp(name, "use") == 0) {
        // The part may be one the enclosing use names, so a part can take another as a value.
        std::string ref;
        Resolve(element, "ref", ref);
        auto found = library.parts.find(ref);
        if (found == library.parts.end()) {
            return error.empty() ? Fail(element, "no part named \"" + ref + "\"") : false;
        }
        if (useDepth >= kMaxUseDepth) {
            return Fail(element, "parts use each other too deeply");
        }
        // A value may name one the enclosing use gives, so a part can hand its own values on.
        std::map<std::string, std::string> given;
        for (const TiXmlAttribute* attribute = element.FirstAttribute(); attribute; attribute = attribute->Next()) {
            const std::string key = attribute->Name();
            if (key != "ref" && key != "x" && key != "y" && key != "scale" && key != "rotate" &&
                !Resolve(element, key.c_str(), given[key])) {
                return false;
            }
        }
        ++useDepth;
        parameters.push_back(std::move(given));
        const bool drawn = DrawChildren(*found->second, placed, clip);
        parameters.pop_back();
        --useDepth;
        return drawn;
    }
    if (IsShape(name)) {
        return DrawShape(element, transform, clip);
    }
    return Fail(element, "not a shape, group, use, repeat or frames");
}

bool Painter::DrawLayer(const TiXmlElement& element, const Transform& transform, const Mask* clip, float opacity)
{
    auto layer = std::make_unique<Tolm::MemoryImage>();
    layer->Create(canvas->width, canvas->height);
    layer->Clear();
    std::swap(canvas, layer);
    const bool drawn = DrawChildren(element, transform, clip);
    std::swap(canvas, layer);
    const int alpha = int(std::lround(std::clamp(opacity, 0.0f, 1.0f) * 255));
    canvas->Blit(layer.get(), 0, 0, Tolm::Rect(0, 0, canvas->width, canvas->height), Tolm::Color(255, 255, 255, alpha),
                 0);
    return drawn;
}

bool Painter::DrawFrames(const TiXmlElement& element, const Transform& transform, const Mask* clip)
{
    const int count = int(Number(element, "count", 0));
    const int columns = int(Number(element, "cols", count));
    const double width = Number(element, "width", 0);
    const double height = Number(element, "height", 0);
    if (count < 1 || columns < 1 || width <= 0 || height <= 0) {
        return Fail(element, "frames need a count, columns, a width and a height");
    }
    const bool loop = Number(element, "loop", 0) != 0;
    for (int frame = 0; frame < count; ++frame) {
        timeline.time = loop ? double(frame) / count : count > 1 ? double(frame) / (count - 1) : 0.0;
        const Transform cell = Transform{1, (frame % columns) * width, (frame / columns) * height}.Within(transform);
        const Point corner = cell.Apply({0, 0});
        Mask cellClip = Mask::RoundRect(canvas->width, canvas->height, corner.x, corner.y, cell.Length(width),
                                        cell.Length(height), 0);
        if (clip) {
            cellClip.Multiply(*clip);
        }
        if (!DrawChildren(element, cell, &cellClip)) {
            return false;
        }
    }
    return true;
}

bool Painter::DrawRepeated(const TiXmlElement& element, const Transform& transform, const Mask* clip)
{
    const int count = int(Number(element, "count", 0));
    const double dx = Number(element, "dx", 0);
    const double dy = Number(element, "dy", 0);
    if (count < 1 || count > kMaxRepeats) {
        return Fail(element, "repeat wants a count of 1 to " + std::to_string(kMaxRepeats));
    }
    for (int i = 0; i < count; ++i) {
        parameters.push_back({{"i", std::to_string(i)}});
        const bool drawn = DrawChildren(element, Transform{1, i * dx, i * dy}.Within(transform), clip);
        parameters.pop_back();
        if (!drawn) {
            return false;
        }
    }
    return true;
}

bool Painter::Resolve(const TiXmlElement& element, const char* name, std::string& value)
{
    const char* text = element.Attribute(name);
    if (!text) {
        return false;
    }
    value.clear();
    for (const char* c = text; *c;) {
        if (*c != '$') {
            value += *c++;
            continue;
        }
        const char* end = ++c;
        while (std::isalnum(static_cast<unsigned char>(*end)) || *end == '_') {
            ++end;
        }
        const std::string key(c, end);
        auto given = parameters.rbegin();
        while (given != parameters.rend() && !given->count(key)) {
            ++given;
        }
        if (given == parameters.rend()) {
            Fail(element, "no use gives $" + key);
            return false;
        }
        value += given->at(key);
        c = end;
    }
    return Calculate(element, value);
}

bool Painter::Calculate(const TiXmlElement& element, std::string& text)
{
    for (std::size_t open = text.find('{'); open != std::string::npos; open = text.find('{', open)) {
        std::size_t close = text.find('}', open);
        double number = 0;
        std::string message = "a \"{\" is not closed";
        if (close == std::string::npos || !Evaluate(text.substr(open + 1, close - open - 1), number, message)) {
            Fail(element, message);
            return false;
        }
        std::ostringstream written;
        written << number;
        text.replace(open, close - open + 1, written.str());
    }
    return true;
}

bool Painter::ShapeMask(const TiXmlElement& element, const Transform& t, Mask& mask)
{
    const std::string name = element.ValueStr();
    const int width = canvas->width;
    const int height = canvas->height;
    if (name == "rect") {
        const double x = Number(element, "x", 0);
        const double y = Number(element, "y", 0);
        const double w = Number(element, "w", 0);
        const double h = Number(element, "h", 0);
        const double r = Number(element, "r", 0);
        if (t.IsTurned()) {
            mask = Mask::Polygon(width, height, {Placed(RoundRectContour(x, y, w, h, r), t)});
            return true;
        }
        const Point corner = t.Apply({x, y});
        mask = Mask::RoundRect(width, height, corner.x, corner.y, t.Length(w), t.Length(h), t.Length(r));
        return true;
    }
    if (name == "ellipse") {
        const Point centre{Number(element, "cx", 0), Number(element, "cy", 0)};
        const double r = Number(element, "r", 0);
        const double rx = Number(element, "rx", r);
        const double ry = Number(element, "ry", r);
        if (t.IsTurned() && rx != ry) {
            mask = Mask::Polygon(width, height, {Placed(EllipseContour(centre, rx, ry), t)});
            return true;
        }
        const Point placed = t.Apply(centre);
        mask = Mask::Ellipse(width, height, placed.x, placed.y, t.Length(rx), t.Length(ry));
        return true;
    }
    if (name == "star") {
        const Point centre = t.Apply({Number(element, "cx", 0), Number(element, "cy", 0)});
        const double radius = Number(element, "r", 0);
        Contour star =
            Star(centre, t.Length(radius), t.Length(Number(element, "inner", radius / 2)),
                 std::max(2, int(Number(element, "points", 5))), Number(element, "rotation", 0) + t.Degrees());
        mask = Mask::Polygon(width, height, {star});
        return true;
    }
    if (t.IsTurned() && name == "text") {
        return Fail(element, "text cannot be turned");
    }
    if (name == "text") {
        const char* text = element.GetText();
        std::string message;
        if (!text || !TextMask(mask, text, t, element, message)) {
            return Fail(element, text ? message : "no text");
        }
        return true;
    }
    std::vector<Contour> contours;
    std::string message;
    std::string data;
    if (name == "polygon") {
        contours.emplace_back();
        Resolve(element, "points", data);
        if (!error.empty() || !ParsePoints(data, t, contours.back(), message)) {
            return error.empty() ? Fail(element, message) : false;
        }
    } else {
        Resolve(element, "d", data);
        if (!error.empty() || !ParsePath(data, t, contours, message)) {
            return error.empty() ? Fail(element, message) : false;
        }
    }
    mask = Mask::Polygon(width, height, contours);
    return true;
}

bool Painter::DrawShape(const TiXmlElement& element, const Transform& transform, const Mask* clip)
{
    Mask mask(canvas->width, canvas->height);
    if (!ShapeMask(element, transform, mask)) {
        return false;
    }
    const double grow = Number(element, "grow", 0);
    if (grow != 0) {
        mask = mask.Grow(transform.Length(grow));
    }
    if (clip) {
        mask.Multiply(*clip);
    }
    if (!DrawEffects(element, mask, transform)) {
        return false;
    }
    return DrawChildren(element, transform, &mask);
}

bool Painter::DrawEffects(const TiXmlElement& element, const Mask& mask, const Transform& transform)
{
    const float opacity = float(Number(element, "opacity", 1));
    const int drawMode = Text(element, "mode") == "add" ? 1 : 0;
    std::string color;
    std::vector<double> numbers;
    std::string message;
    Paint paint;
    std::string value;
    auto readEffect = [&](const char* name, std::size_t count) {
        color.clear();
        numbers.clear();
        if (!Resolve(element, name, value)) {
            return false;
        }
        if (!ReadEffect(value, count, timeline, color, numbers)) {
            message = std::string(name) + " wants a colour and " + std::to_string(count) + " numbers";
            return false;
        }
        return paint.Parse(color, library.palette, transform, message);
    };
    if (readEffect("shadow", 3)) {
        Mask shadow = mask.Shift(transform.Length(numbers[0]), transform.Length(numbers[1]));
        shadow.Blur(transform.Length(numbers[2]));
        Compose(shadow, paint, opacity, 0);
    }
    if (readEffect("glow", 2)) {
        Mask glow = mask.Dilate(transform.Length(numbers[0]));
        glow.Blur(transform.Length(numbers[1]));
        Compose(glow, paint, opacity, drawMode);
    }
    if (readEffect("outline", 1)) {
        Compose(mask.Dilate(transform.Length(numbers[0])), paint, opacity, 0);
    }
    if (Resolve(element, "fill", value)) {
        if (!paint.Parse(value, library.palette, transform, message)) {
            return Fail(element, message);
        }
        const double grain = Number(element, "grain", 0);
        if (grain != 0) {
            // The blotch size is measured on the picture, so scaled parts keep the same grain.
            paint.SetGrain(grain, transform.Length(Number(element, "grainsize", 6)));
        }
        Compose(mask, paint, opacity, drawMode);
    }
    if (readEffect("inset", 3)) {
        Mask inner = mask.Shift(transform.Length(numbers[0]), transform.Length(numbers[1]));
        inner.Blur(transform.Length(numbers[2]));
        inner.Invert();
        inner.Multiply(mask);
        Compose(inner, paint, opacity, 0);
    }
    if (!error.empty()) {
        return false;
    }
    return message.empty() || Fail(element, message);
}

void Painter::Compose(const Mask& mask, const Paint& paint, float opacity, int drawMode)
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    if (!mask.Bounds(left, top, right, bottom)) {
        return;
    }
    Tolm::MemoryImage layer;
    layer.Create(right - left, bottom - top);
    uint32_t* pixels = layer.GetBits();
    if (!pixels) {
        return;
    }
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            ColorF color = paint.At(x + 0.5, y + 0.5);
            color.a *= mask.At(x, y) * opacity;
            pixels[std::size_t(y - top) * std::size_t(right - left) + std::size_t(x - left)] = color.ToArgb();
        }
    }
    layer.NoteBitsChanged();
    canvas->Blit(&layer, left, top, Tolm::Rect(0, 0, right - left, bottom - top), Tolm::Color::White, drawMode);
}

} // namespace ArtGen
