// Text as a coverage mask, so that it takes fills, outlines and shadows like any shape.
#pragma once

#include "Geometry.h"
#include "Mask.h"

#include <string>

class TiXmlElement;

namespace ArtGen {

// The element's attributes: x and y (the left end of the baseline, or its middle or right end by
// align="center" or "right"), size (pixel height of the font's em), font (a face name), bold, and
// spacing (extra pixels between letters).
bool TextMask(Mask& mask, const std::string& text, const Transform& transform, const TiXmlElement& element,
              std::string& error);

} // namespace ArtGen
