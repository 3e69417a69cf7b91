// Draws one picture of a recipe onto a memory image, shape by shape. Each shape becomes a coverage mask;
// its shadow, glow, outline, fill and inner shadow are painted as layers and blended onto the picture
// with the graphics library's blits. Shapes nested in a shape are clipped to it.
#pragma once

#include "Mask.h"
#include "Paint.h"
#include "Timeline.h"
#include "graphics/MemoryImage.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class TiXmlElement;

namespace ArtGen {

// What every picture may use: the palette and the named parts that "use" elements place.
struct ArtLibrary
{
    Palette palette;
    std::map<std::string, const TiXmlElement*> parts;
};

class Painter
{
public:
    Painter(const ArtLibrary& library, int width, int height);

    // Draws the element's children; false with a message naming the element on bad data.
    bool DrawChildren(const TiXmlElement& parent, const Transform& transform, const Mask* clip);

    Tolm::MemoryImage& Canvas() { return *canvas; }

    // Names the element and what is wrong with it, after a draw that failed.
    std::string error;

private:
    bool DrawElement(const TiXmlElement& element, const Transform& transform, const Mask* clip);
    bool DrawPlaced(const TiXmlElement& element, const Transform& transform, const Mask* clip);
    // The children on a layer of their own, laid on the picture at the opacity, so that they fade as one.
    bool DrawLayer(const TiXmlElement& element, const Transform& transform, const Mask* clip, float opacity);
    // The children once per cel of the sheet, each cel clipped to its cell and given its time.
    bool DrawFrames(const TiXmlElement& element, const Transform& transform, const Mask* clip);
    // The children count times, each copy moved on by (dx, dy) from the last and given $i, its index.
    bool DrawRepeated(const TiXmlElement& element, const Transform& transform, const Mask* clip);
    // The attribute as a number or a range at the current time, after its $names are filled in and its
    // arithmetic is done; the default when it is missing, with the error set when it is no number.
    double Number(const TiXmlElement& element, const char* name, double defaultValue);
    bool DrawShape(const TiXmlElement& element, const Transform& transform, const Mask* clip);
    bool ShapeMask(const TiXmlElement& element, const Transform& transform, Mask& mask);
    bool DrawEffects(const TiXmlElement& element, const Mask& mask, const Transform& transform);
    // Blends the paint, seen through the mask, onto the picture.
    void Compose(const Mask& mask, const Paint& paint, float opacity, int drawMode);
    bool Fail(const TiXmlElement& element, const std::string& message);
    // The attribute with its $names replaced by what the innermost use that sets them gives, and each
    // {arithmetic} by its result; false when the attribute is missing, or with the error set when it names
    // a value no use sets or its arithmetic is wrong.
    bool Resolve(const TiXmlElement& element, const char* name, std::string& value);
    // Replaces each {arithmetic} of the text by its result.
    bool Calculate(const TiXmlElement& element, std::string& text);

    const ArtLibrary& library;
    std::unique_ptr<Tolm::MemoryImage> canvas;
    int useDepth = 0;
    // One entry per use being drawn: the values its attributes give the part.
    std::vector<std::map<std::string, std::string>> parameters;
    Timeline timeline;
};

} // namespace ArtGen
