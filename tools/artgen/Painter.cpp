#include "Painter.h"

#include "TextMask.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <sstream>
#include <tinyxml.h>

namespace ArtGen {

namespace {

constexpr int kMaxUseDepth = 16;

double Number(const TiXmlElement& element, const char* name, double defaultValue)
{
    double value = defaultValue;
    element.QueryDoubleAttribute(name, &value);
    return value;
}

std::string Text(const TiXmlElement& element, const char* name)
{
    const char* value = element.Attribute(name);
    return value ? value : "";
}

// "colour number number ..." as an effect gives it: the colour, then the numbers it needs.
bool ReadEffect(const std::string& text, std::size_t count, std::string& color, std::vector<double>& numbers)
{
    std::stringstream stream(text);
    stream >> color;
    double value = 0;
    while (stream >> value) {
        numbers.push_back(value);
    }
    return stream.eof() && !color.empty() && numbers.size() == count;
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

Painter::Painter(const ArtLibrary& artLibrary, int width, int height) : library(artLibrary)
{
    canvas.Create(width, height);
    canvas.Clear();
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

bool Painter::DrawElement(const TiXmlElement& element, const Transform& transform, const Mask* clip)
{
    const char* name = element.Value();
    const Transform placed =
        Transform{Number(element, "scale", 1), Number(element, "x", 0), Number(element, "y", 0)}.Within(transform);
    if (std::strcmp(name, "group") == 0) {
        return DrawChildren(element, placed, clip);
    }
    if (std::strcmp(name, "use") == 0) {
        auto found = library.parts.find(Text(element, "ref"));
        if (found == library.parts.end()) {
            return Fail(element, "no part named \"" + Text(element, "ref") + "\"");
        }
        if (useDepth >= kMaxUseDepth) {
            return Fail(element, "parts use each other too deeply");
        }
        std::map<std::string, std::string> given;
        for (const TiXmlAttribute* attribute = element.FirstAttribute(); attribute; attribute = attribute->Next()) {
            const std::string key = attribute->Name();
            if (key != "ref" && key != "x" && key != "y" && key != "scale") {
                given[key] = attribute->Value();
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
    return Fail(element, "not a shape, group or use");
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
    return true;
}

bool Painter::ShapeMask(const TiXmlElement& element, const Transform& t, Mask& mask)
{
    const std::string name = element.ValueStr();
    const int width = canvas.width;
    const int height = canvas.height;
    if (name == "rect") {
        const Point corner = t.Apply({Number(element, "x", 0), Number(element, "y", 0)});
        mask = Mask::RoundRect(width, height, corner.x, corner.y, t.Length(Number(element, "w", 0)),
                               t.Length(Number(element, "h", 0)), t.Length(Number(element, "r", 0)));
        return true;
    }
    if (name == "ellipse") {
        const Point centre = t.Apply({Number(element, "cx", 0), Number(element, "cy", 0)});
        const double r = Number(element, "r", 0);
        mask = Mask::Ellipse(width, height, centre.x, centre.y, t.Length(Number(element, "rx", r)),
                             t.Length(Number(element, "ry", r)));
        return true;
    }
    if (name == "star") {
        const Point centre = t.Apply({Number(element, "cx", 0), Number(element, "cy", 0)});
        const double radius = Number(element, "r", 0);
        Contour star = Star(centre, t.Length(radius), t.Length(Number(element, "inner", radius / 2)),
                            std::max(2, int(Number(element, "points", 5))), Number(element, "rotation", 0));
        mask = Mask::Polygon(width, height, {star});
        return true;
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
    if (name == "polygon") {
        contours.emplace_back();
        if (!ParsePoints(Text(element, "points"), t, contours.back(), message)) {
            return Fail(element, message);
        }
    } else if (!ParsePath(Text(element, "d"), t, contours, message)) {
        return Fail(element, message);
    }
    mask = Mask::Polygon(width, height, contours);
    return true;
}

bool Painter::DrawShape(const TiXmlElement& element, const Transform& transform, const Mask* clip)
{
    Mask mask(canvas.width, canvas.height);
    if (!ShapeMask(element, transform, mask)) {
        return false;
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
        if (!ReadEffect(value, count, color, numbers)) {
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
    canvas.Blit(&layer, left, top, Tolm::Rect(0, 0, right - left, bottom - top), Tolm::Color::White, drawMode);
}

} // namespace ArtGen
